// Loading a compound file: the header, the FAT through the DIFAT, the directory and the mini
// FAT, each bounded by what the file can hold; and the check before the first change that
// every sector belongs to exactly one structure.

#include "CfbErrors.h"
#include "CompoundFile.h"

#include <algorithm>

namespace cfb {

int CompoundFile::Reload() {
    fat_ = AllocationTable{};
    miniFat_ = AllocationTable{};
    chains_.clear();
    int r = Load();
    if (r == kOk && writable_) {
        r = PrepareForWriting();
    }
    return r == kOk ? kOk : Fail(r);
}

int CompoundFile::Load() {
    std::uint64_t fileSize = 0;
    if (int r = io_.Size(fileSize); r != kOk) {
        return r;
    }
    if (fileSize < kHeaderSize) {
        return kErrNotCompoundFile;
    }
    std::uint8_t raw[kHeaderSize];
    if (int r = io_.ReadAt(0, raw, sizeof raw); r != kOk) {
        return r;
    }
    if (int r = ParseHeader(raw, header_); r != kOk) {
        return r;
    }
    sectorSize_ = header_.SectorSize();
    const std::uint32_t perSector = sectorSize_ / 4;
    if (fileSize < sectorSize_) {
        return kErrCorrupt;
    }
    const std::uint64_t sectors = CeilDiv(fileSize - sectorSize_, sectorSize_);
    if (sectors > kMaxRegSect) {
        return kErrCorrupt;
    }
    sectorCount_ = static_cast<std::uint32_t>(sectors);

    // Which sectors hold the FAT: the first 109 from the header, the rest from the DIFAT chain.
    if (header_.fatSectorCount > sectorCount_ || header_.difatSectorCount > sectorCount_) {
        return kErrCorrupt;
    }
    const std::uint32_t fatCount = header_.fatSectorCount;
    fatSectors_.clear();
    difatSectors_.clear();
    for (std::uint32_t i = 0; i < kHeaderDifatCount && fatSectors_.size() < fatCount; ++i) {
        fatSectors_.push_back(header_.difat[i]);
    }
    std::vector<bool> seen(sectorCount_, false);
    std::vector<std::uint8_t> sector(sectorSize_);
    std::uint32_t next = header_.firstDifatSector;
    for (std::uint32_t i = 0; i < header_.difatSectorCount && fatSectors_.size() < fatCount; ++i) {
        if (next >= sectorCount_ || seen[next]) {
            return kErrCorrupt;
        }
        seen[next] = true;
        difatSectors_.push_back(next);
        if (int r = io_.ReadAt(SectorOffset(next), sector.data(), sectorSize_); r != kOk) {
            return r;
        }
        for (std::uint32_t j = 0; j + 1 < perSector && fatSectors_.size() < fatCount; ++j) {
            fatSectors_.push_back(Load32(sector.data() + 4 * j));
        }
        next = Load32(sector.data() + 4 * (perSector - 1));
    }
    if (fatSectors_.size() < fatCount || fatCount == 0) {
        return kErrCorrupt;
    }
    for (std::uint32_t id : fatSectors_) {
        if (id >= sectorCount_ || seen[id]) {
            return kErrCorrupt;
        }
        seen[id] = true;
    }
    fat_.entriesPerSector = perSector;
    fat_.entries.assign(static_cast<std::size_t>(fatCount) * perSector, kFreeSect);
    if (int r = ReadTable(fatSectors_, fat_.entries); r != kOk) {
        return r;
    }
    const std::uint32_t limit =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(sectorCount_, fat_.entries.size()));

    // The directory.
    if (int r = fat_.Walk(header_.firstDirSector, limit, dirChain_); r != kOk) {
        return r;
    }
    if (dirChain_.empty()) {
        return kErrCorrupt;
    }
    const std::uint32_t entriesPerSector = sectorSize_ / kDirEntrySize;
    dir_.entries.assign(dirChain_.size() * entriesPerSector, DirEntry{});
    const bool wideSizes = header_.majorVersion == 4;
    std::vector<std::uint32_t> words(dirChain_.size() * sectorSize_ / 4);
    if (int r = ReadTable(dirChain_, words); r != kOk) {
        return r;
    }
    std::vector<std::uint8_t> entryBytes(kDirEntrySize);
    for (std::size_t i = 0; i < dir_.entries.size(); ++i) {
        for (std::uint32_t k = 0; k < kDirEntrySize / 4; ++k) {
            Store32(entryBytes.data() + 4 * k, words[i * kDirEntrySize / 4 + k]);
        }
        ParseDirEntry(entryBytes.data(), wideSizes, dir_.entries[i]);
    }
    if (int r = dir_.Index(); r != kOk) {
        return r;
    }

    // The MiniFAT and the mini stream it divides.
    miniFat_.entriesPerSector = perSector;
    miniFatChain_.clear();
    if (header_.firstMiniFatSector != kEndOfChain && header_.firstMiniFatSector != kFreeSect) {
        if (int r = fat_.Walk(header_.firstMiniFatSector, limit, miniFatChain_); r != kOk) {
            return r;
        }
    }
    miniFat_.entries.assign(miniFatChain_.size() * perSector, kFreeSect);
    if (int r = ReadTable(miniFatChain_, miniFat_.entries); r != kOk) {
        return r;
    }
    const DirEntry& root = dir_.entries[0];
    miniStreamChain_.clear();
    if (root.size > 0) {
        if (int r = fat_.WalkCount(root.start, limit, CeilDiv(root.size, sectorSize_),
                                   miniStreamChain_);
            r != kOk) {
            return r;
        }
    }
    return kOk;
}

