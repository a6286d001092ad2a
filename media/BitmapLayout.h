#pragma once

// The checks the BMP reader makes before it trusts a file: every header field it goes by is
// validated and the whole pixel array must lie inside the file.

#include <cstddef>
#include <cstdint>

namespace wz {

// BMP files accepted: uncompressed, 24 bits per pixel (depth 24) or 8 bits per pixel with a
// colour table (depth 8, one palette index per pixel), 1 to 16384 pixels a side, rows stored
// bottom-up. Files of 1, 4, 16 or 32 bits per pixel, compressed or top-down files are refused:
// no drawing operation could use their pixels.
inline constexpr std::int32_t kMaxBitmapSide = 16384;
inline constexpr std::uint32_t kMaxBitmapColours = 256;

// Bytes per pixel of a picture of the given depth: 8 gives 1, 9 to 31 give 3, anything else 0
// (a depth no drawing operation accepts).
constexpr std::uint32_t BytesPerPixel(std::uint32_t depth) {
    return depth == 8 ? 1 : (depth > 8 && depth < 32 ? 3 : 0);
}

// Row length in bytes: width * bytesPerPixel rounded up to a multiple of 4 (0 for an unusable
// depth or a width that is not positive).
constexpr std::uint32_t RowStride(std::int32_t width, std::uint32_t depth) {
    const std::uint32_t bpp = BytesPerPixel(depth);
    if (bpp == 0 || width <= 0)
        return 0;
    return (static_cast<std::uint32_t>(width) * bpp + 3u) & ~3u;
}

struct BitmapLayout {
    std::uint32_t depth = 0;
    std::uint32_t colourCount = 0;     // entries of the colour table
    std::size_t colourTableOffset = 0; // = biSize
    std::size_t pixelOffset = 0;       // just behind the colour table
    std::size_t pixelBytes = 0;        // stride * height
};

// data holds the file after its 14-byte file header, starting with the BITMAPINFOHEADER.
// Returns false when the file cannot be used.
bool CheckBitmapLayout(const std::uint8_t* data, std::size_t size, BitmapLayout& layout);

} // namespace wz
