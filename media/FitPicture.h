#pragma once

// Turns any picture an author brings into a game picture: a baseline JPEG of exactly the
// background's size that libJpgToBmp decodes. The source may be a JPEG (baseline, progressive,
// CMYK), PNG, WebP, GIF (its first frame), TIFF, HEIF/AVIF or BMP; it is turned upright by its
// EXIF orientation, converted to sRGB from its embedded colour profile, laid over black where
// it is transparent, scaled to cover the frame and cropped.
//
// Every input is hostile: only the loaders of those formats run, and a picture whose header
// declares more than kMaxFitPixels is refused before any of it is decoded.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace wz::media {

// Pictures larger than this (about 100 megapixels) are refused from their header alone.
inline constexpr std::uint64_t kMaxFitPixels = 100'000'000;

enum class CropMode {
    Attention, // where the picture's interest lies (its edges, skin tones and saturated colour)
    Centre,    // the middle of the picture
    Rectangle  // a rectangle of the source that the caller chooses
};

// A rectangle of the source in its own pixels, as the picture stands upright (after its EXIF
// orientation).
struct SourceRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct FitOptions {
    CropMode crop = CropMode::Attention;
    // With CropMode::Rectangle: the part of the source to show. It is scaled to cover the frame;
    // where its shape is not the frame's, the middle of it is kept. It must lie inside the
    // picture.
    SourceRect rect;
    int quality = 90; // JPEG quality, 1 to 100
};

// Starts the picture library for this program: only the allowed loaders, a small cache, a
// thread count fit for a desktop program. Runs its work once, whatever the number of calls
// and threads; every other function here calls it.
void StartPictureLibrary();

// Empty on success, with jpeg holding the game picture; otherwise one line that says why,
// such as "not a picture this program reads" or "picture is 100000 x 100000, larger than
// 100 megapixels", and jpeg is empty.
std::string FitPicture(const std::string& path, const FitOptions& options,
                       std::vector<std::uint8_t>& jpeg);
std::string FitPicture(std::span<const std::uint8_t> bytes, const FitOptions& options,
                       std::vector<std::uint8_t>& jpeg);

// A screen-sized copy of the source for the editor's crop frame: upright, sRGB, over black,
// scaled down (never up) to fit inside maxWidth x maxHeight, with the source's own upright
// size and the rectangle of the source that the attention crop would keep (the frame's shape,
// as large as the picture allows).
struct PictureSketch {
    int sourceWidth = 0;
    int sourceHeight = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb; // width * height * 3 bytes, red-green-blue, top row first
    SourceRect attention;
};
std::string SketchPicture(const std::string& path, int maxWidth, int maxHeight,
                          PictureSketch& sketch);

} // namespace wz::media
