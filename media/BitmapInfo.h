#pragma once

// The device-independent bitmap headers, laid out byte for byte as in a BMP file (all fields
// little-endian). Every field is naturally aligned, so the structures have no padding and the
// display takes them as they are; headers in files are read field by field.

#include "ByteOrder.h"

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

// The 40 header bytes at p, as a file or the JPEG decoder's record holds them.
inline BitmapInfoHeader LoadBitmapInfoHeader(const std::uint8_t* p) {
    BitmapInfoHeader h;
    h.biSize = Load32(p);
    h.biWidth = static_cast<std::int32_t>(Load32(p + 4));
    h.biHeight = static_cast<std::int32_t>(Load32(p + 8));
    h.biPlanes = Load16(p + 12);
    h.biBitCount = Load16(p + 14);
    h.biCompression = Load32(p + 16);
    h.biSizeImage = Load32(p + 20);
    h.biXPelsPerMeter = static_cast<std::int32_t>(Load32(p + 24));
    h.biYPelsPerMeter = static_cast<std::int32_t>(Load32(p + 28));
    h.biClrUsed = Load32(p + 32);
    h.biClrImportant = Load32(p + 36);
    return h;
}

// The block handed to the display: the header and room for one colour entry.
struct BitmapInfo {
    BitmapInfoHeader bmiHeader;
    std::uint8_t bmiColors[4]; // blue, green, red, reserved
};
static_assert(sizeof(BitmapInfo) == 44);

} // namespace wz
