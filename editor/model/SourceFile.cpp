#include "SourceFile.h"

#include <cerrno>
#include <cstring>
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

bool ReadSourceFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                    std::string* reason) {
    bytes.clear();
    const auto fail = [&](std::string why) {
        bytes.clear();
        if (reason != nullptr) {
            *reason = std::move(why);
        }
        return false;
    };
    // Non-blocking, so that opening a pipe or device cannot stall the editor.
    FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY)};
    if (file.fd < 0) {
        return fail(std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0) {
        return fail(std::strerror(errno));
    }
    if (!S_ISREG(info.st_mode)) {
        return fail("not a regular file");
    }
    if (info.st_size <= 0) {
        return fail("the file is empty");
    }
    if (static_cast<std::uint64_t>(info.st_size) > std::numeric_limits<std::uint32_t>::max()) {
        return fail("larger than a stream can hold (4 GiB)");
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
            return fail(n < 0 ? std::strerror(errno) : "the file shrank while it was read");
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace wz
