#include "SourceFile.h"

#include "WholeFile.h"

#include <limits>

namespace wz {

bool ReadSourceFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                    std::string* reason) {
    const WholeFileRead read =
        ReadWholeFile(path, std::numeric_limits<std::uint32_t>::max(), bytes);
    std::string why;
    if (read.fault == WholeFileFault::TooLarge) {
        why = "larger than a stream can hold (4 GiB)";
    } else if (!read) {
        why = read.Reason();
    } else if (bytes.empty()) {
        why = "the file is empty";
    } else {
        return true;
    }
    if (reason != nullptr) {
        *reason = std::move(why);
    }
    return false;
}

} // namespace wz
