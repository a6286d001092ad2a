// Reading and writing stream contents: regular streams in whole sectors, small streams in the
// 64-byte sectors of the mini stream. Runs of neighbouring sectors are moved in one call.

#include "CfbErrors.h"
#include "CompoundFile.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace cfb {

namespace {

// Largest stream this engine writes; the file as a whole stays under 2 GiB anyway.
constexpr std::uint64_t kMaxStreamSize = 0x7FFFFFFFu;

} // namespace

int CompoundFile::RegularChain(std::uint32_t id, std::vector<std::uint32_t>*& chain) {
    auto it = chains_.find(id);
    if (it == chains_.end()) {
        const DirEntry& e = dir_.entries[id];
        std::vector<std::uint32_t> walked;
        const std::uint32_t limit =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(sectorCount_, fat_.entries.size()));
        if (int r = fat_.WalkCount(e.start, limit, CeilDiv(e.size, sectorSize_), walked);
            r != kOk) {
            return r;
        }
        it = chains_.emplace(id, std::move(walked)).first;
    }
    chain = &it->second;
    return kOk;
}

int CompoundFile::MiniChain(std::uint32_t id, std::vector<std::uint32_t>*& chain) {
    auto it = chains_.find(id);
    if (it == chains_.end()) {
        const DirEntry& e = dir_.entries[id];
        // Only mini sectors that lie inside the mini stream can hold data.
        const std::uint64_t inStream = CeilDiv(dir_.entries[0].size, kMiniSectorSize);
        const std::uint32_t limit =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(inStream, miniFat_.entries.size()));
        std::vector<std::uint32_t> walked;
        if (int r = miniFat_.WalkCount(e.start, limit, CeilDiv(e.size, kMiniSectorSize), walked);
            r != kOk) {
            return r;
        }
        it = chains_.emplace(id, std::move(walked)).first;
    }
    chain = &it->second;
    return kOk;
}

int CompoundFile::ReadRuns(const std::vector<std::uint32_t>& chain, bool mini,
                           std::uint64_t position, std::uint8_t* out, std::size_t length) {
    const std::uint32_t unit = mini ? kMiniSectorSize : sectorSize_;
    auto offsetOf = [&](std::uint32_t id) -> std::uint64_t {
        if (!mini) {
            return SectorOffset(id);
        }
        const std::uint64_t inStream = static_cast<std::uint64_t>(id) * kMiniSectorSize;
        return SectorOffset(miniStreamChain_[inStream / sectorSize_]) + inStream % sectorSize_;
    };
    while (length > 0) {
        std::size_t index = static_cast<std::size_t>(position / unit);
        const std::uint32_t within = static_cast<std::uint32_t>(position % unit);
        const std::uint64_t fileOffset = offsetOf(chain[index]) + within;
        std::size_t run = std::min<std::size_t>(length, unit - within);
        while (run < length && index + 1 < chain.size() &&
               offsetOf(chain[index + 1]) == offsetOf(chain[index]) + unit) {
            ++index;
            run += std::min<std::size_t>(unit, length - run);
        }
        if (int r = io_.ReadAt(fileOffset, out, run); r != kOk) {
            return r;
        }
        out += run;
        position += run;
        length -= run;
    }
    return kOk;
}

