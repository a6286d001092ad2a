#include "CfbAllocationTable.h"

#include "CfbErrors.h"
#include "CfbFormat.h"

#include <algorithm>
#include <functional>

namespace cfb {

int AllocationTable::Walk(std::uint32_t start, std::uint32_t limit,
                          std::vector<std::uint32_t>& chain) const {
    chain.clear();
    std::uint32_t id = start;
    while (id != kEndOfChain) {
        if (id >= limit || id >= entries.size() || chain.size() >= entries.size()) {
            return kErrCorrupt;
        }
        chain.push_back(id);
        id = entries[id];
    }
    return kOk;
}

int AllocationTable::WalkCount(std::uint32_t start, std::uint32_t limit, std::uint64_t count,
                               std::vector<std::uint32_t>& chain) const {
    chain.clear();
    if (count > limit || count > entries.size()) {
        return kErrCorrupt;
    }
    chain.reserve(static_cast<std::size_t>(count));
    std::uint32_t id = start;
    for (std::uint64_t i = 0; i < count; ++i) {
        if (id >= limit || id >= entries.size()) {
            return kErrCorrupt;
        }
        chain.push_back(id);
        id = entries[id];
    }
    // A chain that visits a sector twice loops; its size alone would not show it. Chains we
    // write mostly run upwards, which needs no sorting to see.
    if (std::is_sorted(chain.begin(), chain.end(), std::less_equal<>())) {
        return std::adjacent_find(chain.begin(), chain.end()) == chain.end() ? kOk : kErrCorrupt;
    }
    std::vector<std::uint32_t> sorted = chain;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
        return kErrCorrupt;
    }
    return kOk;
}

std::uint32_t AllocationTable::FindFree() {
    while (freeHint_ < entries.size() && entries[freeHint_] != kFreeSect) {
        ++freeHint_;
    }
    return freeHint_;
}

void AllocationTable::Set(std::uint32_t id, std::uint32_t value) {
    if (entries[id] != value) {
        entries[id] = value;
        dirtySectors.insert(id / entriesPerSector);
    }
    if (value == kFreeSect && id < freeHint_) {
        freeHint_ = id;
    }
}

void AllocationTable::Release(std::uint32_t id) {
    Set(id, kFreeSect);
}

} // namespace cfb