// Reads the table held in the given sectors, one call per run of neighbouring sectors.
int CompoundFile::ReadTable(const std::vector<std::uint32_t>& sectors,
                            std::vector<std::uint32_t>& entries) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < sectors.size();) {
        std::size_t run = 1;
        while (i + run < sectors.size() && sectors[i + run] == sectors[i] + run && run < 2048) {
            ++run;
        }
        bytes.resize(run * sectorSize_);
        if (int r = io_.ReadAt(SectorOffset(sectors[i]), bytes.data(), bytes.size()); r != kOk) {
            return r;
        }
        for (std::size_t k = 0; k < bytes.size() / 4; ++k) {
            entries[i * sectorSize_ / 4 + k] = Load32(bytes.data() + 4 * k);
        }
        i += run;
    }
    return kOk;
}

int CompoundFile::InitEmpty() {
    header_ = Header{};
    sectorSize_ = header_.SectorSize();
    const std::uint32_t perSector = sectorSize_ / 4;
    fat_.entriesPerSector = perSector;
    miniFat_.entriesPerSector = perSector;
    fat_.entries.assign(perSector, kFreeSect);
    fat_.Set(0, kFatSect);
    fat_.Set(1, kEndOfChain);
    fatSectors_ = {0};
    dirChain_ = {1};
    sectorCount_ = 2;
    header_.fatSectorCount = 1;
    header_.firstDirSector = 1;
    header_.difat[0] = 0;
    DirEntry root;
    root.name = u"Root Entry";
    root.type = EntryType::Root;
    root.color = kBlack;
    dir_.entries.assign(sectorSize_ / kDirEntrySize, UnusedEntry());
    dir_.entries[0] = root;
    if (int r = dir_.Index(); r != kOk) {
        return r;
    }
    // The directory first, then the table that chains it, then the header.
    if (int r = WriteDirSector(0, dirChain_); r != kOk) {
        return r;
    }
    if (int r = WriteFatSector(0); r != kOk) {
        return r;
    }
    fat_.dirtySectors.clear();
    return WriteHeaderNow();
}

// Before the first change, every sector must belong to exactly one structure: a file where two
// chains share a sector would be damaged further by writing. Entries that nothing uses (left by
// an interrupted change of an earlier session) are set free, and chains that run past what
// their size needs are cut, so the tables describe the file exactly again.
int CompoundFile::PrepareForWriting() {
    const std::uint32_t limit =
        static_cast<std::uint32_t>(std::min<std::uint64_t>(sectorCount_, fat_.entries.size()));
    std::vector<std::uint32_t> expected(fat_.entries.size(), kFreeSect);
    std::vector<bool> used(fat_.entries.size(), false);
    auto claim = [&](std::uint32_t id, std::uint32_t value) {
        if (id >= used.size() || used[id]) {
            return false;
        }
        used[id] = true;
        expected[id] = value;
        return true;
    };
    auto claimChain = [&](const std::vector<std::uint32_t>& chain) {
        for (std::size_t i = 0; i < chain.size(); ++i) {
            if (!claim(chain[i], i + 1 < chain.size() ? chain[i + 1] : kEndOfChain)) {
                return false;
            }
        }
        return true;
    };
    for (std::uint32_t id : fatSectors_) {
        if (!claim(id, kFatSect)) {
            return kErrCorrupt;
        }
    }
    for (std::uint32_t id : difatSectors_) {
        if (!claim(id, kDifSect)) {
            return kErrCorrupt;
        }
    }
    if (!claimChain(dirChain_) || !claimChain(miniFatChain_) || !claimChain(miniStreamChain_)) {
        return kErrCorrupt;
    }
    std::vector<std::uint32_t> miniExpected(miniFat_.entries.size(), kFreeSect);
    std::vector<bool> miniUsed(miniFat_.entries.size(), false);
    std::vector<std::uint32_t>* chain = nullptr;
    for (std::uint32_t id : dir_.Subtree(0)) {
        const DirEntry& e = dir_.entries[id];
        if (!e.IsStream() || e.size == 0) {
            continue;
        }
        if (e.size >= kMiniStreamCutoff) {
            if (RegularChain(id, chain) != kOk || !claimChain(*chain)) {
                return kErrCorrupt;
            }
            continue;
        }
        if (MiniChain(id, chain) != kOk) {
            return kErrCorrupt;
        }
        for (std::size_t i = 0; i < chain->size(); ++i) {
            const std::uint32_t m = (*chain)[i];
            if (miniUsed[m]) {
                return kErrCorrupt;
            }
            miniUsed[m] = true;
            miniExpected[m] = i + 1 < chain->size() ? (*chain)[i + 1] : kEndOfChain;
        }
    }
    (void)limit;
    // Sectors past the last one in use (left by a change that failed before its tables were
    // written) are cut off the file.
    std::uint32_t inUse = 0;
    for (std::size_t i = expected.size(); i-- > 0;) {
        if (expected[i] != kFreeSect) {
            inUse = static_cast<std::uint32_t>(i + 1);
            break;
        }
    }
    if (sectorCount_ > inUse) {
        if (int r = io_.Truncate((static_cast<std::uint64_t>(inUse) + 1) * sectorSize_); r != kOk) {
            return r;
        }
        sectorCount_ = inUse;
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        fat_.Set(static_cast<std::uint32_t>(i), expected[i]);
    }
    for (std::size_t i = 0; i < miniExpected.size(); ++i) {
        miniFat_.Set(static_cast<std::uint32_t>(i), miniExpected[i]);
    }
    if (header_.miniFatSectorCount != miniFatChain_.size()) {
        headerDirty_ = true;
    }
    if (fat_.dirtySectors.empty() && miniFat_.dirtySectors.empty() && !headerDirty_) {
        return kOk;
    }
    // Only frees and cut chain ends are written here, which no reader of the file relies on.
    return Flush();
}

} // namespace cfb
