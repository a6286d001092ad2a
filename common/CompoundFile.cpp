#include "CompoundFile.h"

#include "CfbErrors.h"

#include <new>

namespace cfb {

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

} // namespace cfb
