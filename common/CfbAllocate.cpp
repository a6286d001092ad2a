// Finding room: free sectors first, then new ones at the end of the file, the FAT and the mini
// stream growing as they must. The tables are only marked changed here (a new mini stream
// sector is zeroed on disk at once); Flush writes them.

#include "CfbErrors.h"
#include "CompoundFile.h"

#include <algorithm>

namespace cfb {

int CompoundFile::CheckRoom(std::uint64_t moreBytes) const {
    // Data sectors plus a generous allowance for the tables and directory that chain them.
    const std::uint64_t sectors = CeilDiv(moreBytes, sectorSize_);
    const std::uint64_t total = sectorCount_ + sectors + sectors / 64 + 16 + dirChain_.size();
    return total <= kMaxSectors ? kOk : kErrTooLarge;
}

int CompoundFile::GrowFat() {
    const std::uint32_t perSector = fat_.entriesPerSector;
    if (fat_.entries.size() >= kMaxSectors) {
        return kErrTooLarge;
    }
    fat_.entries.resize(fat_.entries.size() + perSector, kFreeSect);
    // The new table sector takes the lowest free sector: when the table was full that is the
    // first one it now covers.
    const std::uint32_t id = fat_.FindFree();
    fat_.Set(id, kFatSect);
    fatSectors_.push_back(id);
    // The new sector's own entries (all free) must reach the file too.
    fat_.dirtySectors.insert(static_cast<std::uint32_t>(fatSectors_.size() - 1));
    sectorCount_ = std::max(sectorCount_, id + 1);
    headerDirty_ = true;
    if (fatSectors_.size() > kHeaderDifatCount) {
        const std::size_t beyond = fatSectors_.size() - kHeaderDifatCount - 1;
        const std::size_t difatIndex = beyond / (perSector - 1);
        if (difatIndex >= difatSectors_.size()) {
            std::uint32_t difat = fat_.FindFree();
            if (difat >= fat_.entries.size()) {
                if (int r = GrowFat(); r != kOk) {
                    return r;
                }
                difat = fat_.FindFree();
            }
            fat_.Set(difat, kDifSect);
            sectorCount_ = std::max(sectorCount_, difat + 1);
            if (!difatSectors_.empty()) {
                dirtyDifat_.insert(static_cast<std::uint32_t>(difatSectors_.size() - 1));
            }
            difatSectors_.push_back(difat);
        }
        dirtyDifat_.insert(static_cast<std::uint32_t>(difatIndex));
    }
    return kOk;
}

// Grows the FAT ahead of a large allocation so that its new sectors come before the data
// instead of breaking the data's run every 128 sectors.
int CompoundFile::ReserveFat(std::uint64_t moreSectors) {
    const std::uint64_t target =
        sectorCount_ + moreSectors + moreSectors / (fat_.entriesPerSector - 1) + 1;
    while (fat_.entries.size() < target) {
        if (int r = GrowFat(); r != kOk) {
            return r;
        }
    }
    return kOk;
}

int CompoundFile::AllocSector(std::uint32_t& id) {
    id = fat_.FindFree();
    if (id >= fat_.entries.size()) {
        if (int r = GrowFat(); r != kOk) {
            return r;
        }
        id = fat_.FindFree();
    }
    if (id >= kMaxSectors) {
        return kErrTooLarge;
    }
    fat_.Set(id, kEndOfChain);
    sectorCount_ = std::max(sectorCount_, id + 1);
    return kOk;
}

int CompoundFile::ExtendRegular(std::vector<std::uint32_t>& chain, std::uint64_t sectors,
                                std::uint32_t& start) {
    while (chain.size() < sectors) {
        std::uint32_t id = 0;
        if (int r = AllocSector(id); r != kOk) {
            return r;
        }
        if (chain.empty()) {
            start = id;
        } else {
            fat_.Set(chain.back(), id);
        }
        chain.push_back(id);
    }
    return kOk;
}

int CompoundFile::AllocMiniSector(std::uint32_t& id) {
    id = miniFat_.FindFree();
    if (id >= miniFat_.entries.size()) {
        std::uint32_t sector = 0;
        if (int r = AllocSector(sector); r != kOk) {
            return r;
        }
        if (miniFatChain_.empty()) {
            header_.firstMiniFatSector = sector;
        } else {
            fat_.Set(miniFatChain_.back(), sector);
        }
        miniFatChain_.push_back(sector);
        header_.miniFatSectorCount = static_cast<std::uint32_t>(miniFatChain_.size());
        headerDirty_ = true;
        const std::size_t first = miniFat_.entries.size();
        miniFat_.entries.resize(first + miniFat_.entriesPerSector, kFreeSect);
        miniFat_.dirtySectors.insert(static_cast<std::uint32_t>(first / miniFat_.entriesPerSector));
        id = miniFat_.FindFree();
    }
    miniFat_.Set(id, kEndOfChain);
    // The mini stream grows to cover the new mini sector; its new sectors start out zeroed.
    DirEntry& root = dir_.entries[0];
    const std::uint64_t needed = (static_cast<std::uint64_t>(id) + 1) * kMiniSectorSize;
    if (root.size < needed) {
        const std::size_t had = miniStreamChain_.size();
        if (int r = ExtendRegular(miniStreamChain_, CeilDiv(needed, sectorSize_), root.start);
            r != kOk) {
            return r;
        }
        std::vector<std::uint8_t> zeros(sectorSize_, 0);
        for (std::size_t i = had; i < miniStreamChain_.size(); ++i) {
            if (int r = io_.WriteAt(SectorOffset(miniStreamChain_[i]), zeros.data(), sectorSize_);
                r != kOk) {
                return r;
            }
        }
        root.size = needed;
        dirtyEntries_.insert(0);
    }
    return kOk;
}

} // namespace cfb
