#pragma once

// The device-independent bitmap headers, laid out byte for byte as in a BMP file (all fields
// little-endian, which is also this machine's order). Every field is naturally aligned, so the
// structures have no padding and can lie directly over the bytes of a file.

#include <cstdint>

namespace wz {

struct BitmapInfoHeader {
    std::uint32_t biSize;
    std::int32_t biWidth;
    std::int32_t biHeight; // positive: rows stored bottom-up
    std::uint16_t biPlanes;
    std::uint16_t biBitCount;
    std::uint32_t biCompression;
    std::uint32_t biSizeImage;
    std::int32_t biXPelsPerMeter;
    std::int32_t biYPelsPerMeter;
    std::uint32_t biClrUsed;
    std::uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// The block handed to the display: the header and room for one colour entry.
struct BitmapInfo {
    BitmapInfoHeader bmiHeader;
    std::uint8_t bmiColors[4]; // blue, green, red, reserved
};
static_assert(sizeof(BitmapInfo) == 44);

} // namespace wz
