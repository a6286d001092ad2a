#include "FitPicture.h"

#include "BitmapPicture.h"
#include "MediaChecks.h"
#include "PictureLibrary.h"

#include <turbojpeg.h>
#include <vips/vips8>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>

namespace wz::media {

using vips::VImage;

std::string TooLargeLine(int width, int height) {
    return "picture is " + std::to_string(width) + " x " + std::to_string(height) +
           ", larger than 100 megapixels";
}

namespace {

constexpr const char* kNotAPicture = "not a picture this program reads";
// Every decode refuses a file that is cut short or damaged, rather than showing it with a
// grey tail.
constexpr const char* kLoadOptions = "fail_on=truncated";
// A BMP file is read whole; none that we accept is larger (100 megapixels at 3 bytes, padded).
constexpr off_t kMaxBitmapFileBytes = 320ll << 20;
// A JPEG file is read whole too, to be decoded at the scale the fit needs; one larger than
// this is left to libvips, which reads it as it goes.
constexpr off_t kMaxJpegFileBytes = 256ll << 20;

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// HEIF and AVIF are ISO media files: a box of type "ftyp" first.
bool LooksLikeMediaFile(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 8 && std::memcmp(bytes.data() + 4, "ftyp", 4) == 0;
}

std::string ReadWholeFile(int fd, off_t size, std::vector<std::uint8_t>& file) {
    file.resize(static_cast<std::size_t>(size));
    std::size_t done = 0;
    while (done < file.size()) {
        const ssize_t got =
            ::pread(fd, file.data() + done, file.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return "cannot read the picture";
        done += static_cast<std::size_t>(got);
    }
    return {};
}

// libjpeg-turbo decoding a JPEG at the smallest of its DCT scales (1/8, 1/4, 1/2 or whole)
// that still gives `scale` of the picture's size: the same work as libvips' shrink-on-load,
// which decodes a quarter more slowly and keeps to a scale twice as large. False for a
// CMYK picture and for any file libjpeg-turbo warns about, which libvips then reads.
bool DecodeJpegAtScale(std::span<const std::uint8_t> file, double scale,
                       std::vector<std::uint8_t>& pixels, int& width, int& height, int& bands) {
    tjhandle decoder = tjInitDecompress();
    if (decoder == nullptr)
        return false;
    int fullWidth = 0, fullHeight = 0, subsampling = 0, colourspace = 0;
    bool ok = tjDecompressHeader3(decoder, file.data(), static_cast<unsigned long>(file.size()),
                                  &fullWidth, &fullHeight, &subsampling, &colourspace) == 0 &&
              colourspace != TJCS_CMYK && colourspace != TJCS_YCCK;
    if (ok) {
        int denominator = 1;
        for (const int d : {8, 4, 2}) {
            if (1.0 / d >= scale) {
                denominator = d;
                break;
            }
        }
        const tjscalingfactor factor{1, denominator};
        width = TJSCALED(fullWidth, factor);
        height = TJSCALED(fullHeight, factor);
        bands = colourspace == TJCS_GRAY ? 1 : 3;
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                      static_cast<std::size_t>(bands));
        ok = tjDecompress2(decoder, file.data(), static_cast<unsigned long>(file.size()),
                           pixels.data(), width, 0, height, bands == 1 ? TJPF_GRAY : TJPF_RGB,
                           0) == 0;
    }
    tjDestroy(decoder);
    if (!ok)
        pixels = {};
    return ok;
}

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

// A picture opened for decoding: a libvips source over a file descriptor of ours (so that no
// part of a file's name is taken for loader options) or over memory, or a BMP that our own
// reader decoded. Its header has been checked: an allowed format and not too many pixels.
class OpenPicture {
public:
    std::string Open(std::span<const std::uint8_t> bytes) {
        if (bytes.empty())
            return kNotAPicture;
        if (LooksLikeBitmap(bytes))
            return OpenBitmap(bytes);
        if (LooksLikeJpeg(bytes))
            jpeg_ = bytes;
        return OpenSource(bytes);
    }

    std::string Open(const std::string& path) {
        // Non-blocking, so that a FIFO in the picture's place cannot hang the open.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return "cannot open the picture: " + std::string(std::strerror(errno));
        struct stat st {};
        std::uint8_t magic[12] = {};
        std::string problem;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            problem = "not a regular file";
        } else {
            const ssize_t got = ::pread(fd, magic, sizeof magic, 0);
            const std::span<const std::uint8_t> start(magic, got > 0 ? std::size_t(got) : 0);
            if (LooksLikeBitmap(start)) {
                problem = ReadBitmapFile(fd, st.st_size);
            } else if (LooksLikeJpeg(start) && st.st_size <= kMaxJpegFileBytes) {
                problem = ReadWholeFile(fd, st.st_size, file_);
                jpeg_ = file_;
            } else {
                if (LooksLikeMediaFile(start))
                    LoadHeifLoader();
                source_ = vips::VSource::new_from_descriptor(fd); // libvips keeps a duplicate
            }
        }
        ::close(fd);
        if (!problem.empty() || bitmapImage_.get_image() != nullptr)
            return problem;
        if (!jpeg_.empty())
            return OpenSource(jpeg_);
        return Inspect();
    }

