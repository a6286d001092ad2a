// Writing a change's structures back: a new directory chain where the directory was rebuilt,
// the changed mini FAT, DIFAT and FAT sectors, the header, then the changed directory sectors.
// Only after that are the sectors the change gave up set free for reuse.

#include "CfbErrors.h"
#include "CompoundFile.h"

#include <algorithm>
#include <new>
#include <set>
#include <utility>

namespace cfb {

namespace {

// The bytes of the table's sector at index: its share of the entries, in order.
std::vector<std::uint8_t> TableSector(const AllocationTable& table, std::uint32_t index,
                                      std::uint32_t sectorSize) {
    std::vector<std::uint8_t> bytes(sectorSize);
    const std::uint32_t perSector = table.entriesPerSector;
    for (std::uint32_t j = 0; j < perSector; ++j) {
        Store32(bytes.data() + 4 * j,
                table.entries[static_cast<std::size_t>(index) * perSector + j]);
    }
    return bytes;
}

} // namespace

int CompoundFile::WriteFatSector(std::uint32_t index) {
    const std::vector<std::uint8_t> bytes = TableSector(fat_, index, sectorSize_);
    return io_.WriteAt(SectorOffset(fatSectors_[index]), bytes.data(), sectorSize_);
}

int CompoundFile::WriteMiniFatSector(std::uint32_t index) {
    const std::vector<std::uint8_t> bytes = TableSector(miniFat_, index, sectorSize_);
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
