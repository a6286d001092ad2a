// Picture fitting over files made by real encoders (libvips here, ImageMagick for BMP and for
// the reference crop): every format and orientation comes out as a game picture with its
// marked corner where it belongs, and hostile files are refused with one line.

#include "FitPicture.h"
#include "MediaChecks.h"
#include "PictureLibrary.h"

#include <ChildProcess.h>
#include <ScratchFolder.h>

#include <gtest/gtest.h>
#include <vips/vips8>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

using namespace wz::media;
using vips::VImage;
using wz::kFrameHeight;
using wz::kFrameWidth;
using Bytes = std::vector<std::uint8_t>;

// The upright test picture: the frame's shape at half its size, mid grey, with a red square in
// its top-left corner and a transparent (white underneath) square in its bottom-right one.
constexpr int kWidth = kFrameWidth / 2;
constexpr int kHeight = kFrameHeight / 2;
constexpr int kMark = 40;

VImage MarkedPicture() {
    StartPictureLibrary();
    const VImage x = VImage::xyz(kWidth, kHeight);
    const VImage px = x.extract_band(0);
    const VImage py = x.extract_band(1);
    const VImage red = (px < kMark) & (py < kMark);
    const VImage clear = (px >= kWidth - kMark) & (py >= kHeight - kMark);
    const VImage grey = VImage::black(kWidth, kHeight, VImage::option()->set("bands", 3)) + 128;
    const VImage rgb = red.ifthenelse(std::vector<double>{255, 0, 0},
                                      clear.ifthenelse(std::vector<double>{255, 255, 255}, grey));
    const VImage alpha = clear.ifthenelse(0, 255);
    return rgb.bandjoin(alpha)
        .cast(VIPS_FORMAT_UCHAR)
        .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

Bytes Blob(VipsBlob* blob) {
    std::size_t size = 0;
    const auto* data = static_cast<const std::uint8_t*>(vips_blob_get(blob, &size));
    Bytes bytes(data, data + size);
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
}

VImage Opaque(const VImage& picture) {
    return picture.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
}

// The picture stored as a JPEG with the EXIF orientation that turns it upright again.
Bytes OrientedJpeg(int orientation) {
    using Store = VImage (*)(const VImage&);
    constexpr Store kStored[] = {
        [](const VImage& p) { return p; },
        [](const VImage& p) { return p.fliphor(); },
        [](const VImage& p) { return p.rot180(); },
        [](const VImage& p) { return p.flipver(); },
        [](const VImage& p) { return p.rot90().fliphor(); }, // transposed
        [](const VImage& p) { return p.rot270(); },
        [](const VImage& p) { return p.rot90().flipver(); }, // transversed
        [](const VImage& p) { return p.rot90(); },
    };
    VImage stored = kStored[orientation - 1](Opaque(MarkedPicture())).copy();
    stored.set(VIPS_META_ORIENTATION, orientation);
    return Blob(stored.jpegsave_buffer(VImage::option()->set("Q", 95)));
}

Bytes ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// ImageMagick's writing of the picture into a file of the given type.
Bytes Converted(const Bytes& png, const std::string& type) {
    wz::testkit::ScratchFolder folder("wzfit");
    WriteFile(folder / "in.png", png);
    const std::filesystem::path out = folder / "out";
    EXPECT_EQ(wz::testkit::RunProgram(
                  {"convert", (folder / "in.png").string(), type + ":" + out.string()}),
              0);
    return ReadFile(out);
}

bool Near(const std::vector<double>& pixel, std::vector<double> colour, double tolerance) {
    for (std::size_t i = 0; i < 3; ++i)
        if (std::abs(pixel[i] - colour[i]) > tolerance)
            return false;
    return true;
}

// The application segments before the scan: EXIF is APP1 (0xE1), a colour profile APP2.
std::vector<int> AppSegments(const Bytes& jpeg) {
    std::vector<int> markers;
    for (std::size_t at = 2; at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA;
         at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3])) {
        if (jpeg[at + 1] >= 0xE0 && jpeg[at + 1] <= 0xEF)
            markers.push_back(jpeg[at + 1]);
    }
    return markers;
}

