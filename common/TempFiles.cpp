#include "TempFiles.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace wz {

std::string TempFolder() {
    const char* folder = std::getenv("TMPDIR");
    return folder != nullptr && *folder != '\0' ? folder : "/tmp";
}

std::string MakeTempFile() {
    std::string path = TempFolder();
    if (path.back() != '/') {
        path += '/';
    }
    path += "tmpXXXXXX";
    // mkstemp creates the file with mode 0600, so no other user reads what the game plays.
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    ::close(fd);
    return path;
}

bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    const std::uint8_t* next = bytes.data();
    std::size_t left = bytes.size();
    bool ok = true;
    while (left > 0) {
        const ssize_t written = ::write(fd, next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            ok = false;
            break;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
    return ::close(fd) == 0 && ok;
}

void RemoveFile(const std::string& path) {
    if (!path.empty()) {
        ::unlink(path.c_str());
    }
}

} // namespace wz
