#include "WholeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wz {

namespace {

WholeFileRead Failed(std::vector<std::uint8_t>& bytes, WholeFileFault fault, int error = 0) {
    bytes.clear();
    return {fault, error};
}

// Closes the descriptor on every way out, including an exception from the allocation.
struct FileDescriptor {
    int fd = -1;
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

} // namespace

std::string WholeFileRead::Reason() const {
    switch (fault) {
    case WholeFileFault::None:
        return {};
    case WholeFileFault::Open:
    case WholeFileFault::Read:
        return std::strerror(error);
    case WholeFileFault::NotRegular:
        return "not a regular file";
    case WholeFileFault::TooLarge:
        return "the file is too large";
    case WholeFileFault::Shrank:
        return "the file shrank while it was read";
    }
    return {};
}

WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                            std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (file.fd < 0) {
        return Failed(bytes, WholeFileFault::Open, errno);
    }
    return ReadWholeFile(file.fd, maxBytes, bytes);
}

WholeFileRead ReadWholeFile(int fd, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        return Failed(bytes, WholeFileFault::Open, errno);
    }
    if (!S_ISREG(info.st_mode)) {
        return Failed(bytes, WholeFileFault::NotRegular);
    }
    if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
        return Failed(bytes, WholeFileFault::TooLarge);
    }
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Failed(bytes, WholeFileFault::Read, errno);
        }
        if (n == 0) {
            // The file shrank since its size was taken: keeping the buffer would hand on bytes
            // the file never held.
            return Failed(bytes, WholeFileFault::Shrank);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

} // namespace wz