    int UprightWidth() const { return uprightWidth_; }
    int UprightHeight() const { return uprightHeight_; }

    // libvips' thumbnail: shrink-on-load, EXIF orientation, colour profile to sRGB, then a
    // good resampler to the size the options ask for, which is `scale` of the picture or more.
    VImage Thumbnail(int width, vips::VOption* options, double scale) {
        if (!jpeg_.empty()) {
            VImage decoded;
            if (DecodeJpeg(scale, decoded))
                return decoded.thumbnail_image(width, options);
        }
        if (source_)
            return VImage::thumbnail_source(*source_, width,
                                            options->set("option_string", kLoadOptions));
        return bitmapImage_.thumbnail_image(width, options);
    }

private:
    std::string OpenSource(std::span<const std::uint8_t> bytes) {
        if (LooksLikeMediaFile(bytes))
            LoadHeifLoader();
        source_ = vips::VSource::new_from_memory(bytes.data(), bytes.size());
        return Inspect();
    }

    // The JPEG decoded by libjpeg-turbo, carrying the orientation and colour profile that
    // libvips read from its header, so that thumbnail turns and converts it as its own.
    bool DecodeJpeg(double scale, VImage& image) {
        int width = 0, height = 0, bands = 0;
        if (!DecodeJpegAtScale(jpeg_, scale, decoded_, width, height, bands))
            return false;
        image = VImage::new_from_memory(decoded_.data(), decoded_.size(), width, height, bands,
                                        VIPS_FORMAT_UCHAR);
        if (orientation_ != 1)
            image.set(VIPS_META_ORIENTATION, orientation_);
        if (header_.get_typeof(VIPS_META_ICC_NAME) != 0) {
            std::size_t size = 0;
            const void* profile = header_.get_blob(VIPS_META_ICC_NAME, &size);
            vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, profile, size);
        }
        return true;
    }

    std::string Inspect() {
        const char* loader = vips_foreign_find_load_source(source_->get_source());
        if (!IsAllowedLoader(loader)) {
            vips_error_clear();
            return kNotAPicture;
        }
        // Only the header is read here; the pixels are decoded later, on demand.
        header_ = VImage::new_from_source(
            *source_, kLoadOptions, VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
        const int width = header_.width();
        const int height = header_.height();
        if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > kMaxFitPixels)
            return TooLargeLine(width, height);
        if (header_.get_typeof(VIPS_META_ORIENTATION) != 0)
            orientation_ = header_.get_int(VIPS_META_ORIENTATION);
        // Orientations 5 to 8 turn the picture a quarter.
        const bool turned = orientation_ >= 5 && orientation_ <= 8;
        uprightWidth_ = turned ? height : width;
        uprightHeight_ = turned ? width : height;
        return {};
    }

    std::string ReadBitmapFile(int fd, off_t size) {
        if (size > kMaxBitmapFileBytes)
            return "BMP file is larger than this program reads";
        std::vector<std::uint8_t> file;
        std::string problem = ReadWholeFile(fd, size, file);
        return problem.empty() ? OpenBitmap(file) : problem;
    }

    std::string OpenBitmap(std::span<const std::uint8_t> bytes) {
        std::string problem = DecodeBitmap(bytes, kMaxFitPixels, bitmap_);
        if (!problem.empty())
            return problem;
        // The image reads the decoded rows in place; they live as long as this object.
        bitmapImage_ = VImage::new_from_memory(bitmap_.rgb.data(), bitmap_.rgb.size(),
                                               bitmap_.width, bitmap_.height, 3, VIPS_FORMAT_UCHAR);
        uprightWidth_ = bitmap_.width;
        uprightHeight_ = bitmap_.height;
        return {};
    }

    std::optional<vips::VSource> source_;
    VImage header_;
    int orientation_ = 1;
    // A JPEG's bytes (file_ when read from a file), and its pixels once decoded; the images
    // made over them read them in place, so they live as long as this object.
    std::vector<std::uint8_t> file_;
    std::span<const std::uint8_t> jpeg_;
    std::vector<std::uint8_t> decoded_;
    DecodedBitmap bitmap_;
    VImage bitmapImage_;
    int uprightWidth_ = 0;
    int uprightHeight_ = 0;
};

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
    fitted =
        whole.extract_area(left, top, right - left, bottom - top)
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
                    VImage::option()->set("height", maxHeight)->set("size", VIPS_SIZE_DOWN),
                    scale))
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
