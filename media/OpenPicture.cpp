#include "OpenPicture.h"

#include "FitPicture.h"
#include "PictureLibrary.h"
#include "WholeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace wz::media {

using vips::VImage;

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

std::string ReadPictureFile(int fd, off_t maxBytes, std::vector<std::uint8_t>& file) {
    if (!ReadWholeFile(fd, static_cast<std::uint64_t>(maxBytes), file))
        return "cannot read the picture";
    return {};
}

} // namespace

std::string OpenPicture::Open(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return kNotAPicture;
    if (LooksLikeBitmap(bytes))
        return OpenBitmap(bytes);
    if (LooksLikeJpeg(bytes))
        jpeg_ = bytes;
    return OpenSource(bytes);
}

std::string OpenPicture::Open(const std::string& path) {
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
            problem = ReadPictureFile(fd, kMaxJpegFileBytes, file_);
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

VImage OpenPicture::Thumbnail(int width, vips::VOption* options, double scale) {
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

std::string OpenPicture::OpenSource(std::span<const std::uint8_t> bytes) {
    if (LooksLikeMediaFile(bytes))
        LoadHeifLoader();
    source_ = vips::VSource::new_from_memory(bytes.data(), bytes.size());
    return Inspect();
}

// The JPEG decoded by libjpeg-turbo, carrying the orientation and colour profile that libvips
// read from its header, so that thumbnail turns and converts it as it would its own.
bool OpenPicture::DecodeJpeg(double scale, VImage& image) {
    if (!DecodeJpegAtScale(jpeg_, scale, kMaxFitPixels, decoded_))
        return false;
    image = VImage::new_from_memory(decoded_.pixels.data(), decoded_.pixels.size(), decoded_.width,
                                    decoded_.height, decoded_.bands, VIPS_FORMAT_UCHAR);
    if (orientation_ != 1)
        image.set(VIPS_META_ORIENTATION, orientation_);
    if (header_.get_typeof(VIPS_META_ICC_NAME) != 0) {
        std::size_t size = 0;
        const void* profile = header_.get_blob(VIPS_META_ICC_NAME, &size);
        vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, profile, size);
    }
    return true;
}

std::string OpenPicture::Inspect() {
    const char* loader = vips_foreign_find_load_source(source_->get_source());
    if (!IsAllowedLoader(loader)) {
        vips_error_clear();
        return kNotAPicture;
    }
    // Only the header is read here; the pixels are decoded later, on demand.
    header_ = VImage::new_from_source(*source_, kLoadOptions,
                                      VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
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

std::string OpenPicture::ReadBitmapFile(int fd, off_t size) {
    if (size > kMaxBitmapFileBytes)
        return "BMP file is larger than this program reads";
    std::vector<std::uint8_t> file;
    std::string problem = ReadPictureFile(fd, kMaxBitmapFileBytes, file);
    return problem.empty() ? OpenBitmap(file) : problem;
}

std::string OpenPicture::OpenBitmap(std::span<const std::uint8_t> bytes) {
    std::string problem = DecodeBitmap(bytes, kMaxFitPixels, bitmap_);
    if (!problem.empty())
        return problem;
    // The image reads the decoded rows in place; they live as long as this object.
    bitmapImage_ = VImage::new_from_memory(bitmap_.rgb.data(), bitmap_.rgb.size(), bitmap_.width,
                                           bitmap_.height, 3, VIPS_FORMAT_UCHAR);
    uprightWidth_ = bitmap_.width;
    uprightHeight_ = bitmap_.height;
    return {};
}

} // namespace wz::media
