#include "AssetDiagnosis.h"

#include "CfbErrors.h"
#include "ElementNames.h"

#include <system_error>

namespace wz {

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
        element = cfb::NameToUtf8(storage);
        if (reader.StorageOpen()) {
            element += '/';
            element += cfb::NameToUtf8(stream);
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
