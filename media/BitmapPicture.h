#pragma once

// BMP files, which libvips reads only through ImageMagick: we read them ourselves, as the
// game does (uncompressed, 24 bits, or 8 bits with a colour table, rows bottom-up).

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wz::media {

bool LooksLikeBitmap(std::span<const std::uint8_t> bytes);

struct DecodedBitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // red-green-blue, top row first
};

// Empty on success; otherwise one line that says why. A bitmap of more than maxPixels is
// refused before its pixels are touched.
std::string DecodeBitmap(std::span<const std::uint8_t> file, std::uint64_t maxPixels,
                         DecodedBitmap& bitmap);

} // namespace wz::media
