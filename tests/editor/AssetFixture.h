#pragma once

// Asset files for the editor's tests, made with our own CompoundStorage: the complete tree of
// "WinData.stg" with distinct, recognisable bytes in every stream.

#include "ScratchFolder.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace wztest {

using Bytes = std::vector<std::uint8_t>;

// "Images/Love3" -> its bytes, for every stream of the file.
using AssetContent = std::map<std::string, Bytes>;

// Bytes of the given size that differ from those of any other seed.
Bytes Pattern(std::size_t size, std::uint32_t seed);

// Every stream of a complete asset file, streamSize bytes each; with 0, sizes of 300, 4700 and
// 9100 bytes in turn, so that both the mini stream and ordinary sectors are used.
AssetContent DefaultContent(std::size_t streamSize = 0);

// Writes a complete asset file with the content. False when our engine refuses.
bool WriteAssetFile(const std::filesystem::path& file, const AssetContent& content);

// Reads every stream of the file back; empty when the file cannot be read.
AssetContent ReadAssetFile(const std::filesystem::path& file);

void WriteFile(const std::filesystem::path& file, const Bytes& bytes);
Bytes ReadFile(const std::filesystem::path& file);

// A fresh folder under the temporary directory, removed with the object.
using TempFolder = wz::testkit::ScratchFolder;

// Runs a command line through the shell; its exit status and what it printed.
struct CommandResult {
    int status = -1;
    std::string output;
};
CommandResult RunShell(const std::string& command);

// Checks the file with olefile in strict mode (any incorrect structure raises) and counts the
// sectors inside the file that the allocation table marks free. Empty on success, else
// olefile's complaint.
std::string CheckWithOlefile(const std::filesystem::path& file, int* freeSectors);

} // namespace wztest
