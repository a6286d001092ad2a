#pragma once

// JPEG files made at test time with libjpeg's own compressor, and an independent decode of
// them by ImageMagick, run as a child process.

#include "ScratchFolder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace wz::test {

// Pixels top-down, three bytes red, green, blue each, no padding.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* At(int x, int y) const { return &rgb[(std::size_t(y) * width + x) * 3]; }
};

// Smooth gradients with a few flat blocks: easy on JPEG, yet different in every channel.
RgbImage TestPattern(int width, int height);

enum class JpegKind {
    Baseline420,
    Baseline444,
    Baseline422,
    Grayscale,
    Progressive,
    RestartIntervals,
    Cmyk,
};
const char* KindName(JpegKind kind);

std::vector<std::uint8_t> MakeJpeg(const RgbImage& image, JpegKind kind, int quality = 92);

// Decodes with ImageMagick's convert; nothing when convert is not installed or fails.
std::optional<RgbImage> DecodeWithImageMagick(const std::vector<std::uint8_t>& jpeg);

// A scratch folder removed with the object.
class TempDir : public wz::testkit::ScratchFolder {
public:
    std::string File(const std::string& name) const { return (path() / name).string(); }
};

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> ReadFile(const std::string& path);

} // namespace wz::test