struct Format {
    const char* name;
    std::function<Bytes()> make;
    bool transparent; // the bottom-right square must come out black
    double redTolerance = 40;
};

TEST(FitPicture, EveryFormatAndOrientationBecomesAnUprightGamePicture) {
    const auto marked = [] { return MarkedPicture(); };
    const auto png = [&] { return Blob(marked().pngsave_buffer()); };
    const auto displayP3 = [&] {
        return Opaque(marked()).icc_transform("p3", VImage::option()->set("input_profile", "srgb"));
    };
    std::vector<Format> formats = {
        {"baseline JPEG", [&] { return Blob(Opaque(marked()).jpegsave_buffer()); }, false},
        {"progressive JPEG",
         [&] {
             return Blob(
                 Opaque(marked()).jpegsave_buffer(VImage::option()->set("interlace", true)));
         },
         false},
        // libjpeg-turbo warns of the stray bytes and leaves the file to libvips.
        {"JPEG with stray bytes before its scan",
         [&] {
             Bytes jpeg = Blob(Opaque(marked()).jpegsave_buffer());
             const Bytes scan = {0xFF, 0xDA};
             jpeg.insert(std::search(jpeg.begin(), jpeg.end(), scan.begin(), scan.end()),
                         {0x12, 0x34});
             return jpeg;
         },
         false},
        {"CMYK JPEG",
         [&] {
             return Blob(Opaque(marked()).colourspace(VIPS_INTERPRETATION_CMYK).jpegsave_buffer());
         },
         false, 60}, // as red as print allows
        {"16-bit PNG with alpha",
         [&] { return Blob(marked().colourspace(VIPS_INTERPRETATION_RGB16).pngsave_buffer()); },
         true},
        {"palette PNG",
         [&] { return Blob(marked().pngsave_buffer(VImage::option()->set("palette", true))); },
         true},
        {"GIF", [&] { return Blob(marked().gifsave_buffer()); }, true},
        {"WebP",
         [&] { return Blob(marked().webpsave_buffer(VImage::option()->set("lossless", true))); },
         true},
        {"HEIC",
         [&] {
             // The fitting loads libheif's module only when a HEIF file comes; this encoder
             // needs it first.
             EXPECT_TRUE(LoadHeifLoader());
             return Blob(Opaque(marked()).heifsave_buffer(
                 VImage::option()
                     ->set("compression", VIPS_FOREIGN_HEIF_COMPRESSION_HEVC)
                     ->set("Q", 90)));
         },
         false},
        {"TIFF", [&] { return Blob(marked().tiffsave_buffer()); }, true},
        {"Display P3 TIFF with its profile", [&] { return Blob(displayP3().tiffsave_buffer()); },
         false, 20},
        {"Display P3 JPEG with its profile", [&] { return Blob(displayP3().jpegsave_buffer()); },
         false, 20},
        {"BMP", [&] { return Converted(png(), "BMP3"); }, false},
    };
    for (int orientation = 1; orientation <= 8; ++orientation)
        formats.push_back({"EXIF orientation", [=] { return OrientedJpeg(orientation); }, false});

    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        const Bytes source = format.make();
        ASSERT_FALSE(source.empty());
        Bytes jpeg;
        ASSERT_EQ(FitPicture(source, FitOptions{.crop = CropMode::Centre, .rect = {}}, jpeg), "");
        PictureInfo info;
        EXPECT_EQ(CheckBackground(jpeg, info), "");
        // Neither the source's orientation nor its profile: the pixels are upright sRGB now.
        const std::vector<int> segments = AppSegments(jpeg);
        EXPECT_EQ(std::count(segments.begin(), segments.end(), 0xE1), 0);
        EXPECT_EQ(std::count(segments.begin(), segments.end(), 0xE2), 0);

        // The fitted picture is the source at twice its size: the red corner stays top left.
        const VImage fitted = VImage::new_from_buffer(jpeg.data(), jpeg.size(), "");
        EXPECT_TRUE(Near(fitted.getpoint(30, 30), {255, 0, 0}, format.redTolerance));
        EXPECT_TRUE(Near(fitted.getpoint(kFrameWidth - 30, 30), {128, 128, 128}, 20));
        EXPECT_TRUE(Near(fitted.getpoint(30, kFrameHeight - 30), {128, 128, 128}, 20));
        const std::vector<double> corner =
            format.transparent ? std::vector<double>{0, 0, 0} : std::vector<double>{255, 255, 255};
        EXPECT_TRUE(Near(fitted.getpoint(kFrameWidth - 30, kFrameHeight - 30), corner, 20));
    }
}

