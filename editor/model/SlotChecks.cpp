#include "SlotChecks.h"

#include "MediaChecks.h"
#include "SourceFile.h"

#include <filesystem>
#include <new>
#include <vector>

namespace wz {

std::string CheckSlotBytes(SlotKind kind, std::span<const std::uint8_t> bytes) {
    if (kind == SlotKind::Pictures) {
        media::PictureInfo info;
        return media::CheckBackground(bytes, info);
    }
    media::MidiInfo info;
    std::string problem = media::CheckMidi(bytes, info);
    if (problem.empty() && info.notes == 0) {
        problem = "no notes";
    }
    return problem;
}

std::string CheckSlotFile(SlotKind kind, const std::string& path) {
    std::error_code ec;
    if (const std::uintmax_t size = std::filesystem::file_size(path, ec);
        !ec && size > kMaxCheckedFileSize) {
        return "file of " + std::to_string(size) + " bytes, too large for a " +
               (kind == SlotKind::Pictures ? "picture" : "track");
    }
    std::vector<std::uint8_t> bytes;
    std::string reason;
    try {
        if (!ReadSourceFile(path, bytes, &reason)) {
            return "cannot be read" + (reason.empty() ? std::string() : ": " + reason);
        }
    } catch (const std::bad_alloc&) {
        return "too large to be checked";
    }
    return CheckSlotBytes(kind, bytes);
}

} // namespace wz
