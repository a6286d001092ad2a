#pragma once

// A structural check of a compound file, independent of the reader: header fields, every
// chain, sizes against the file, the sibling trees' order and colours, and that no sector
// belongs to two chains. It reports every problem it finds rather than stopping at the first.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace cfb {

struct CheckReport {
    std::vector<std::string> problems; // one line each; empty when the file is sound
    std::uint32_t sectors = 0;         // sectors after the header
    std::uint32_t freeSectors = 0;     // marked free in the FAT
    std::uint32_t strayedSectors = 0;  // marked in use, but no chain or table holds them
    std::uint32_t elements = 0;        // storages and streams below the root
};

// Checks the bytes of a whole file.
CheckReport CheckImage(std::span<const std::uint8_t> bytes);
// Reads the file (sharing it with other readers) and checks it. Returns 0, or the engine's
// result code when the file cannot be read at all.
int CheckFile(const std::filesystem::path& path, CheckReport& report);

} // namespace cfb
