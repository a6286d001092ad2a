#pragma once

// Reading the files the user dropped onto the slots.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wz {

// Reads a regular file whole into bytes, sized exactly to the file. Fails when the file cannot
// be opened, is not a regular file (a pipe would block the editor), is empty, is larger than
// a stream can hold (4 GiB - 1), or yields fewer bytes than its size. An allocation that cannot
// be met throws std::bad_alloc. On failure reason, when given, says why in a few words.
bool ReadSourceFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                    std::string* reason = nullptr);

} // namespace wz
