#include "SourceFile.h"

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace wz {

namespace {

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

bool ReadSourceFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    // Non-blocking, so that opening a pipe or device cannot stall the editor.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (file.fd < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
        static_cast<std::uint64_t>(info.st_size) > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    const auto size = static_cast<std::size_t>(info.st_size);
    bytes.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(file.fd, bytes.data() + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            // The file shrank since its size was taken, or the read failed: storing the
            // buffer would write bytes the file never held.
            bytes.clear();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace wz
