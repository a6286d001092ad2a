#include "AssetFileOps.h"

#include <string_view>
#include <system_error>

namespace wz {

namespace fs = std::filesystem;

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
    const char* step = "";
    if (const std::error_code ec = ReplaceWith(scratch, target, std::nullopt, &step)) {
        if (std::string_view(step) == "cannot rename") {
            throw fs::filesystem_error(step, scratch, target, ec);
        }
        throw fs::filesystem_error(step, scratch, ec);
    }
}

} // namespace wz
