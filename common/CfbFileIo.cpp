#include "CfbFileIo.h"

#include "CfbErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace cfb {

namespace {

FaultHook& Hook() {
    static FaultHook hook;
    return hook;
}

int CheckFault() {
    const FaultHook& hook = Hook();
    return hook ? hook() : kOk;
}

int ErrnoResult(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return kErrFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
        return kErrAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kErrDiskFull;
    case ENOMEM:
        return kErrNoMemory;
    default:
        return kErrIo;
    }
}

// Open-file-description locks belong to this open only, so several opens in one process
// exclude each other exactly as opens in different processes do. Nobody waits for a lock.
int Lock(int fd, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0;
    if (fcntl(fd, F_OFD_SETLK, &lock) == 0) {
        return kOk;
    }
    return (errno == EAGAIN || errno == EACCES) ? kErrShareViolation : ErrnoResult(errno);
}

} // namespace

void SetFaultHook(FaultHook hook) {
    Hook() = std::move(hook);
}

FileIo::~FileIo() {
    Close();
}

int FileIo::Open(const std::filesystem::path& path, FileAccess access) {
    Close();
    int flags = O_CLOEXEC;
    switch (access) {
    case FileAccess::ReadShared:
        flags |= O_RDONLY;
        break;
    case FileAccess::ReadWriteExclusive:
        flags |= O_RDWR;
        break;
    case FileAccess::CreateExclusive:
        // No O_TRUNC: the file is emptied only once the exclusive lock is held.
        flags |= O_RDWR | O_CREAT;
        break;
    }
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) {
        return ErrnoResult(errno);
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return kErrAccessDenied;
    }
    int result = Lock(fd, access == FileAccess::ReadShared ? F_RDLCK : F_WRLCK);
    if (result == kOk && access == FileAccess::CreateExclusive) {
        result = CheckFault();
        if (result == kOk && ftruncate(fd, 0) != 0) {
            result = ErrnoResult(errno);
        }
    }
    if (result != kOk) {
        ::close(fd);
        return result;
    }
    fd_ = fd;
    return kOk;
}

int FileIo::ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const {
    auto* out = static_cast<unsigned char*>(buffer);
    while (length > 0) {
        const ssize_t n = ::pread(fd_, out, length, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ErrnoResult(errno);
        }
        if (n == 0) {
            std::memset(out, 0, length);
            return kOk;
        }
        out += n;
        offset += static_cast<std::uint64_t>(n);
        length -= static_cast<std::size_t>(n);
    }
    return kOk;
}

int FileIo::WriteAt(std::uint64_t offset, const void* bytes, std::size_t length) {
    if (const int fault = CheckFault(); fault != kOk) {
        return fault;
    }
    const auto* in = static_cast<const unsigned char*>(bytes);
    while (length > 0) {
        const ssize_t n = ::pwrite(fd_, in, length, static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return ErrnoResult(errno);
        }
        in += n;
        offset += static_cast<std::uint64_t>(n);
        length -= static_cast<std::size_t>(n);
    }
    return kOk;
}

int FileIo::Size(std::uint64_t& size) const {
    struct stat st {};
    if (fstat(fd_, &st) != 0) {
        return ErrnoResult(errno);
    }
    size = static_cast<std::uint64_t>(st.st_size);
    return kOk;
}

int FileIo::Truncate(std::uint64_t size) {
    if (const int fault = CheckFault(); fault != kOk) {
        return fault;
    }
    return ftruncate(fd_, static_cast<off_t>(size)) == 0 ? kOk : ErrnoResult(errno);
}

int FileIo::Sync() {
    if (const int fault = CheckFault(); fault != kOk) {
        return fault;
    }
    return fsync(fd_) == 0 ? kOk : ErrnoResult(errno);
}

void FileIo::StartWriteBack(std::uint64_t offset, std::uint64_t length) {
    if (fd_ >= 0) {
        (void)sync_file_range(fd_, static_cast<off64_t>(offset), static_cast<off64_t>(length),
                              SYNC_FILE_RANGE_WRITE);
    }
}

void FileIo::Close() {
    if (fd_ >= 0) {
        ::close(fd_); // closing the description releases its lock
        fd_ = -1;
    }
}

} // namespace cfb
