#pragma once

// Helpers shared by the compound-file tests: a scratch folder per test, byte patterns, and a
// small builder for files with a given tree.

#include "CfbFormat.h"
#include "CfbStorage.h"
#include "ChildProcess.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace cfbtest {

// The modes the tests open files and elements in when they hold them alone.
inline constexpr std::uint32_t kRW = cfb::kModeReadWrite | cfb::kShareExclusive;
inline constexpr std::uint32_t kRO = cfb::kModeRead | cfb::kShareExclusive;

// A fresh folder under the temporary directory, removed when the test ends.
using ScratchDir = wz::testkit::ScratchFolder;

// Bytes that differ per stream and per position, so that a mix-up shows.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// "Storage/Stream" → content. Storages are made as the paths need them.
using Tree = std::map<std::string, std::vector<std::uint8_t>>;

// Writes a new file holding tree; returns the engine's result.
int BuildFile(const std::filesystem::path& path, const Tree& tree);
// Reads every stream of the file (one storage level) back into a tree.
int ReadTree(const std::filesystem::path& path, Tree& out);

std::u16string U16(const std::string& ascii);
std::string Narrow(const std::u16string& name);

// Just enough of a reader of a version 3 file (512-byte sectors) to find what to damage.
struct Layout {
    std::vector<std::uint8_t> bytes;
    std::uint32_t Get32(std::size_t at) const { return cfb::Load32(bytes.data() + at); }
    void Set32(std::size_t at, std::uint32_t v) { cfb::Store32(bytes.data() + at, v); }
    std::size_t SectorAt(std::uint32_t id) const {
        return (static_cast<std::size_t>(id) + 1) * 512;
    }
    // Where the FAT entry of sector id lies (the first 109 FAT sectors only).
    std::size_t FatAt(std::uint32_t id) const {
        return SectorAt(Get32(0x4C + 4 * (id / 128))) + 4 * (id % 128);
    }
    std::uint32_t Fat(std::uint32_t id) const { return Get32(FatAt(id)); }
    std::vector<std::uint32_t> Chain(std::uint32_t start) const;
    // The offset of directory entry index; throws std::out_of_range beyond the directory.
    std::size_t EntryAt(std::uint32_t index) const;
    // The index of the entry in use with that name, or kNoStream.
    std::uint32_t Find(const std::u16string& name) const;
    std::size_t MiniFatAt(std::uint32_t id) const {
        return SectorAt(Chain(Get32(0x3C)).at(id / 128)) + 4 * (id % 128);
    }
    // The first sector of the entry's stream.
    std::uint32_t StartOf(const std::u16string& name) const {
        return Get32(EntryAt(Find(name)) + 0x74);
    }
};

using wz::testkit::ChildProcess;
using wz::testkit::RunProgram;

#ifdef WZ_SOURCE_DIR
// Runs scripts/sheetjs-cfb.sh: the SheetJS "cfb" package at its pinned version, installed once
// into the build tree. Returns its exit status.
inline int RunSheetJs(const std::vector<std::string>& args, std::string* output = nullptr) {
    std::vector<std::string> argv = {"/usr/bin/env", "WZ_SHEETJS_DIR=" WZ_BINARY_DIR "/sheetjs-cfb",
                                     WZ_SOURCE_DIR "/scripts/sheetjs-cfb.sh"};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv, output);
}
#endif

} // namespace cfbtest
