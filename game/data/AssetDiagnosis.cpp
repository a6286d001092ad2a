#include "AssetDiagnosis.h"

#include "CfbErrors.h"

#include <system_error>

namespace wz {
namespace {

// Element names are ASCII; anything else shows as "?".
std::string Narrow(std::u16string_view name) {
    std::string narrow;
    for (const char16_t c : name) {
        narrow += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    return narrow;
}

} // namespace

std::string DescribeAssetFailure(const std::filesystem::path& file, std::u16string_view storage,
                                 std::u16string_view stream, const CompoundStorage& reader) {
    std::error_code ec;
    std::filesystem::path shown = std::filesystem::absolute(file, ec);
    if (ec) {
        shown = file;
    }
    std::string element;
    std::string reason = cfb::ErrorText(reader.result());
    if (reader.Root() != nullptr) {
        element = Narrow(storage);
        if (reader.StorageOpen()) {
            element += '/';
            element += Narrow(stream);
            // The stream was found and read, or found too large to read at once: what failed
            // was holding it whole in memory.
            if (reader.result() == cfb::kOk || reader.result() == cfb::kErrNoMemory) {
                reason = "too large to hold in memory";
            }
        }
    }
    return shown.string() + ": " + (element.empty() ? "" : element + ": ") + reason;
}

} // namespace wz
