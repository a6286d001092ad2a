#include "ScratchFolder.h"

#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace wz::testkit {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(std::string_view prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (fs::path(base != nullptr && *base != '\0' ? base : "/tmp") /
                           (std::string(prefix) + "-XXXXXX"))
                              .string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a scratch folder from " + pattern);
    }
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    // remove_all needs write and search permission on every folder it empties.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        }
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

TmpdirOverride::TmpdirOverride(const fs::path& folder) {
    const char* old = std::getenv("TMPDIR");
    had_ = old != nullptr;
    old_ = had_ ? old : "";
    ::setenv("TMPDIR", folder.c_str(), 1);
}

TmpdirOverride::~TmpdirOverride() {
    if (had_) {
        ::setenv("TMPDIR", old_.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

} // namespace wz::testkit
