#include "AssetDiagnosis.h"

#include "CfbErrors.h"
#include "CfbStorage.h"

#include <array>
#include <memory>
#include <new>
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

// The element's way from the file to the first step that fails, and that step's reason.
std::string FirstFailure(const std::filesystem::path& file, std::u16string_view storage,
                         std::u16string_view stream, std::string& element) {
    constexpr std::uint32_t kChild = cfb::kModeRead | cfb::kShareExclusive;
    std::shared_ptr<cfb::Storage> root;
    int rc = cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, root);
    if (rc != cfb::kOk) {
        return cfb::ErrorText(rc);
    }
    element = Narrow(storage);
    std::shared_ptr<cfb::Storage> child;
    rc = root->OpenStorage(storage, kChild, child);
    if (rc != cfb::kOk) {
        return cfb::ErrorText(rc);
    }
    element += "/" + Narrow(stream);
    std::shared_ptr<cfb::Stream> opened;
    rc = child->OpenStream(stream, kChild, opened);
    if (rc != cfb::kOk) {
        return cfb::ErrorText(rc);
    }
    // Read in pieces: the whole stream at once is what may have failed.
    std::array<std::uint8_t, 65536> piece;
    std::uint32_t got = 0;
    do {
        rc = opened->Read(piece.data(), piece.size(), &got);
        if (rc != cfb::kOk) {
            return cfb::ErrorText(rc);
        }
    } while (got > 0);
    // It reads now: what failed was holding it whole in memory.
    return "too large to hold in memory";
}

} // namespace

std::string DescribeAssetFailure(const std::filesystem::path& file, std::u16string_view storage,
                                 std::u16string_view stream) {
    std::error_code ec;
    std::filesystem::path shown = std::filesystem::absolute(file, ec);
    if (ec) {
        shown = file;
    }
    std::string element;
    std::string reason;
    try {
        reason = FirstFailure(file, storage, stream, element);
    } catch (const std::bad_alloc&) {
        reason = cfb::ErrorText(cfb::kErrNoMemory);
    }
    return shown.string() + ": " + (element.empty() ? "" : element + ": ") + reason;
}

} // namespace wz
