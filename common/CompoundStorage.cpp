#include "CompoundStorage.h"

#include "CfbStorage.h"

#include <new>

namespace wz {

namespace {

std::uint32_t ChildMode(bool readOnly) {
    return readOnly ? (STGM_READ | STGM_SHARE_EXCLUSIVE) : (STGM_READWRITE | STGM_SHARE_EXCLUSIVE);
}

} // namespace

CompoundStorage::CompoundStorage() = default;

CompoundStorage::~CompoundStorage() {
    CloseAll();
}

bool CompoundStorage::Open(const std::filesystem::path& file, bool readOnly, bool create) {
    CloseAll();
    std::uint32_t mode = 0;
    if (create) {
        mode = STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    } else if (readOnly) {
        mode = STGM_READ | STGM_SHARE_DENY_WRITE;
    } else {
        mode = STGM_READWRITE | STGM_SHARE_EXCLUSIVE;
    }
    return Result(cfb::OpenCompoundFile(file, mode, root_));
}

template <typename Element, typename OpenCall>
bool CompoundStorage::OpenInto(std::shared_ptr<Element>& slot, OpenCall open) {
    std::shared_ptr<Element> opened;
    try {
        Result(open(opened));
    } catch (const std::bad_alloc&) {
        Result(cfb::kErrNoMemory);
    }
    if (!failed_) {
        slot = std::move(opened);
    }
    return !failed_;
}

bool CompoundStorage::OpenStorage(std::u16string_view name, bool readOnly) {
    child_.reset();
    if (!root_) {
        return Result(cfb::kErrReverted);
    }
    return OpenInto(child_, [&](std::shared_ptr<cfb::Storage>& opened) {
        return root_->OpenStorage(name, ChildMode(readOnly), opened);
    });
}

bool CompoundStorage::OpenStream(std::u16string_view name, bool readOnly) {
    stream_.reset();
    if (!child_) {
        return Result(cfb::kErrReverted);
    }
    return OpenInto(stream_, [&](std::shared_ptr<cfb::Stream>& opened) {
        return child_->OpenStream(name, ChildMode(readOnly), opened);
    });
}

bool CompoundStorage::CreateStream(std::u16string_view name) {
    if (!child_) {
        return Result(cfb::kErrReverted);
    }
    return OpenInto(stream_, [&](std::shared_ptr<cfb::Stream>& created) {
        return child_->CreateStream(name, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                    created);
    });
}

bool CompoundStorage::DeleteStream(std::u16string_view name) {
    return Result(child_ ? child_->DestroyElement(name) : cfb::kErrReverted);
}

bool CompoundStorage::Write(const void* bytes, std::uint32_t length) {
    return Result(stream_ ? stream_->Write(bytes, length, nullptr) : cfb::kErrReverted);
}

bool CompoundStorage::Read(void* buffer, std::uint32_t length, std::uint32_t* bytesRead) {
    if (!stream_) {
        if (bytesRead != nullptr) {
            *bytesRead = 0;
        }
        return Result(cfb::kErrReverted);
    }
    return Result(stream_->Read(buffer, length, bytesRead));
}

bool CompoundStorage::GetStreamSize(std::uint32_t* size) {
    std::uint64_t full = 0;
    Result(stream_ ? stream_->GetSize(full) : cfb::kErrReverted);
    if (size != nullptr) {
        *size = failed_ ? 0 : static_cast<std::uint32_t>(full);
    }
    return !failed_;
}

bool CompoundStorage::CloseStream() {
    stream_.reset();
    return Result(cfb::kOk);
}

bool CompoundStorage::CloseAll() {
    root_.reset();
    child_.reset();
    stream_.reset();
    return true;
}

bool CompoundStorage::ReadWholeStream(std::u16string_view name, std::vector<std::uint8_t>& out) {
    if (!OpenStream(name, true)) {
        out.clear();
        return false;
    }
    std::uint32_t size = 0;
    if (!GetStreamSize(&size)) {
        out.clear();
        return false;
    }
    // Resizing without clearing first reuses the buffer and fills only what it gains.
    // The size is bounded by the file: opening the stream has checked it against its chain.
    try {
        out.resize(size);
    } catch (const std::bad_alloc&) {
        return Result(cfb::kErrNoMemory);
    }
    if (!Read(out.data(), size, nullptr)) {
        out.clear();
        return false;
    }
    return true;
}

bool CompoundStorage::Result(int code) {
    result_ = code;
    failed_ = code != cfb::kOk;
    return !failed_;
}

bool CompoundStorage::CopyTo(CompoundStorage& dest,
                             std::span<const cfb::StreamReplacement> replacements) {
    if (!root_ || !dest.root_) {
        return Result(cfb::kErrReverted);
    }
    return Result(root_->CopyTo(*dest.root_, replacements));
}

void CompoundStorage::SkipSyncOnClose() {
    if (root_) {
        root_->SkipSyncOnClose();
    }
}

cfb::Storage* CompoundStorage::Root() const {
    return root_.get();
}

} // namespace wz