int CompoundFile::CheckChain(std::uint32_t id) {
    if (broken_) {
        return kErrReverted;
    }
    const DirEntry& e = dir_.entries[id];
    if (e.size == 0) {
        return kOk;
    }
    std::vector<std::uint32_t>* chain = nullptr;
    try {
        return e.size < kMiniStreamCutoff ? MiniChain(id, chain) : RegularChain(id, chain);
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

int CompoundFile::ReadStream(std::uint32_t id, std::uint64_t position, void* buffer,
                             std::size_t length, std::size_t& done) {
    done = 0;
    if (broken_) {
        return kErrReverted;
    }
    const DirEntry& e = dir_.entries[id];
    if (position >= e.size || length == 0) {
        return kOk;
    }
    const std::size_t count =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, e.size - position));
    std::vector<std::uint32_t>* chain = nullptr;
    const bool mini = e.size < kMiniStreamCutoff;
    try {
        if (int r = mini ? MiniChain(id, chain) : RegularChain(id, chain); r != kOk) {
            return r;
        }
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    if (int r = ReadRuns(*chain, mini, position, static_cast<std::uint8_t*>(buffer), count);
        r != kOk) {
        return r;
    }
    done = count;
    return kOk;
}

// Writes bytes at position of a regular stream's chain. Sectors from index freshFrom on are
// new: where the bytes end inside one of them, the rest of it is written as zeros so that the
// file always ends on a whole sector.
int CompoundFile::WriteRegular(const std::vector<std::uint32_t>& chain, std::size_t freshFrom,
                               std::uint64_t position, const std::uint8_t* bytes,
                               std::size_t length) {
    // A new sector that the bytes end inside is written whole, zero-padded, in one call: the
    // file must never end in the middle of a sector, not even after a failed write.
    const std::uint64_t end = position + length;
    const auto lastIndex = static_cast<std::size_t>(end / sectorSize_);
    const auto tail = static_cast<std::uint32_t>(end % sectorSize_);
    std::size_t direct = length;
    if (tail != 0 && lastIndex >= freshFrom && lastIndex < chain.size() &&
        static_cast<std::uint64_t>(lastIndex) * sectorSize_ >= position) {
        direct = length - tail;
    }
    while (direct > 0) {
        std::size_t index = static_cast<std::size_t>(position / sectorSize_);
        const std::uint32_t within = static_cast<std::uint32_t>(position % sectorSize_);
        const std::uint64_t fileOffset = SectorOffset(chain[index]) + within;
        std::size_t run = std::min<std::size_t>(direct, sectorSize_ - within);
        while (run < direct && index + 1 < chain.size() && chain[index + 1] == chain[index] + 1) {
            ++index;
            run += std::min<std::size_t>(sectorSize_, direct - run);
        }
        if (int r = io_.WriteAt(fileOffset, bytes, run); r != kOk) {
            return r;
        }
        bytes += run;
        position += run;
        direct -= run;
        length -= run;
    }
    if (length > 0) {
        std::vector<std::uint8_t> sector(sectorSize_, 0);
        std::copy(bytes, bytes + length, sector.begin());
        return io_.WriteAt(SectorOffset(chain[lastIndex]), sector.data(), sectorSize_);
    }
    return kOk;
}

int CompoundFile::WriteRegularZeros(const std::vector<std::uint32_t>& chain, std::size_t freshFrom,
                                    std::uint64_t position, std::uint64_t length) {
    const std::vector<std::uint8_t> zeros(std::min<std::uint64_t>(length, 1u << 16), 0);
    while (length > 0) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(length, zeros.size()));
        if (int r = WriteRegular(chain, freshFrom, position, zeros.data(), n); r != kOk) {
            return r;
        }
        position += n;
        length -= n;
    }
    return kOk;
}

// Writes bytes at position of a small stream, whose mini sectors are whole 64-byte units.
int CompoundFile::WriteMini(const std::vector<std::uint32_t>& chain, std::uint64_t position,
                            const std::uint8_t* bytes, std::size_t length) {
    while (length > 0) {
        const std::size_t index = static_cast<std::size_t>(position / kMiniSectorSize);
        const std::uint32_t within = static_cast<std::uint32_t>(position % kMiniSectorSize);
        const std::uint64_t inStream = static_cast<std::uint64_t>(chain[index]) * kMiniSectorSize;
        const std::uint64_t fileOffset = SectorOffset(miniStreamChain_[inStream / sectorSize_]) +
                                         inStream % sectorSize_ + within;
        const std::size_t run = std::min<std::size_t>(length, kMiniSectorSize - within);
        if (int r = io_.WriteAt(fileOffset, bytes, run); r != kOk) {
            return r;
        }
        bytes += run;
        position += run;
        length -= run;
    }
    return kOk;
}

