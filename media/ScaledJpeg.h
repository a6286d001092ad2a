#pragma once

// A JPEG decoded by libjpeg-turbo at the smallest of its DCT scales (1/8, 1/4, 1/2 or whole)
// that still gives the part of the picture's size the caller needs. This is the work of
// libvips' shrink-on-load, which decodes a quarter more slowly and, to leave its resampler a
// factor of two, at twice the scale.

#include <cstdint>
#include <span>
#include <vector>

namespace wz::media {

struct ScaledJpeg {
    int width = 0;
    int height = 0;
    int bands = 0;                    // 1 for a grey picture, 3 for red, green, blue
    std::vector<std::uint8_t> pixels; // width * height * bands bytes, top row first
};

// False, with nothing decoded, for a CMYK picture, one of more than maxPixels and any file
// libjpeg-turbo warns about (cut short, damaged): the caller then leaves it to libvips.
bool DecodeJpegAtScale(std::span<const std::uint8_t> file, double scale, std::uint64_t maxPixels,
                       ScaledJpeg& jpeg);

} // namespace wz::media
