#include "JpegDecoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace wz::media {

namespace {
// The library takes lengths as unsigned int.
constexpr std::size_t kMaxLength = std::numeric_limits<unsigned int>::max();
} // namespace

bool JpegDecoder::Refuse(const char* why) {
    message_ = why;
    return false;
}

bool JpegDecoder::ReadInfo(std::span<const std::uint8_t> bytes) {
    std::memset(record_, 0, sizeof record_);
    header_ = {};
    if (bytes.size() > kMaxLength)
        return Refuse("the picture file is too large");
    const int described =
        GetJpgInfo(record_, bytes.data(), static_cast<unsigned int>(bytes.size()));
    // The header is read even on failure: the library leaves it zeroed apart from biSize.
    header_ = LoadBitmapInfoHeader(record_);
    if (described == 0)
        return Refuse(g_strJpgMessage);
    message_.clear();
    return true;
}

bool JpegDecoder::Decode(std::span<const std::uint8_t> bytes, std::uint8_t* out,
                         std::size_t outSize) {
    if (bytes.size() > kMaxLength)
        return Refuse("the picture file is too large");
    const auto room = static_cast<unsigned int>(std::min<std::size_t>(outSize, kMaxLength));
    if (JpgToBmp(record_, bytes.data(), static_cast<unsigned int>(bytes.size()), out, room) == 0)
        return Refuse(g_strJpgMessage);
    message_.clear();
    return true;
}

} // namespace wz::media