// The peak signal-to-noise ratio of two 8-bit pictures of one size, in decibels.
double Psnr(const VImage& a, const VImage& b) {
    const VImage difference = a.cast(VIPS_FORMAT_FLOAT) - b.cast(VIPS_FORMAT_FLOAT);
    const double meanSquare = (difference * difference).avg();
    return 10 * std::log10(255.0 * 255.0 / std::max(meanSquare, 1e-9));
}

TEST(FitPicture, CentreCropMatchesImageMagick) {
    wz::testkit::ScratchFolder folder("wzfit");
    const std::string photo = (folder / "photo.jpg").string();
    const std::string reference = (folder / "reference.png").string();
    // Large enough to be decoded at half its size, as photos are.
    ASSERT_EQ(wz::testkit::RunProgram({"convert", "-seed", "7", "-size", "1600x1200",
                                       "plasma:fractal", "-blur", "0x2", photo}),
              0);
    ASSERT_EQ(wz::testkit::RunProgram({"convert", photo, "-resize", "296x432^", "-gravity",
                                       "center", "-extent", "296x432", reference}),
              0);
    Bytes jpeg;
    ASSERT_EQ(FitPicture(photo, FitOptions{.crop = CropMode::Centre, .rect = {}}, jpeg), "");
    const VImage fitted = VImage::new_from_buffer(jpeg.data(), jpeg.size(), "");
    EXPECT_GE(Psnr(fitted, VImage::new_from_file(reference.c_str())), 35.0);
}

// Fine detail, as in a sharp photo: noise in blocks of a few pixels, stored at a high quality.
Bytes SharpJpeg(int width, int height) {
    StartPictureLibrary();
    const auto band = [&](int seed) {
        return VImage::gaussnoise(
            width / 3, height / 3,
            VImage::option()->set("sigma", 60)->set("mean", 128)->set("seed", seed));
    };
    const VImage noise = band(1).bandjoin({band(2), band(3)}).zoom(3, 3).cast(VIPS_FORMAT_UCHAR);
    return Blob(noise.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
                    .jpegsave_buffer(VImage::option()->set("Q", 100)));
}

// A picture is decoded at a reduced scale where that still covers the frame: the fit must
// match the same crop of the whole picture scaled once, from a JPEG (decoded small by its own
// decoder) as from a PNG.
TEST(FitPicture, AReducedDecodeStillCoversTheFrame) {
    const Bytes jpeg = SharpJpeg(1602, 1200);
    const VImage pixels = VImage::new_from_buffer(jpeg.data(), jpeg.size(), "");
    const Bytes png = Blob(pixels.pngsave_buffer(VImage::option()->set("compression", 1)));
    // The frame's shape from the middle of the part, at full resolution.
    const auto frame = [](const VImage& part) {
        return part.thumbnail_image(
            kFrameWidth,
            VImage::option()->set("height", kFrameHeight)->set("crop", VIPS_INTERESTING_CENTRE));
    };
    const VImage middle = frame(pixels);
    const struct {
        const char* what;
        FitOptions options;
        VImage expected;
    } rows[] = {
        {"centre", {.crop = CropMode::Centre, .rect = {}}, middle},
        {"a rectangle twice the frame",
         {.crop = CropMode::Rectangle, .rect = {300, 150, 592, 864}},
         frame(pixels.extract_area(300, 150, 592, 864))},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        for (const Bytes* source : {&jpeg, &png}) {
            Bytes fitted;
            ASSERT_EQ(FitPicture(*source, r.options, fitted), "");
            // 33 to 37 dB as it should be; a decode at half the scale needed, enlarged after,
            // gives 18 to 20.
            EXPECT_GE(Psnr(VImage::new_from_buffer(fitted.data(), fitted.size(), ""), r.expected),
                      28.0)
                << (source == &jpeg ? "from the JPEG" : "from the PNG");
        }
    }
}

