#include "ProgramFinder.h"

#include <unistd.h>

namespace wz {

namespace fs = std::filesystem;

namespace {

bool IsProgram(const fs::path& file) {
    std::error_code ec;
    return fs::is_regular_file(file, ec) && ::access(file.c_str(), X_OK) == 0;
}

} // namespace

fs::path FindProgram(std::string_view name, const fs::path& ownFolder,
                     const fs::path& currentFolder, std::string_view searchPath) {
    if (name.empty() || name.find('/') != std::string_view::npos) {
        return {};
    }
    for (const fs::path& folder : {ownFolder, currentFolder}) {
        if (!folder.empty() && IsProgram(folder / name)) {
            return folder / name;
        }
    }
    while (true) {
        const std::size_t colon = searchPath.find(':');
        const std::string_view entry = searchPath.substr(0, colon);
        const fs::path folder = entry.empty() ? currentFolder : fs::path(entry);
        if (!folder.empty() && IsProgram(folder / name)) {
            return folder / name;
        }
        if (colon == std::string_view::npos) {
            return {};
        }
        searchPath.remove_prefix(colon + 1);
    }
}

} // namespace wz
