#include "FitPicture.h"

#include "MediaChecks.h"
#include "OpenPicture.h"
#include "PictureLibrary.h"

#include <vips/vips8>

#include <algorithm>
#include <cmath>
#include <new>

namespace wz::media {

using vips::VImage;

std::string TooLargeLine(int width, int height) {
    return "picture is " + std::to_string(width) + " x " + std::to_string(height) +
           ", larger than 100 megapixels";
}

namespace {

constexpr double kFrameAspect = static_cast<double>(kFrameWidth) / kFrameHeight;

// The first line of a libvips error (its buffer may hold several), after a prefix of ours.
std::string VipsLine(const std::string& prefix, const char* what) {
    std::string text = what != nullptr ? what : "";
    vips_error_clear();
    const std::size_t start = text.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
        return prefix;
    text.erase(0, start);
    text.erase(std::min(text.find_first_of("\r\n"), text.size()));
    return prefix + ": " + text;
}

// The frame's shape, as large as it fits inside width x height, in the middle.
struct FrameRect {
    double x, y, width, height;
};
FrameRect LargestFrameInside(double x, double y, double width, double height) {
    if (width > height * kFrameAspect) {
        const double w = height * kFrameAspect;
        return {x + (width - w) / 2, y, w, height};
    }
    const double h = width / kFrameAspect;
    return {x, y + (height - h) / 2, width, h};
}

// sRGB, 8 bits, three bands: transparency is laid over black, the colour the game shows where
// a picture is missing, and a picture that carries a colour profile (Adobe RGB, Display P3...)
// is converted from it; one without is taken to be sRGB already. libvips' thumbnail converts
// only CMYK by itself.
VImage ThreeBandsOverBlack(VImage image) {
    if (image.has_alpha())
        image = image.flatten(VImage::option()->set("background", std::vector<double>{0.0}));
    if (image.get_typeof(VIPS_META_ICC_NAME) != 0 &&
        image.interpretation() != VIPS_INTERPRETATION_CMYK) {
        try {
            image = image.icc_transform("srgb", VImage::option()
                                                    ->set("embedded", true)
                                                    ->set("intent", VIPS_INTENT_RELATIVE)
                                                    ->set("depth", 8));
        } catch (const vips::VError&) {
            // A profile that does not fit the pixels leaves their colours as they are, as a
            // browser shows them.
            vips_error_clear();
        }
    }
    if (image.interpretation() != VIPS_INTERPRETATION_sRGB)
        image = image.colourspace(VIPS_INTERPRETATION_sRGB);
    if (image.format() != VIPS_FORMAT_UCHAR)
        image = image.cast(VIPS_FORMAT_UCHAR);
    if (image.bands() > 3)
        image = image.extract_band(0, VImage::option()->set("n", 3));
    return image;
}

// The part of the picture that the caller's rectangle keeps, scaled to the frame.
std::string FitRectangle(OpenPicture& picture, const SourceRect& r, VImage& fitted) {
    const int width = picture.UprightWidth();
    const int height = picture.UprightHeight();
    if (r.width <= 0 || r.height <= 0 || r.x < 0 || r.y < 0 || r.x > width - r.width ||
        r.y > height - r.height)
        return "crop rectangle " + std::to_string(r.width) + " x " + std::to_string(r.height) +
               " at " + std::to_string(r.x) + "," + std::to_string(r.y) +
               " does not lie inside the picture of " + std::to_string(width) + " x " +
               std::to_string(height);
    const FrameRect kept = LargestFrameInside(r.x, r.y, r.width, r.height);
    // Shrink on load as far as the kept part allows; a part smaller than the frame is taken
    // at full size and enlarged alone, so that the whole picture is never enlarged.
    const double scale = std::min(1.0, kFrameWidth / kept.width);
    const int loadWidth = std::max(1, static_cast<int>(std::ceil(width * scale)));
    const VImage whole = picture.Thumbnail(
        loadWidth, VImage::option()->set("height", VIPS_MAX_COORD)->set("size", VIPS_SIZE_BOTH),
        scale);
    const double sx = static_cast<double>(whole.width()) / width;
    const double sy = static_cast<double>(whole.height()) / height;
    const int left = std::clamp(static_cast<int>(std::floor(kept.x * sx)), 0, whole.width() - 1);
    const int top = std::clamp(static_cast<int>(std::floor(kept.y * sy)), 0, whole.height() - 1);
    const int right = std::clamp(static_cast<int>(std::ceil((kept.x + kept.width) * sx)), left + 1,
                                 whole.width());
    const int bottom = std::clamp(static_cast<int>(std::ceil((kept.y + kept.height) * sy)), top + 1,
                                  whole.height());
    fitted = whole.extract_area(left, top, right - left, bottom - top)
                 .thumbnail_image(
                     kFrameWidth,
                     VImage::option()->set("height", kFrameHeight)->set("size", VIPS_SIZE_FORCE));
    return {};
}

std::string Fit(OpenPicture& picture, const FitOptions& options, std::vector<std::uint8_t>& jpeg) {
    VImage fitted;
    if (options.crop == CropMode::Rectangle) {
        std::string problem = FitRectangle(picture, options.rect, fitted);
        if (!problem.empty())
            return problem;
    } else {
        const VipsInteresting interesting =
            options.crop == CropMode::Centre ? VIPS_INTERESTING_CENTRE : VIPS_INTERESTING_ATTENTION;
        const double cover = std::max(static_cast<double>(kFrameWidth) / picture.UprightWidth(),
                                      static_cast<double>(kFrameHeight) / picture.UprightHeight());
        fitted = picture.Thumbnail(kFrameWidth,
                                   VImage::option()
                                       ->set("height", kFrameHeight)
                                       ->set("size", VIPS_SIZE_BOTH)
                                       ->set("crop", interesting),
                                   cover);
    }
    fitted = ThreeBandsOverBlack(fitted);
    if (fitted.width() != kFrameWidth || fitted.height() != kFrameHeight)
        return "picture could not be fitted to " + std::to_string(kFrameWidth) + " x " +
               std::to_string(kFrameHeight);

    // Baseline, optimised Huffman tables and no metadata: the smallest file at this quality
    // that every decoder reads.
    VipsBlob* blob = fitted.jpegsave_buffer(VImage::option()
                                                ->set("Q", options.quality)
                                                ->set("optimize_coding", true)
                                                ->set("interlace", false)
                                                ->set("strip", true));
    std::size_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(vips_blob_get(blob, &size));
    jpeg.assign(data, data + size);
    vips_area_unref(VIPS_AREA(blob));

    // The game's own decoder has the last word.
    PictureInfo info;
    std::string problem = CheckBackground(jpeg, info);
    if (!problem.empty()) {
        jpeg.clear();
        return "fitted picture does not decode: " + problem;
    }
    return {};
}

template <typename Input>
std::string FitFrom(const Input& input, const FitOptions& options,
                    std::vector<std::uint8_t>& jpeg) {
    jpeg.clear();
    if (!PictureLibraryStarted())
        return "the picture library could not start";
    if (options.quality < 1 || options.quality > 100)
        return "quality must be 1 to 100, not " + std::to_string(options.quality);
    try {
        OpenPicture picture;
        std::string problem = picture.Open(input);
        if (problem.empty())
            problem = Fit(picture, options, jpeg);
        if (!problem.empty())
            jpeg.clear();
        return problem;
    } catch (const vips::VError& e) {
        jpeg.clear();
        return VipsLine("picture cannot be decoded", e.what());
    } catch (const std::bad_alloc&) {
        jpeg.clear();
        return "not enough memory to fit the picture";
    }
}

} // namespace

std::string FitPicture(const std::string& path, const FitOptions& options,
                       std::vector<std::uint8_t>& jpeg) {
    return FitFrom(path, options, jpeg);
}

std::string FitPicture(std::span<const std::uint8_t> bytes, const FitOptions& options,
                       std::vector<std::uint8_t>& jpeg) {
    return FitFrom(bytes, options, jpeg);
}

std::string SketchPicture(const std::string& path, int maxWidth, int maxHeight,
                          PictureSketch& sketch) {
    sketch = {};
    if (!PictureLibraryStarted())
        return "the picture library could not start";
    if (maxWidth < 1 || maxHeight < 1)
        return "sketch size must be positive";
    try {
        OpenPicture picture;
        std::string problem = picture.Open(path);
        if (!problem.empty())
            return problem;
        const int sourceWidth = picture.UprightWidth();
        const int sourceHeight = picture.UprightHeight();
        const double scale = std::min({1.0, static_cast<double>(maxWidth) / sourceWidth,
                                       static_cast<double>(maxHeight) / sourceHeight});
        // Decoded once into memory: the attention search reads it again.
        const VImage small =
            ThreeBandsOverBlack(
                picture.Thumbnail(
                    maxWidth,
                    VImage::option()->set("height", maxHeight)->set("size", VIPS_SIZE_DOWN), scale))
                .copy_memory();

        const FrameRect inSketch = LargestFrameInside(0, 0, small.width(), small.height());
        int attentionX = 0;
        int attentionY = 0;
        small.smartcrop(std::max(1, static_cast<int>(inSketch.width)),
                        std::max(1, static_cast<int>(inSketch.height)),
                        VImage::option()
                            ->set("interesting", VIPS_INTERESTING_ATTENTION)
                            ->set("attention_x", &attentionX)
                            ->set("attention_y", &attentionY));

        // The frame around the point of interest, in the source's pixels, kept inside it.
        const FrameRect frame = LargestFrameInside(0, 0, sourceWidth, sourceHeight);
        const double cx = (attentionX + 0.5) * sourceWidth / small.width();
        const double cy = (attentionY + 0.5) * sourceHeight / small.height();
        sketch.attention.width = std::max(1, static_cast<int>(std::lround(frame.width)));
        sketch.attention.height = std::max(1, static_cast<int>(std::lround(frame.height)));
        sketch.attention.x = std::clamp(static_cast<int>(std::lround(cx - frame.width / 2)), 0,
                                        sourceWidth - sketch.attention.width);
        sketch.attention.y = std::clamp(static_cast<int>(std::lround(cy - frame.height / 2)), 0,
                                        sourceHeight - sketch.attention.height);

        std::size_t size = 0;
        void* rgb = small.write_to_memory(&size);
        const auto* bytes = static_cast<const std::uint8_t*>(rgb);
        sketch.rgb.assign(bytes, bytes + size);
        g_free(rgb);
        sketch.sourceWidth = sourceWidth;
        sketch.sourceHeight = sourceHeight;
        sketch.width = small.width();
        sketch.height = small.height();
        return {};
    } catch (const vips::VError& e) {
        sketch = {};
        return VipsLine("picture cannot be decoded", e.what());
    } catch (const std::bad_alloc&) {
        sketch = {};
        return "not enough memory to read the picture";
    }
}

} // namespace wz::media
