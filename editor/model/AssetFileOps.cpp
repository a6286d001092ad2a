#include "AssetFileOps.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace wz {

namespace fs = std::filesystem;

namespace {

// Flushes a file or folder to the disk; a failure is reported as an error code.
std::error_code Sync(const fs::path& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) {
        return {errno, std::generic_category()};
    }
    std::error_code ec;
    if (::fsync(fd) != 0) {
        ec = {errno, std::generic_category()};
    }
    ::close(fd);
    return ec;
}

} // namespace

std::error_code FlushToDisk(const fs::path& file) {
    return Sync(file, O_RDONLY);
}

bool RemoveReadOnlyMark(const fs::path& file) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (ec || !fs::exists(status)) {
        return false;
    }
    if ((status.permissions() & fs::perms::owner_write) != fs::perms::none) {
        return true;
    }
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add, ec);
    return !ec;
}

void MoveOver(const fs::path& scratch, const fs::path& target) {
    std::error_code ec;
    const fs::file_status old = fs::status(target, ec);
    if (!ec && fs::exists(old)) {
        fs::permissions(scratch, old.permissions(), fs::perm_options::replace, ec);
        if (ec) {
            throw fs::filesystem_error("cannot set the permissions of", scratch, ec);
        }
    }
    if ((ec = Sync(scratch, O_RDONLY))) {
        throw fs::filesystem_error("cannot write to the disk", scratch, ec);
    }
    fs::rename(scratch, target); // throws, leaving both files as they were
    // The rename itself is durable only once the folder is flushed; the file is already
    // complete under its name, so a failure here is not worth undoing the Save for.
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    (void)Sync(folder, O_RDONLY | O_DIRECTORY);
}

} // namespace wz
