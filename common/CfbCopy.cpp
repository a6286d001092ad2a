// The whole-tree copy. Into the empty root of another file it lays the new file out in one
// pass (tables, directory, mini stream, then each stream's sectors in a row) so that the copy
// has no free sector; into anything else it copies element by element.

#include "CfbStorage.h"
#include "CompoundFile.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <unordered_map>

namespace cfb {

namespace {

constexpr std::size_t kCopyChunk = 1u << 20;

// Sequential writer over the destination file, in large blocks.
class SequentialWriter {
public:
    explicit SequentialWriter(FileIo& io, std::uint64_t offset) : io_(io), offset_(offset) {
        buffer_.reserve(kCopyChunk * 2);
    }
    int Append(const void* bytes, std::size_t length) {
        const auto* p = static_cast<const std::uint8_t*>(bytes);
        buffer_.insert(buffer_.end(), p, p + length);
        return buffer_.size() >= kCopyChunk ? Drain() : kOk;
    }
    int Zeros(std::size_t length) {
        buffer_.resize(buffer_.size() + length, 0);
        return buffer_.size() >= kCopyChunk ? Drain() : kOk;
    }
    int Table(const std::vector<std::uint32_t>& values, std::size_t count) {
        const std::size_t at = buffer_.size();
        buffer_.resize(at + count * 4);
        for (std::size_t i = 0; i < count; ++i) {
            Store32(buffer_.data() + at + 4 * i, i < values.size() ? values[i] : kFreeSect);
        }
        return buffer_.size() >= kCopyChunk ? Drain() : kOk;
    }
    // Makes room for length bytes at the end of the buffer and returns where they go.
    std::uint8_t* Reserve(std::size_t length) {
        const std::size_t at = buffer_.size();
        buffer_.resize(at + length);
        return buffer_.data() + at;
    }
    int Drain() {
        if (buffer_.empty()) {
            return kOk;
        }
        const int r = io_.WriteAt(offset_, buffer_.data(), buffer_.size());
        // The copy is flushed when the file closes; starting each chunk's write-back now lets
        // the disk work while the rest is copied.
        io_.StartWriteBack(offset_, buffer_.size());
        offset_ += buffer_.size();
        buffer_.clear();
        return r;
    }
    std::size_t Buffered() const { return buffer_.size(); }

private:
    FileIo& io_;
    std::uint64_t offset_;
    std::vector<std::uint8_t> buffer_;
};

struct Planned {
    std::uint32_t source; // entry in the source file
    std::uint32_t start;
};

int CopyStreamBytes(CompoundFile& src, std::uint32_t id, std::uint64_t size, std::uint32_t unit,
                    SequentialWriter& out) {
    std::uint64_t position = 0;
    while (position < size) {
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(size - position, kCopyChunk));
        std::size_t done = 0;
        if (int r = src.ReadStream(id, position, out.Reserve(n), n, done); r != kOk) {
            return r;
        }
        if (done != n) {
            return kErrCorrupt;
        }
        position += n;
        if (out.Buffered() >= kCopyChunk) {
            if (int r = out.Drain(); r != kOk) {
                return r;
            }
        }
    }
    const std::uint64_t padded = CeilDiv(size, unit) * unit;
    return out.Zeros(static_cast<std::size_t>(padded - size));
}

// Where one entry of the new directory takes its bytes from: a stream of the source file, or
// a replacement held in memory.
struct Origin {
    std::uint32_t source = kNoStream;
    const StreamReplacement* replacement = nullptr;
};

// Finds each replacement's place in the source: the stream it stands for, or, for a stream the
// source lacks, the storage that gains it.
int MatchReplacements(
    const Directory& from, std::uint32_t storage, std::span<const StreamReplacement> replacements,
    std::unordered_map<std::uint32_t, const StreamReplacement*>& replaced,
    std::unordered_map<std::uint32_t, std::vector<const StreamReplacement*>>& added) {
    for (const StreamReplacement& r : replacements) {
        if (!IsValidName(r.stream)) {
            return kErrInvalidName;
        }
        const std::uint32_t parent = from.Find(storage, r.storage);
        if (parent == kNoStream || !from.entries[parent].IsStorage()) {
            return kErrNotFound;
        }
        const std::uint32_t id = from.Find(parent, r.stream);
        if (id != kNoStream && !from.entries[id].IsStream()) {
            return kErrAlreadyExists;
        }
        std::vector<const StreamReplacement*>& gained = added[parent];
        const bool twice = id != kNoStream
                               ? replaced.count(id) != 0
                               : std::any_of(gained.begin(), gained.end(), [&](const auto* other) {
                                     return CompareNames(other->stream, r.stream) == 0;
                                 });
        if (twice) {
            return kErrInvalidArgument;
        }
        if (id != kNoStream) {
            replaced[id] = &r;
        } else {
            gained.push_back(&r);
        }
    }
    return kOk;
}

// Bytes held in memory, in the writer's chunks, padded to a whole unit.
int AppendPadded(std::span<const std::uint8_t> bytes, std::uint32_t unit, SequentialWriter& out) {
    for (std::size_t at = 0; at < bytes.size(); at += kCopyChunk) {
        const std::size_t n = std::min(bytes.size() - at, kCopyChunk);
        if (int r = out.Append(bytes.data() + at, n); r != kOk) {
            return r;
        }
    }
    const std::uint64_t padded = CeilDiv(bytes.size(), unit) * unit;
    return out.Zeros(static_cast<std::size_t>(padded - bytes.size()));
}

int CompactCopy(CompoundFile& src, std::uint32_t storage, CompoundFile& dst,
                std::span<const StreamReplacement> replacements) {
    const Directory& from = src.Dir();
    const std::uint32_t sectorSize = 512;
    const std::uint32_t perSector = sectorSize / 4;
    const std::uint32_t entriesPerSector = sectorSize / kDirEntrySize;

    std::unordered_map<std::uint32_t, const StreamReplacement*> replaced;
    std::unordered_map<std::uint32_t, std::vector<const StreamReplacement*>> added;
    if (int r = MatchReplacements(from, storage, replacements, replaced, added); r != kOk) {
        return r;
    }

    // The new directory: the root, then the source's elements breadth first, each storage's
    // children in sibling order.
    Directory dir;
    DirEntry root;
    root.name = u"Root Entry";
    root.type = EntryType::Root;
    root.clsid = from.entries[storage].clsid;
    root.stateBits = from.entries[storage].stateBits;
    dir.entries.push_back(root);
    dir.Index();
    std::vector<Origin> origin = {{storage, nullptr}};
    std::vector<std::pair<DirEntry, Origin>> children;
    for (std::size_t i = 0; i < origin.size(); ++i) {
        const std::uint32_t source = origin[i].source;
        if (source == kNoStream || !dir.entries[i].IsStorage()) {
            continue;
        }
        children.clear();
        for (std::uint32_t child : from.Children(source)) {
            const DirEntry& e = from.entries[child];
            DirEntry copy;
            copy.name = e.name;
            copy.type = e.type;
            if (e.IsStorage()) {
                copy.clsid = e.clsid;
                copy.stateBits = e.stateBits;
                copy.creationTime = e.creationTime;
                copy.modifiedTime = e.modifiedTime;
                copy.start = 0;
            } else {
                copy.size = e.size;
            }
            Origin o{child, nullptr};
            if (auto it = replaced.find(child); it != replaced.end()) {
                o.replacement = it->second;
                copy.size = it->second->bytes.size();
            }
            children.emplace_back(std::move(copy), o);
        }
        if (auto it = added.find(source); it != added.end() && !it->second.empty()) {
            for (const StreamReplacement* r : it->second) {
                DirEntry gained;
                gained.name = r->stream;
                gained.type = EntryType::Stream;
                gained.size = r->bytes.size();
                children.emplace_back(std::move(gained), Origin{kNoStream, r});
            }
            std::sort(children.begin(), children.end(), [](const auto& a, const auto& b) {
                return CompareNames(a.first.name, b.first.name) < 0;
            });
        }
        for (auto& [entry, o] : children) {
            dir.Append(static_cast<std::uint32_t>(i), std::move(entry));
            origin.push_back(o);
        }
    }
    const std::uint32_t entryCount = static_cast<std::uint32_t>(dir.entries.size());
    for (std::uint32_t id = 0; id < entryCount; ++id) {
        if (dir.entries[id].IsStorage()) {
            dir.Rebalance(id);
        }
    }

    // Sizes of each part.
    std::uint64_t miniSectors = 0;
    std::uint64_t dataSectors = 0;
    for (DirEntry& e : dir.entries) {
        if (!e.IsStream() || e.size == 0) {
            continue;
        }
        if (e.size < kMiniStreamCutoff) {
            miniSectors += CeilDiv(e.size, kMiniSectorSize);
        } else {
            dataSectors += CeilDiv(e.size, sectorSize);
        }
    }
    const std::uint64_t miniStreamSectors = CeilDiv(miniSectors * kMiniSectorSize, sectorSize);
    const std::uint64_t miniFatSectors = CeilDiv(miniSectors * 4, sectorSize);
    const std::uint64_t dirSectors = CeilDiv(entryCount, entriesPerSector);
    const std::uint64_t fixed = dataSectors + miniStreamSectors + miniFatSectors + dirSectors;
    std::uint64_t fatSectors = 1;
    std::uint64_t difatSectors = 0;
    for (;;) {
        const std::uint64_t total = fixed + fatSectors + difatSectors;
        const std::uint64_t needFat = CeilDiv(total, perSector);
        const std::uint64_t needDifat =
            needFat > kHeaderDifatCount ? CeilDiv(needFat - kHeaderDifatCount, perSector - 1) : 0;
        if (needFat == fatSectors && needDifat == difatSectors) {
            break;
        }
        fatSectors = needFat;
        difatSectors = needDifat;
    }
    const std::uint64_t total = fixed + fatSectors + difatSectors;
    if (total > CompoundFile::kMaxSectors) {
        return kErrTooLarge;
    }

    // Sector numbers: FAT, DIFAT, directory, MiniFAT, mini stream, then the streams.
    std::vector<std::uint32_t> fat(static_cast<std::size_t>(fatSectors * perSector), kFreeSect);
    std::uint32_t next = 0;
    auto chainRun = [&](std::uint64_t count) {
        const std::uint32_t first = count == 0 ? kEndOfChain : next;
        for (std::uint64_t i = 0; i < count; ++i, ++next) {
            fat[next] = i + 1 < count ? next + 1 : kEndOfChain;
        }
        return first;
    };
    std::vector<std::uint32_t> fatIds;
    for (std::uint64_t i = 0; i < fatSectors; ++i, ++next) {
        fat[next] = kFatSect;
        fatIds.push_back(next);
    }
    std::vector<std::uint32_t> difatIds;
    for (std::uint64_t i = 0; i < difatSectors; ++i, ++next) {
        fat[next] = kDifSect;
        difatIds.push_back(next);
    }
    const std::uint32_t dirStart = chainRun(dirSectors);
    const std::uint32_t miniFatStart = chainRun(miniFatSectors);
    dir.entries[0].start = chainRun(miniStreamSectors);
    dir.entries[0].size = miniSectors * kMiniSectorSize;
    std::vector<std::uint32_t> miniFat(static_cast<std::size_t>(miniSectors), kFreeSect);
    std::uint32_t nextMini = 0;
    for (DirEntry& e : dir.entries) {
        if (!e.IsStream()) {
            continue;
        }
        if (e.size == 0) {
            e.start = kEndOfChain;
        } else if (e.size < kMiniStreamCutoff) {
            const std::uint64_t count = CeilDiv(e.size, kMiniSectorSize);
            e.start = nextMini;
            for (std::uint64_t i = 0; i < count; ++i, ++nextMini) {
                miniFat[nextMini] = i + 1 < count ? nextMini + 1 : kEndOfChain;
            }
        } else {
            e.start = chainRun(CeilDiv(e.size, sectorSize));
        }
    }

    // Write it all in sector order, then the header.
    FileIo& io = dst.Io();
    SequentialWriter out(io, sectorSize);
    int r = out.Table(fat, fat.size());
    for (std::uint64_t i = 0; r == kOk && i < difatSectors; ++i) {
        std::vector<std::uint32_t> ids;
        for (std::uint32_t j = 0; j + 1 < perSector; ++j) {
            const std::uint64_t k = kHeaderDifatCount + i * (perSector - 1) + j;
            ids.push_back(k < fatIds.size() ? fatIds[k] : kFreeSect);
        }
        ids.push_back(i + 1 < difatSectors ? difatIds[i + 1] : kEndOfChain);
        r = out.Table(ids, perSector);
    }
    for (std::uint64_t i = 0; r == kOk && i < dirSectors * entriesPerSector; ++i) {
        const DirEntry e = i < entryCount ? dir.entries[i] : UnusedEntry();
        WriteDirEntry(e, out.Reserve(kDirEntrySize));
    }
    if (r == kOk) {
        r = out.Table(miniFat, miniFatSectors * perSector);
    }
    for (int pass = 0; pass < 2 && r == kOk; ++pass) {
        // Pass 0: the small streams into the mini stream; pass 1: the others.
        for (std::uint32_t id = 0; id < entryCount && r == kOk; ++id) {
            const DirEntry& e = dir.entries[id];
            if (!e.IsStream() || e.size == 0 || (e.size < kMiniStreamCutoff) != (pass == 0)) {
                continue;
            }
            const std::uint32_t unit = pass == 0 ? kMiniSectorSize : sectorSize;
            r = origin[id].replacement != nullptr
                    ? AppendPadded(origin[id].replacement->bytes, unit, out)
                    : CopyStreamBytes(src, origin[id].source, e.size, unit, out);
        }
        if (pass == 0 && r == kOk) {
            const std::uint64_t used = miniSectors * kMiniSectorSize;
            r = out.Zeros(static_cast<std::size_t>(miniStreamSectors * sectorSize - used));
        }
    }
    if (r == kOk) {
        r = out.Drain();
    }
    if (r == kOk) {
        Header header;
        header.fatSectorCount = static_cast<std::uint32_t>(fatSectors);
        for (std::size_t i = 0; i < fatIds.size() && i < kHeaderDifatCount; ++i) {
            header.difat[i] = fatIds[i];
        }
        header.firstDifatSector = difatIds.empty() ? kEndOfChain : difatIds[0];
        header.difatSectorCount = static_cast<std::uint32_t>(difatSectors);
        header.firstDirSector = dirStart;
        header.firstMiniFatSector = miniFatStart;
        header.miniFatSectorCount = static_cast<std::uint32_t>(miniFatSectors);
        std::uint8_t bytes[kHeaderSize];
        WriteHeader(header, bytes);
        r = io.WriteAt(0, bytes, sizeof bytes);
    }
    if (r == kOk) {
        r = io.Truncate((total + 1) * sectorSize);
    }
    if (r != kOk) {
        dst.MarkBroken();
        return r;
    }
    return dst.Reload();
}

} // namespace

