#include "CompoundFile.h"

#include "CfbErrors.h"

#include <algorithm>
#include <new>

namespace cfb {

namespace {

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

} // namespace

int CompoundFile::Open(const std::filesystem::path& path, FileAccess access,
                       std::shared_ptr<CompoundFile>& out) {
    out.reset();
    std::shared_ptr<CompoundFile> file(new (std::nothrow) CompoundFile);
    if (!file) {
        return kErrNoMemory;
    }
    try {
        if (int r = file->io_.Open(path, access); r != kOk) {
            return r;
        }
        file->writable_ = access != FileAccess::ReadShared;
        int r = access == FileAccess::CreateExclusive ? file->InitEmpty() : file->Load();
        if (r == kOk && access == FileAccess::ReadWriteExclusive) {
            r = file->PrepareForWriting();
        }
        if (r != kOk) {
            file->writable_ = false; // nothing to flush on the way out
            return r;
        }
    } catch (const std::bad_alloc&) {
        file->writable_ = false;
        return kErrNoMemory;
    }
    out = std::move(file);
    return kOk;
}

CompoundFile::~CompoundFile() {
    if (writable_ && !broken_ && syncOnClose_ && io_.IsOpen()) {
        io_.Sync();
    }
}

int CompoundFile::Fail(int code) {
    broken_ = true;
    return code;
}

// ---- Loading -------------------------------------------------------------------------------

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

// ---- Elements ------------------------------------------------------------------------------

int CompoundFile::Acquire(std::uint32_t id) {
    if (broken_) {
        return kErrReverted;
    }
    return open_.insert(id).second ? kOk : kErrAlreadyOpen;
}

void CompoundFile::Release(std::uint32_t id) {
    open_.erase(id);
}

bool CompoundFile::AnyOpenIn(std::uint32_t id) const {
    for (std::uint32_t sub : dir_.Subtree(id)) {
        if (open_.count(sub) != 0) {
            return true;
        }
    }
    return false;
}

void CompoundFile::FreeStreamLater(const DirEntry& e) {
    if (!e.IsStream() || e.size == 0) {
        return;
    }
    std::vector<std::uint32_t> chain;
    if (e.size >= kMiniStreamCutoff) {
        if (fat_.WalkCount(e.start, sectorCount_, CeilDiv(e.size, sectorSize_), chain) == kOk) {
            freeLater_.insert(freeLater_.end(), chain.begin(), chain.end());
        }
    } else if (miniFat_.WalkCount(e.start, static_cast<std::uint32_t>(miniFat_.entries.size()),
                                  CeilDiv(e.size, kMiniSectorSize), chain) == kOk) {
        freeMiniLater_.insert(freeMiniLater_.end(), chain.begin(), chain.end());
    }
}

int CompoundFile::RemoveElement(std::uint32_t storage, std::uint32_t id) {
    if (AnyOpenIn(id)) {
        return kErrAccessDenied;
    }
    for (std::uint32_t gone : dir_.Subtree(id)) {
        FreeStreamLater(dir_.entries[gone]);
        chains_.erase(gone);
    }
    dir_.RemoveTree(storage, id);
    newDirectory_ = true;
    return kOk;
}

int CompoundFile::CreateElement(std::uint32_t storage, std::u16string_view name, EntryType type,
                                bool replace, std::uint32_t& id) {
    if (broken_) {
        return kErrReverted;
    }
    if (!writable_) {
        return kErrAccessDenied;
    }
    if (!IsValidName(name)) {
        return kErrInvalidName;
    }
    try {
        if (const std::uint32_t old = dir_.Find(storage, name); old != kNoStream) {
            if (!replace) {
                return kErrAlreadyExists;
            }
            if (int r = RemoveElement(storage, old); r != kOk) {
                return r;
            }
        }
        DirEntry e;
        e.name = std::u16string(name);
        e.type = type;
        e.start = type == EntryType::Stream ? kEndOfChain : 0;
        id = dir_.Add(storage, std::move(e));
        newDirectory_ = true;
        return Flush();
    } catch (const std::bad_alloc&) {
        return Fail(kErrNoMemory);
    }
}

int CompoundFile::DestroyElement(std::uint32_t storage, std::u16string_view name) {
    if (broken_) {
        return kErrReverted;
    }
    if (!writable_) {
        return kErrAccessDenied;
    }
    const std::uint32_t id = dir_.Find(storage, name);
    if (id == kNoStream) {
        return kErrNotFound;
    }
    try {
        if (int r = RemoveElement(storage, id); r != kOk) {
            return r;
        }
        return Flush();
    } catch (const std::bad_alloc&) {
        return Fail(kErrNoMemory);
    }
}

int CompoundFile::SetStorageClass(std::uint32_t id, const std::array<std::uint8_t, 16>& clsid,
                                  std::uint32_t stateBits) {
    if (broken_) {
        return kErrReverted;
    }
    if (!writable_) {
        return kErrAccessDenied;
    }
    DirEntry& e = dir_.entries[id];
    if (e.clsid == clsid && e.stateBits == stateBits) {
        return kOk;
    }
    e.clsid = clsid;
    e.stateBits = stateBits;
    dirtyEntries_.insert(id);
    return Flush();
}

// ---- Allocation ----------------------------------------------------------------------------

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

// ---- Writing the tables --------------------------------------------------------------------

int CompoundFile::WriteFatSector(std::uint32_t index) {
    std::vector<std::uint8_t> bytes(sectorSize_);
    const std::uint32_t perSector = fat_.entriesPerSector;
    for (std::uint32_t j = 0; j < perSector; ++j) {
        Store32(bytes.data() + 4 * j,
                fat_.entries[static_cast<std::size_t>(index) * perSector + j]);
    }
    return io_.WriteAt(SectorOffset(fatSectors_[index]), bytes.data(), sectorSize_);
}

int CompoundFile::WriteMiniFatSector(std::uint32_t index) {
    std::vector<std::uint8_t> bytes(sectorSize_);
    const std::uint32_t perSector = miniFat_.entriesPerSector;
    for (std::uint32_t j = 0; j < perSector; ++j) {
        Store32(bytes.data() + 4 * j,
                miniFat_.entries[static_cast<std::size_t>(index) * perSector + j]);
    }
    return io_.WriteAt(SectorOffset(miniFatChain_[index]), bytes.data(), sectorSize_);
}

int CompoundFile::WriteDifatSector(std::uint32_t index) {
    std::vector<std::uint8_t> bytes(sectorSize_);
    const std::uint32_t perSector = sectorSize_ / 4;
    for (std::uint32_t j = 0; j + 1 < perSector; ++j) {
        const std::size_t k =
            kHeaderDifatCount + static_cast<std::size_t>(index) * (perSector - 1) + j;
        Store32(bytes.data() + 4 * j, k < fatSectors_.size() ? fatSectors_[k] : kFreeSect);
    }
    const std::uint32_t next =
        index + 1 < difatSectors_.size() ? difatSectors_[index + 1] : kEndOfChain;
    Store32(bytes.data() + 4 * (perSector - 1), next);
    return io_.WriteAt(SectorOffset(difatSectors_[index]), bytes.data(), sectorSize_);
}

int CompoundFile::WriteDirSector(std::uint32_t index, const std::vector<std::uint32_t>& chain) {
    std::vector<std::uint8_t> bytes(sectorSize_);
    const std::uint32_t perSector = sectorSize_ / kDirEntrySize;
    for (std::uint32_t j = 0; j < perSector; ++j) {
        const std::size_t k = static_cast<std::size_t>(index) * perSector + j;
        const DirEntry e = k < dir_.entries.size() ? dir_.entries[k] : UnusedEntry();
        WriteDirEntry(e, bytes.data() + j * kDirEntrySize);
    }
    return io_.WriteAt(SectorOffset(chain[index]), bytes.data(), sectorSize_);
}

int CompoundFile::WriteHeaderNow() {
    header_.fatSectorCount = static_cast<std::uint32_t>(fatSectors_.size());
    header_.difat.fill(kFreeSect);
    for (std::size_t i = 0; i < fatSectors_.size() && i < kHeaderDifatCount; ++i) {
        header_.difat[i] = fatSectors_[i];
    }
    header_.firstDifatSector = difatSectors_.empty() ? kEndOfChain : difatSectors_[0];
    header_.difatSectorCount = static_cast<std::uint32_t>(difatSectors_.size());
    header_.firstDirSector = dirChain_.front();
    header_.dirSectorCount =
        header_.majorVersion == 4 ? static_cast<std::uint32_t>(dirChain_.size()) : 0;
    header_.firstMiniFatSector = miniFatChain_.empty() ? kEndOfChain : miniFatChain_.front();
    header_.miniFatSectorCount = static_cast<std::uint32_t>(miniFatChain_.size());
    std::vector<std::uint8_t> bytes(sectorSize_, 0);
    WriteHeader(header_, bytes.data());
    headerDirty_ = false;
    return io_.WriteAt(0, bytes.data(), sectorSize_);
}

int CompoundFile::Flush() {
    try {
        const std::uint32_t perSector = sectorSize_ / kDirEntrySize;
        std::vector<std::uint32_t> newChain;
        if (newDirectory_) {
            // The changed directory goes into a chain of its own; the header switches to it.
            while (dir_.entries.size() % perSector != 0) {
                dir_.entries.push_back(UnusedEntry());
            }
            const std::uint64_t count = dir_.entries.size() / perSector;
            std::uint32_t start = kEndOfChain;
            if (int r = ExtendRegular(newChain, count, start); r != kOk) {
                return Fail(r);
            }
            for (std::uint32_t i = 0; i < newChain.size(); ++i) {
                if (int r = WriteDirSector(i, newChain); r != kOk) {
                    return Fail(r);
                }
            }
            headerDirty_ = true;
        }
        for (std::uint32_t i : miniFat_.dirtySectors) {
            if (int r = WriteMiniFatSector(i); r != kOk) {
                return Fail(r);
            }
        }
        miniFat_.dirtySectors.clear();
        for (std::uint32_t i : dirtyDifat_) {
            if (int r = WriteDifatSector(i); r != kOk) {
                return Fail(r);
            }
        }
        dirtyDifat_.clear();
        // Table sectors furthest into the file first: a new one past the old end must exist
        // before an older sector marks it as taken.
        std::vector<std::uint32_t> fatOrder(fat_.dirtySectors.begin(), fat_.dirtySectors.end());
        std::sort(fatOrder.begin(), fatOrder.end(), [this](std::uint32_t a, std::uint32_t b) {
            return fatSectors_[a] > fatSectors_[b];
        });
        for (std::uint32_t i : fatOrder) {
            if (int r = WriteFatSector(i); r != kOk) {
                return Fail(r);
            }
        }
        fat_.dirtySectors.clear();
        if (newDirectory_) {
            freeLater_.insert(freeLater_.end(), dirChain_.begin(), dirChain_.end());
            dirChain_ = std::move(newChain);
        }
        if (headerDirty_) {
            if (int r = WriteHeaderNow(); r != kOk) {
                return Fail(r);
            }
        }
        if (!newDirectory_) {
            // Entry 0 (the mini stream's size) comes before the stream entry that relies on it.
            std::set<std::uint32_t> sectors;
            for (std::uint32_t id : dirtyEntries_) {
                sectors.insert(id / perSector);
            }
            for (std::uint32_t i : sectors) {
                if (int r = WriteDirSector(i, dirChain_); r != kOk) {
                    return Fail(r);
                }
            }
        }
        dirtyEntries_.clear();
        newDirectory_ = false;

        // The change is in; what it gave up can be marked free and reused.
        for (std::uint32_t id : freeLater_) {
            fat_.Release(id);
        }
        for (std::uint32_t id : freeMiniLater_) {
            miniFat_.Release(id);
        }
        freeLater_.clear();
        freeMiniLater_.clear();
        for (std::uint32_t i : miniFat_.dirtySectors) {
            if (int r = WriteMiniFatSector(i); r != kOk) {
                return Fail(r);
            }
        }
        miniFat_.dirtySectors.clear();
        for (std::uint32_t i : fat_.dirtySectors) {
            if (int r = WriteFatSector(i); r != kOk) {
                return Fail(r);
            }
        }
        fat_.dirtySectors.clear();
        return kOk;
    } catch (const std::bad_alloc&) {
        return Fail(kErrNoMemory);
    }
}

} // namespace cfb
