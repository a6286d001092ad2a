#include "CfbStorage.h"

#include "CompoundFile.h"

#include <new>

namespace cfb {

int OpenCompoundFile(const std::filesystem::path& path, std::uint32_t mode,
                     std::shared_ptr<Storage>& root) {
    root.reset();
    FileAccess access;
    if (mode == (kModeRead | kShareDenyWrite)) {
        access = FileAccess::ReadShared;
    } else if (mode == (kModeReadWrite | kShareExclusive)) {
        access = FileAccess::ReadWriteExclusive;
    } else if (mode == (kModeCreate | kModeReadWrite | kShareExclusive)) {
        access = FileAccess::CreateExclusive;
    } else {
        return kErrInvalidFlag;
    }
    std::shared_ptr<CompoundFile> file;
    if (int r = CompoundFile::Open(path, access, file); r != kOk) {
        return r;
    }
    if (int r = file->Acquire(0); r != kOk) {
        return r;
    }
    try {
        root = std::make_shared<Storage>(file, 0, file->Writable());
    } catch (const std::bad_alloc&) {
        file->Release(0);
        return kErrNoMemory;
    }
    return kOk;
}

Storage::Storage(std::shared_ptr<CompoundFile> file, std::uint32_t id, bool writable)
    : file_(std::move(file)), id_(id), writable_(writable) {}

Storage::~Storage() {
    file_->Release(id_);
}

void Storage::SkipSyncOnClose() {
    file_->SkipSyncOnClose();
}

std::u16string Storage::Name() const {
    return file_->Dir().entries[id_].name;
}

int Storage::OpenChild(std::u16string_view name, std::uint32_t mode, bool create, bool storage,
                       std::uint32_t& id, bool& writable) {
    if (file_->Broken()) {
        return kErrReverted;
    }
    const std::uint32_t access = mode & ~kModeCreate;
    if (access != (kModeRead | kShareExclusive) && access != (kModeReadWrite | kShareExclusive)) {
        return kErrInvalidFlag;
    }
    writable = (access & kModeReadWrite) != 0;
    if (writable && !writable_) {
        return kErrAccessDenied;
    }
    if (create) {
        if (!writable) {
            return kErrInvalidFlag;
        }
        return file_->CreateElement(id_, name, storage ? EntryType::Storage : EntryType::Stream,
                                    (mode & kModeCreate) != 0, id);
    }
    if ((mode & kModeCreate) != 0) {
        return kErrInvalidFlag;
    }
    id = file_->Dir().Find(id_, name);
    if (id == kNoStream || file_->Dir().entries[id].IsStorage() != storage) {
        return kErrNotFound;
    }
    return kOk;
}

int Storage::OpenStorage(std::u16string_view name, std::uint32_t mode,
                         std::shared_ptr<Storage>& out) {
    out.reset();
    std::uint32_t id = 0;
    bool writable = false;
    if (int r = OpenChild(name, mode, false, true, id, writable); r != kOk) {
        return r;
    }
    if (int r = file_->Acquire(id); r != kOk) {
        return r;
    }
    out = std::make_shared<Storage>(file_, id, writable);
    return kOk;
}

int Storage::CreateStorage(std::u16string_view name, std::uint32_t mode,
                           std::shared_ptr<Storage>& out) {
    out.reset();
    std::uint32_t id = 0;
    bool writable = false;
    if (int r = OpenChild(name, mode, true, true, id, writable); r != kOk) {
        return r;
    }
    if (int r = file_->Acquire(id); r != kOk) {
        return r;
    }
    out = std::make_shared<Storage>(file_, id, writable);
    return kOk;
}

int Storage::OpenStream(std::u16string_view name, std::uint32_t mode,
                        std::shared_ptr<Stream>& out) {
    out.reset();
    std::uint32_t id = 0;
    bool writable = false;
    if (int r = OpenChild(name, mode, false, false, id, writable); r != kOk) {
        return r;
    }
    // A damaged size fails here, before any caller sizes a buffer by it.
    if (int r = file_->CheckChain(id); r != kOk) {
        return r;
    }
    if (int r = file_->Acquire(id); r != kOk) {
        return r;
    }
    out = std::make_shared<Stream>(file_, id, writable);
    return kOk;
}

int Storage::CreateStream(std::u16string_view name, std::uint32_t mode,
                          std::shared_ptr<Stream>& out) {
    out.reset();
    std::uint32_t id = 0;
    bool writable = false;
    if (int r = OpenChild(name, mode, true, false, id, writable); r != kOk) {
        return r;
    }
    if (int r = file_->Acquire(id); r != kOk) {
        return r;
    }
    out = std::make_shared<Stream>(file_, id, writable);
    return kOk;
}

int Storage::DestroyElement(std::u16string_view name) {
    if (!writable_) {
        return file_->Broken() ? kErrReverted : kErrAccessDenied;
    }
    return file_->DestroyElement(id_, name);
}

int Storage::List(std::vector<ElementInfo>& out) const {
    out.clear();
    if (file_->Broken()) {
        return kErrReverted;
    }
    try {
        const Directory& dir = file_->Dir();
        for (std::uint32_t id : dir.Children(id_)) {
            const DirEntry& e = dir.entries[id];
            out.push_back({e.name, e.IsStorage(), e.IsStream() ? e.size : 0});
        }
    } catch (const std::bad_alloc&) {
        return kErrNoMemory;
    }
    return kOk;
}

Stream::Stream(std::shared_ptr<CompoundFile> file, std::uint32_t id, bool writable)
    : file_(std::move(file)), id_(id), writable_(writable) {}

Stream::~Stream() {
    file_->Release(id_);
}

int Stream::Read(void* buffer, std::uint32_t length, std::uint32_t* bytesRead) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    if (buffer == nullptr && length > 0) {
        return kErrInvalidArgument;
    }
    std::size_t done = 0;
    const int r = file_->ReadStream(id_, position_, buffer, length, done);
    position_ += done;
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<std::uint32_t>(done);
    }
    return r;
}

int Stream::Write(const void* bytes, std::uint32_t length, std::uint32_t* bytesWritten) {
    if (bytesWritten != nullptr) {
        *bytesWritten = 0;
    }
    if (bytes == nullptr && length > 0) {
        return kErrInvalidArgument;
    }
    if (!writable_) {
        return file_->Broken() ? kErrReverted : kErrAccessDenied;
    }
    const int r = file_->WriteStream(id_, position_, bytes, length);
    if (r == kOk) {
        position_ += length;
        if (bytesWritten != nullptr) {
            *bytesWritten = length;
        }
    }
    return r;
}

int Stream::Seek(std::uint64_t position) {
    position_ = position;
    return kOk;
}

int Stream::GetSize(std::uint64_t& size) const {
    size = 0;
    if (file_->Broken()) {
        return kErrReverted;
    }
    size = file_->Dir().entries[id_].size;
    return kOk;
}

} // namespace cfb