int Storage::CopyTo(Storage& dest, std::span<const StreamReplacement> replacements) {
    if (file_->Broken() || dest.file_->Broken()) {
        return kErrReverted;
    }
    if (!dest.writable_) {
        return kErrAccessDenied;
    }
    if (file_ == dest.file_ || dest.id_ != 0 || !dest.file_->Dir().Children(0).empty()) {
        return kErrInvalidArgument;
    }
    try {
        return CompactCopy(*file_, id_, *dest.file_, replacements);
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

int Storage::CopyTo(Storage& dest) {
    if (file_->Broken() || dest.file_->Broken()) {
        return kErrReverted;
    }
    if (!dest.writable_) {
        return kErrAccessDenied;
    }
    if (file_ == dest.file_) {
        return kErrInvalidArgument;
    }
    try {
        CompoundFile& to = *dest.file_;
        if (dest.id_ == 0 && to.Dir().Children(0).empty()) {
            return CompactCopy(*file_, id_, to, {});
        }
        // Element by element, merging into what dest holds already.
        const DirEntry& self = file_->Dir().entries[id_];
        if (int r = to.SetStorageClass(dest.id_, self.clsid, self.stateBits); r != kOk) {
            return r;
        }
        struct Pair {
            std::uint32_t from, to;
        };
        std::vector<Pair> work = {{id_, dest.id_}};
        std::vector<std::uint8_t> buffer;
        while (!work.empty()) {
            const Pair p = work.back();
            work.pop_back();
            for (std::uint32_t child : file_->Dir().Children(p.from)) {
                const DirEntry e = file_->Dir().entries[child];
                std::uint32_t id = to.Dir().Find(p.to, e.name);
                if (e.IsStorage()) {
                    if (id == kNoStream || !to.Dir().entries[id].IsStorage()) {
                        if (int r = to.CreateElement(p.to, e.name, EntryType::Storage, true, id);
                            r != kOk) {
                            return r;
                        }
                    }
                    if (int r = to.SetStorageClass(id, e.clsid, e.stateBits); r != kOk) {
                        return r;
                    }
                    work.push_back({child, id});
                    continue;
                }
                if (int r = to.CreateElement(p.to, e.name, EntryType::Stream, true, id); r != kOk) {
                    return r;
                }
                for (std::uint64_t position = 0; position < e.size;) {
                    const std::size_t n = static_cast<std::size_t>(
                        std::min<std::uint64_t>(e.size - position, kCopyChunk));
                    buffer.resize(n);
                    std::size_t done = 0;
                    if (int r = file_->ReadStream(child, position, buffer.data(), n, done);
                        r != kOk) {
                        return r;
                    }
                    if (done != n) {
                        return kErrCorrupt;
                    }
                    if (int r = to.WriteStream(id, position, buffer.data(), n); r != kOk) {
                        return r;
                    }
                    position += n;
                }
            }
        }
        return kOk;
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
}

} // namespace cfb