int CompoundFile::WriteStream(std::uint32_t id, std::uint64_t position, const void* data,
                              std::size_t length) {
    if (broken_) {
        return kErrReverted;
    }
    if (!writable_) {
        return kErrAccessDenied;
    }
    if (length == 0) {
        return kOk;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    DirEntry& e = dir_.entries[id];
    const std::uint64_t oldSize = e.size;
    if (position > kMaxStreamSize || length > kMaxStreamSize - position) {
        return kErrTooLarge;
    }
    const std::uint64_t end = position + length;
    const std::uint64_t newSize = std::max(oldSize, end);
    if (int r = CheckRoom(newSize); r != kOk) {
        return r;
    }
    try {
        std::vector<std::uint32_t>* chain = nullptr;
        if (newSize < kMiniStreamCutoff) {
            // Stays small: build the touched mini sectors whole in memory (under 4 KiB).
            if (oldSize > 0) {
                if (int r = MiniChain(id, chain); r != kOk) {
                    return r;
                }
            } else {
                chains_[id].clear();
                chain = &chains_[id];
            }
            const std::uint64_t from =
                std::min(position, oldSize) / kMiniSectorSize * kMiniSectorSize;
            const std::uint64_t to = CeilDiv(newSize, kMiniSectorSize) * kMiniSectorSize;
            std::vector<std::uint8_t> image(static_cast<std::size_t>(to - from), 0);
            if (oldSize > from) {
                if (int r = ReadRuns(*chain, true, from, image.data(),
                                     static_cast<std::size_t>(oldSize - from));
                    r != kOk) {
                    return Fail(r);
                }
            }
            std::memcpy(image.data() + (position - from), bytes, length);
            while (chain->size() < to / kMiniSectorSize) {
                std::uint32_t m = 0;
                if (int r = AllocMiniSector(m); r != kOk) {
                    return Fail(r);
                }
                if (chain->empty()) {
                    e.start = m;
                } else {
                    miniFat_.Set(chain->back(), m);
                }
                chain->push_back(m);
            }
            if (int r = WriteMini(*chain, from, image.data(), image.size()); r != kOk) {
                return Fail(r);
            }
        } else if (oldSize < kMiniStreamCutoff) {
            // Crosses the cutoff: the whole stream moves into new regular sectors, and its
            // mini sectors are given up once the entry points at the new chain.
            std::vector<std::uint8_t> old(static_cast<std::size_t>(oldSize));
            if (oldSize > 0) {
                if (int r = MiniChain(id, chain); r != kOk) {
                    return r;
                }
                if (int r = ReadRuns(*chain, true, 0, old.data(), old.size()); r != kOk) {
                    return Fail(r);
                }
                freeMiniLater_.insert(freeMiniLater_.end(), chain->begin(), chain->end());
            }
            std::vector<std::uint32_t> fresh;
            std::uint32_t start = kEndOfChain;
            if (int r = ReserveFat(CeilDiv(newSize, sectorSize_)); r != kOk) {
                return Fail(r);
            }
            if (int r = ExtendRegular(fresh, CeilDiv(newSize, sectorSize_), start); r != kOk) {
                return Fail(r);
            }
            const std::uint64_t kept = std::min(oldSize, position);
            if (int r = WriteRegular(fresh, 0, 0, old.data(), static_cast<std::size_t>(kept));
                r != kOk) {
                return Fail(r);
            }
            if (int r = WriteRegularZeros(fresh, 0, kept, position - kept); r != kOk) {
                return Fail(r);
            }
            if (int r = WriteRegular(fresh, 0, position, bytes, length); r != kOk) {
                return Fail(r);
            }
            if (end < oldSize) {
                if (int r = WriteRegular(fresh, 0, end, old.data() + end,
                                         static_cast<std::size_t>(oldSize - end));
                    r != kOk) {
                    return Fail(r);
                }
            }
            e.start = start;
            chains_[id] = std::move(fresh);
        } else {
            if (int r = RegularChain(id, chain); r != kOk) {
                return r;
            }
            const std::size_t freshFrom = chain->size();
            std::uint32_t start = e.start;
            if (int r = ReserveFat(CeilDiv(newSize, sectorSize_) - freshFrom); r != kOk) {
                return Fail(r);
            }
            if (int r = ExtendRegular(*chain, CeilDiv(newSize, sectorSize_), start); r != kOk) {
                return Fail(r);
            }
            if (position > oldSize) {
                if (int r = WriteRegularZeros(*chain, freshFrom, oldSize, position - oldSize);
                    r != kOk) {
                    return Fail(r);
                }
            }
            if (int r = WriteRegular(*chain, freshFrom, position, bytes, length); r != kOk) {
                return Fail(r);
            }
        }
        if (newSize != oldSize || dirtyEntries_.count(0) != 0) {
            e.size = newSize;
            dirtyEntries_.insert(id);
        }
        if (!fat_.dirtySectors.empty() || !miniFat_.dirtySectors.empty() ||
            !dirtyEntries_.empty() || headerDirty_) {
            return Flush();
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return Fail(kErrNoMemory);
    }
}

} // namespace cfb