// The caller's rectangle, in the upright picture's pixels: it may touch every edge and no
// more, and where its shape is not the frame's, its middle is kept.
TEST(FitPicture, RectangleCropKeepsThePartTheCallerChose) {
    const Bytes upright = Blob(Opaque(MarkedPicture()).pngsave_buffer());
    const Bytes transposed = OrientedJpeg(5);
    const std::vector<double> red = {255, 0, 0}, grey = {128, 128, 128}, white = {255, 255, 255};
    const struct {
        const char* what;
        const Bytes& source;
        SourceRect rect;
        std::vector<double> middle; // the colour in the middle of the frame; none if refused
    } rows[] = {
        {"the red square alone", upright, {0, 0, kMark, kMark}, red},
        {"the whole picture", upright, {0, 0, kWidth, kHeight}, grey},
        {"flush with the right edge", upright, {kWidth - kMark, 0, kMark, kMark}, grey},
        {"flush with the bottom edge", upright, {0, kHeight - kMark, kMark, kMark}, grey},
        {"flush with both, over the white corner",
         upright,
         {kWidth - kMark, kHeight - kMark, kMark, kMark},
         white},
        {"a wide band over the red square keeps its middle", upright, {0, 0, kWidth, kMark}, grey},
        {"a tall band under the red square keeps its middle",
         upright,
         {0, 0, kMark, kHeight},
         grey},
        {"on an orientation-5 photo, in upright pixels",
         transposed,
         {kWidth - kMark, kHeight - kMark, kMark, kMark},
         white},
        {"one pixel past the right edge", upright, {kWidth - kMark + 1, 0, kMark, kMark}, {}},
        {"one pixel past the bottom edge", upright, {0, kHeight - kMark + 1, kMark, kMark}, {}},
        {"wider than the picture", upright, {0, 0, kWidth + 1, kMark}, {}},
        {"a negative x", upright, {-1, 0, kMark, kMark}, {}},
        {"a negative y", upright, {0, -1, kMark, kMark}, {}},
        {"no width", upright, {0, 0, 0, kMark}, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Bytes jpeg = {1};
        const std::string problem =
            FitPicture(r.source, FitOptions{.crop = CropMode::Rectangle, .rect = r.rect}, jpeg);
        if (r.middle.empty()) {
            EXPECT_NE(problem.find("does not lie inside the picture of 148 x 216"),
                      std::string::npos)
                << problem;
            EXPECT_TRUE(jpeg.empty());
            continue;
        }
        ASSERT_EQ(problem, "");
        const VImage fitted = VImage::new_from_buffer(jpeg.data(), jpeg.size(), "");
        EXPECT_TRUE(Near(fitted.getpoint(kFrameWidth / 2, kFrameHeight / 2), r.middle, 40));
    }
}

// A PNG whose header declares width x height, followed by one tiny data chunk.
Bytes PngClaiming(std::uint32_t width, std::uint32_t height) {
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto chunk = [&](const char* type, const Bytes& data) {
        const auto put32 = [&](std::uint32_t v) {
            for (int shift = 24; shift >= 0; shift -= 8)
                png.push_back(static_cast<std::uint8_t>(v >> shift));
        };
        put32(static_cast<std::uint32_t>(data.size()));
        const std::size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        put32(static_cast<std::uint32_t>(
            crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
    };
    Bytes header(13, 0);
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        header[4 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    header[8] = 8; // bits
    header[9] = 2; // RGB
    chunk("IHDR", header);
    chunk("IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    chunk("IEND", {});
    return png;
}

TEST(FitPicture, RefusesHostileFilesWithOneLine) {
    const Bytes jpeg = Blob(Opaque(MarkedPicture()).jpegsave_buffer());
    const Bytes png = Blob(MarkedPicture().pngsave_buffer());
    const std::string text = "just some words\n";
    const std::string pdf = "%PDF-1.4\n1 0 obj<<>>endobj\ntrailer<<>>\n%%EOF\n";
    const std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"9\" height=\"9\"/>";
    const struct {
        const char* name;
        Bytes bytes;
        const char* expected;
    } cases[] = {
        {"header claiming 100000 x 100000", PngClaiming(100000, 100000),
         "larger than 100 megapixels"},
        {"header claiming one row more than 100 megapixels", PngClaiming(10000, 10001),
         "picture is 10000 x 10001, larger than 100 megapixels"},
        // Exactly at the limit it is decoded, and only then found to be cut short.
        {"header claiming 10000 x 10000", PngClaiming(10000, 10000), "cannot be decoded"},
        {"truncated JPEG", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2),
         "cannot be decoded"},
        {"truncated PNG", Bytes(png.begin(), png.begin() + png.size() / 2), "cannot be decoded"},
        {"text", Bytes(text.begin(), text.end()), "not a picture"},
        {"PDF", Bytes(pdf.begin(), pdf.end()), "not a picture"},
        {"SVG", Bytes(svg.begin(), svg.end()), "not a picture"},
        {"empty", Bytes(), "not a picture"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes out = {1};
        const std::string problem = FitPicture(c.bytes, FitOptions{}, out);
        EXPECT_NE(problem.find(c.expected), std::string::npos) << problem;
        EXPECT_EQ(problem.find('\n'), std::string::npos) << problem;
        EXPECT_TRUE(out.empty());
    }

    // By name, a text file called .jpg is still judged by its content.
    wz::testkit::ScratchFolder folder("wzfit");
    WriteFile(folder / "holiday.jpg", Bytes(text.begin(), text.end()));
    Bytes out;
    EXPECT_EQ(FitPicture((folder / "holiday.jpg").string(), FitOptions{}, out),
              "not a picture this program reads");
}

TEST(FitPicture, RefusesAHugeHeaderBeforeDecodingIt) {
    wz::testkit::ScratchFolder folder("wzfit");
    WriteFile(folder / "huge.png", PngClaiming(100000, 100000));
    // Peak memory as /usr/bin/time measures it: a child forked from this test would count the
    // test's own memory up to its exec.
    const std::string peak = (folder / "peak").string();
    const int status = wz::testkit::RunProgram(
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): the folder and name are one path
        {"/usr/bin/time", "-f", "%M", "-o", peak, WZ_BINARY_DIR "/bin/wzassets", "fit",
         (folder / "huge.png").string(), (folder / "out.jpg").string()});
    // time puts "Command exited with non-zero status 1" before its figure.
    std::ifstream figures(peak);
    std::string word;
    long peakKilobytes = 0;
    while (figures >> word)
        peakKilobytes = std::atol(word.c_str());
    EXPECT_EQ(status, 1);
    EXPECT_GT(peakKilobytes, 0);
    EXPECT_LT(peakKilobytes, 100L << 10);
    EXPECT_FALSE(std::filesystem::exists(folder / "out.jpg"));
}

TEST(SketchPicture, GivesAnUprightScreenCopyAndAFrameShapedAttentionRectangle) {
    wz::testkit::ScratchFolder folder("wzfit");
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        WriteFile(folder / "turned.jpg", OrientedJpeg(orientation));
        PictureSketch sketch;
        ASSERT_EQ(SketchPicture((folder / "turned.jpg").string(), 74, 1000, sketch), "");
        EXPECT_EQ(sketch.sourceWidth, kWidth);
        EXPECT_EQ(sketch.sourceHeight, kHeight);
        EXPECT_EQ(sketch.width, 74); // never enlarged, only shrunk to fit
        EXPECT_EQ(sketch.height, 108);
        ASSERT_EQ(sketch.rgb.size(), 74u * 108u * 3u);
        EXPECT_GT(sketch.rgb[(5 * 74 + 5) * 3], 200); // the red corner, top left
        EXPECT_LT(sketch.rgb[(5 * 74 + 5) * 3 + 1], 60);
        EXPECT_EQ(sketch.attention.width, kWidth);
        EXPECT_EQ(sketch.attention.height, kHeight);
    }
    // Where the height is the tighter bound, it decides (here over a PNG, which no decoder
    // shrinks on its own).
    WriteFile(folder / "upright.png", Blob(MarkedPicture().pngsave_buffer()));
    PictureSketch low;
    ASSERT_EQ(SketchPicture((folder / "upright.png").string(), 1000, 54, low), "");
    EXPECT_EQ(low.width, 37);
    EXPECT_EQ(low.height, 54);
}

} // namespace
