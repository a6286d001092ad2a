#pragma once

// A sector allocation table: the FAT (one entry per sector of the file) or the MiniFAT (one
// entry per 64-byte sector of the mini stream). Each entry names the next sector of its chain.

#include <cstdint>
#include <set>
#include <vector>

namespace cfb {

class AllocationTable {
public:
    std::vector<std::uint32_t> entries;

    // Follows a chain from start to its end marker. Every id must be below limit; a chain with
    // more links than the table has entries must loop and is refused (kErrCorrupt).
    int Walk(std::uint32_t start, std::uint32_t limit, std::vector<std::uint32_t>& chain) const;
    // Follows the first count links of a chain, for a stream whose size says how many sectors
    // it needs. A chain that ends early, or a count above limit, is kErrCorrupt.
    int WalkCount(std::uint32_t start, std::uint32_t limit, std::uint64_t count,
                  std::vector<std::uint32_t>& chain) const;

    // The lowest free entry, or entries.size() when every entry is taken.
    std::uint32_t FindFree();
    // Changes an entry and records which table sector now differs from the file.
    void Set(std::uint32_t id, std::uint32_t value);
    // Marks an entry free again; allocation may reuse it from now on.
    void Release(std::uint32_t id);

    std::uint32_t entriesPerSector = 128;
    std::set<std::uint32_t> dirtySectors;

private:
    std::uint32_t freeHint_ = 0;
};

} // namespace cfb
