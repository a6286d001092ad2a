#pragma once

// A picture opened for decoding, whatever its format, with its header checked: an allowed
// format and not too many pixels. The pixels are decoded later, at the scale the caller asks
// for: a JPEG by libjpeg-turbo, a BMP by our own reader, everything else by libvips, which
// reads from a file descriptor of ours (so that no part of a file's name is taken for loader
// options) or from memory.

#include "BitmapPicture.h"
#include "ScaledJpeg.h"

#include <sys/types.h>
#include <vips/vips8>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace wz::media {

class OpenPicture {
public:
    // Empty when the picture can be decoded; otherwise one line that says why.
    std::string Open(std::span<const std::uint8_t> bytes);
    std::string Open(const std::string& path);

    // The picture's size as it stands upright (after its EXIF orientation).
    int UprightWidth() const { return uprightWidth_; }
    int UprightHeight() const { return uprightHeight_; }

    // libvips' thumbnail: shrink-on-load, EXIF orientation, colour profile to sRGB, then a
    // good resampler to the size the options ask for, which is `scale` of the picture or more.
    vips::VImage Thumbnail(int width, vips::VOption* options, double scale);

private:
    std::string OpenSource(std::span<const std::uint8_t> bytes);
    std::string Inspect();
    std::string ReadBitmapFile(int fd, off_t size);
    std::string OpenBitmap(std::span<const std::uint8_t> bytes);
    bool DecodeJpeg(double scale, vips::VImage& image);

    std::optional<vips::VSource> source_;
    vips::VImage header_;
    int orientation_ = 1;
    // A JPEG's bytes (file_ when read from a file) and its pixels once decoded, and a BMP's
    // pixels: the images made over them read them in place, so they live as long as this.
    std::vector<std::uint8_t> file_;
    std::span<const std::uint8_t> jpeg_;
    ScaledJpeg decoded_;
    DecodedBitmap bitmap_;
    vips::VImage bitmapImage_;
    int uprightWidth_ = 0;
    int uprightHeight_ = 0;
};

} // namespace wz::media
