#pragma once

// A structural check of a compound file, independent of the reader: header fields, every
// chain, sizes against the file, the sibling trees' order and colours, and that no sector
// belongs to two chains. It reports every problem it finds rather than stopping at the first,
// and tells errors (what a reader cannot read, or reads wrongly) from notes (what every reader
// takes, but the format's own writers would not leave: unbalanced sibling trees, FAT entries
// past the end of the file that are not marked free, stale header counts).

#include <cstdint>
#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cfb {

struct CheckReport {
    std::vector<std::string> problems; // errors, one line each; empty when the file is sound
    std::vector<std::string> notes;    // readable oddities, one line each
    std::uint32_t sectors = 0;         // sectors after the header
    std::uint32_t freeSectors = 0;     // marked free in the FAT
    std::uint32_t strayedSectors = 0;  // marked in use, but no chain or table holds them
    std::uint32_t elements = 0;        // storages and streams below the root
    std::uint32_t storages = 0;
    std::uint32_t streams = 0;
    // Every stream reached from the root, by its path ("Images/Love1"), with the first fault
    // of its chain: a chain that breaks off, loops, is shorter than the size, or shares a
    // sector with another chain or a table. Empty text for a sound chain. The map is empty
    // when the check stopped before it reached the streams.
    std::map<std::string, std::string> streamChains;
};

// Checks the bytes of a whole file.
CheckReport CheckImage(std::span<const std::uint8_t> bytes);
// Checks the file (sharing it with other readers), reading only its header and the sectors of
// its tables and directory. Returns 0, or the engine's result code when the file cannot be
// read.
int CheckFile(const std::filesystem::path& path, CheckReport& report);

} // namespace cfb
