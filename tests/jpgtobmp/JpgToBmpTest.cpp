// libJpgToBmp against real JPEG files of every kind the game may be given, checked pixel by
// pixel against ImageMagick's independent decode of the same bytes.

#include "JpegSamples.h"

#include <JpgToBmp.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using wz::test::JpegKind;

struct Header {
    std::uint32_t biSize;
    std::int32_t biWidth, biHeight;
    std::uint16_t biPlanes, biBitCount;
    std::uint32_t biCompression, biSizeImage;
    std::int32_t biXPelsPerMeter, biYPelsPerMeter;
    std::uint32_t biClrUsed, biClrImportant;
};
static_assert(sizeof(Header) == 40);

Header HeaderOf(const unsigned char* record) {
    Header h;
    std::memcpy(&h, record, sizeof h);
    return h;
}

std::uint32_t Stride(int width) {
    return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u;
}

struct DecodeCase {
    JpegKind kind;
    int width;
    int height;
};

std::string CaseName(const testing::TestParamInfo<DecodeCase>& info) {
    return std::string(wz::test::KindName(info.param.kind)) + "_" +
           std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
}

void PrintTo(const DecodeCase& c, std::ostream* out) {
    *out << wz::test::KindName(c.kind) << " " << c.width << " x " << c.height;
}

class DecodesEveryKind : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodesEveryKind, MatchesAnIndependentDecode) {
    const DecodeCase c = GetParam();
    const auto source = wz::test::TestPattern(c.width, c.height);
    const auto jpeg = wz::test::MakeJpeg(source, c.kind);

    unsigned char record[JPGTOBMP_INFO_SIZE];
    std::memset(record, 0xAB, sizeof record);
    ASSERT_NE(GetJpgInfo(record, jpeg.data(), static_cast<unsigned>(jpeg.size())), 0)
        << g_strJpgMessage;
    const Header h = HeaderOf(record);
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, c.width);
    EXPECT_EQ(h.biHeight, c.height);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biClrUsed, 0u);
    const std::uint32_t stride = Stride(c.width);
    ASSERT_EQ(h.biSizeImage, stride * static_cast<std::uint32_t>(c.height));

    // Exactly biSizeImage bytes: the sanitizers catch a write past the array.
    std::vector<unsigned char> pixels(h.biSizeImage, 0xCD);
    ASSERT_NE(JpgToBmp(record, jpeg.data(), static_cast<unsigned>(jpeg.size()), pixels.data(),
                       h.biSizeImage),
              0)
        << g_strJpgMessage;

    const auto reference = wz::test::DecodeWithImageMagick(jpeg);
    if (!reference)
        GTEST_SKIP() << "ImageMagick's convert is not available";
    ASSERT_EQ(reference->width, c.width);
    ASSERT_EQ(reference->height, c.height);

    int worst = 0;
    long long sourceError = 0;
    for (int y = 0; y < c.height; ++y) {
        // Bottom-up: screen row y is memory row height - 1 - y.
        const unsigned char* row = pixels.data() + std::size_t(c.height - 1 - y) * stride;
        for (int x = 0; x < c.width; ++x) {
            const unsigned char* bgr = row + std::size_t{3} * x;
            const std::uint8_t* rgb = reference->At(x, y);
            for (int ch = 0; ch < 3; ++ch) {
                worst = std::max(worst, std::abs(int(bgr[2 - ch]) - int(rgb[ch])));
                if (c.kind != JpegKind::Grayscale)
                    sourceError += std::abs(int(bgr[2 - ch]) - int(source.At(x, y)[ch]));
            }
        }
        for (std::uint32_t pad = std::uint32_t(c.width) * 3; pad < stride; ++pad)
            ASSERT_EQ(row[pad], 0) << "padding of row " << y;
    }
    EXPECT_LE(worst, 2) << "largest difference from ImageMagick's decode";
    // And the picture is the one that was encoded, not merely decoded alike.
    EXPECT_LT(sourceError / (3.0 * c.width * c.height), 12.0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DecodesEveryKind,
                         testing::Values(DecodeCase{JpegKind::Baseline420, 296, 432},
                                         DecodeCase{JpegKind::Baseline444, 296, 432},
                                         DecodeCase{JpegKind::Baseline422, 101, 57},
                                         DecodeCase{JpegKind::Baseline420, 37,
                                                    29}, // odd sizes, padded rows
                                         DecodeCase{JpegKind::Baseline420, 1, 1},
                                         DecodeCase{JpegKind::Grayscale, 33, 70},
                                         DecodeCase{JpegKind::Progressive, 296, 432},
                                         DecodeCase{JpegKind::Progressive, 45, 31},
                                         DecodeCase{JpegKind::RestartIntervals, 150, 77}),
                         CaseName);

// Sets the width in the first SOF marker of the bytes.
std::vector<std::uint8_t> WithFrameSize(std::vector<std::uint8_t> jpeg, int width, int height) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame header";
    return jpeg;
}

struct RefusedCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    bool headerReadable; // GetJpgInfo passes and only the decode fails
};

std::vector<RefusedCase> RefusedInputs() {
    // Large enough that half of the file lies inside the entropy-coded data.
    const auto good = wz::test::MakeJpeg(wz::test::TestPattern(296, 432), JpegKind::Baseline420);
    const auto progressive =
        wz::test::MakeJpeg(wz::test::TestPattern(296, 432), JpegKind::Progressive);
    const std::string text = "this is not a picture at all";
    return {
        {"empty", {}, false},
        {"garbage", {text.begin(), text.end()}, false},
        {"start of image only", {0xFF, 0xD8}, false},
        {"first ten bytes", {good.begin(), good.begin() + 10}, false},
        {"truncated at half", {good.begin(), good.begin() + good.size() / 2}, true},
        {"truncated before the end marker", {good.begin(), good.end() - 40}, true},
        {"progressive truncated",
         {progressive.begin(), progressive.begin() + progressive.size() / 2},
         true},
        {"cmyk", wz::test::MakeJpeg(wz::test::TestPattern(16, 16), JpegKind::Cmyk), false},
        {"wider than the bound", WithFrameSize(good, 20000, 432), false},
        {"taller than the bound", WithFrameSize(good, 296, 16385), false},
        {"no width", WithFrameSize(good, 0, 432), false},
    };
}

// Decodes a small good image, as the game goes on to do after a picture that failed.
bool GoodImageDecodes() {
    static const auto jpeg =
        wz::test::MakeJpeg(wz::test::TestPattern(40, 24), JpegKind::Baseline420);
    unsigned char record[JPGTOBMP_INFO_SIZE];
    const auto length = static_cast<unsigned>(jpeg.size());
    if (GetJpgInfo(record, jpeg.data(), length) == 0)
        return false;
    std::vector<unsigned char> pixels(HeaderOf(record).biSizeImage);
    return JpgToBmp(record, jpeg.data(), length, pixels.data(),
                    static_cast<unsigned>(pixels.size())) != 0;
}

// Every refusal is clean: the next image decodes as if nothing had happened (a decoder left
// half-way through the damaged one used to misread every image after it).
TEST(RefusesBadInput, EveryCallFailsWithAReadableMessage) {
    for (const RefusedCase& c : RefusedInputs()) {
        struct NextImageDecodes {
            ~NextImageDecodes() { EXPECT_TRUE(GoodImageDecodes()) << "after a refusal"; }
        } check;
        SCOPED_TRACE(c.name);
        std::strcpy(g_strJpgMessage, "");
        unsigned char record[JPGTOBMP_INFO_SIZE];
        const int described =
            GetJpgInfo(record, c.bytes.data(), static_cast<unsigned>(c.bytes.size()));
        if (!c.headerReadable) {
            EXPECT_EQ(described, 0);
            EXPECT_GT(std::strlen(g_strJpgMessage), 10u);
            EXPECT_EQ(HeaderOf(record).biWidth, 0);
            EXPECT_EQ(HeaderOf(record).biSizeImage, 0u);
            continue;
        }
        ASSERT_NE(described, 0) << g_strJpgMessage;
        std::vector<unsigned char> pixels(HeaderOf(record).biSizeImage);
        EXPECT_EQ(JpgToBmp(record, c.bytes.data(), static_cast<unsigned>(c.bytes.size()),
                           pixels.data(), static_cast<unsigned>(pixels.size())),
                  0);
        EXPECT_GT(std::strlen(g_strJpgMessage), 10u);
    }
}

// Stray bytes between two markers make libjpeg warn, but the picture is whole: it decodes,
// pixel for pixel as the clean file does.
TEST(AcceptsHarmlessWarnings, StrayBytesBetweenMarkersDecodeLikeTheCleanFile) {
    const auto clean = wz::test::MakeJpeg(wz::test::TestPattern(64, 48), JpegKind::Baseline420);
    // Put three stray bytes in front of the first marker after the start-of-image marker's
    // first segment.
    std::size_t segmentEnd = 4 + ((clean[4] << 8) | clean[5]);
    ASSERT_EQ(clean[segmentEnd], 0xFF);
    auto stray = clean;
    stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(segmentEnd), {0x12, 0x34, 0x56});

    auto decode = [](const std::vector<std::uint8_t>& jpeg, std::vector<unsigned char>& pixels) {
        unsigned char record[JPGTOBMP_INFO_SIZE];
        const auto length = static_cast<unsigned>(jpeg.size());
        if (GetJpgInfo(record, jpeg.data(), length) == 0)
            return false;
        pixels.assign(HeaderOf(record).biSizeImage, 0);
        return JpgToBmp(record, jpeg.data(), length, pixels.data(),
                        static_cast<unsigned>(pixels.size())) != 0;
    };
    std::vector<unsigned char> expected, actual;
    ASSERT_TRUE(decode(clean, expected));
    ASSERT_TRUE(decode(stray, actual)) << g_strJpgMessage;
    EXPECT_EQ(actual, expected);
    EXPECT_TRUE(GoodImageDecodes());
}

TEST(RefusesBadInput, MissingArgumentsAreRefused) {
    const auto jpeg = wz::test::MakeJpeg(wz::test::TestPattern(8, 8), JpegKind::Baseline420);
    const auto length = static_cast<unsigned>(jpeg.size());
    unsigned char record[JPGTOBMP_INFO_SIZE];
    EXPECT_EQ(GetJpgInfo(nullptr, jpeg.data(), length), 0);
    EXPECT_EQ(GetJpgInfo(record, nullptr, length), 0);
    ASSERT_NE(GetJpgInfo(record, jpeg.data(), length), 0);
    std::vector<unsigned char> pixels(HeaderOf(record).biSizeImage);
    EXPECT_EQ(JpgToBmp(nullptr, jpeg.data(), length, pixels.data(), 256), 0);
    EXPECT_EQ(JpgToBmp(record, jpeg.data(), length, nullptr, 256), 0);
    EXPECT_EQ(JpgToBmp(record, nullptr, length, pixels.data(), 256), 0);
}

TEST(RefusesBadInput, OutputBufferTooSmallIsLeftUntouched) {
    const auto jpeg = wz::test::MakeJpeg(wz::test::TestPattern(30, 20), JpegKind::Baseline420);
    const auto length = static_cast<unsigned>(jpeg.size());
    unsigned char record[JPGTOBMP_INFO_SIZE];
    ASSERT_NE(GetJpgInfo(record, jpeg.data(), length), 0);
    const std::uint32_t size = HeaderOf(record).biSizeImage;
    std::vector<unsigned char> pixels(size - 1, 0x5A);
    EXPECT_EQ(JpgToBmp(record, jpeg.data(), length, pixels.data(), size - 1), 0);
    EXPECT_NE(std::string(g_strJpgMessage).find("too small"), std::string::npos);
    for (unsigned char b : pixels)
        ASSERT_EQ(b, 0x5A);
}

TEST(RefusesBadInput, RecordOfOtherBytesIsRefused) {
    // A record made for a small image must not let a larger one be decoded into its buffer.
    const auto small = wz::test::MakeJpeg(wz::test::TestPattern(8, 8), JpegKind::Baseline420);
    const auto large = wz::test::MakeJpeg(wz::test::TestPattern(64, 64), JpegKind::Baseline420);
    unsigned char record[JPGTOBMP_INFO_SIZE];
    ASSERT_NE(GetJpgInfo(record, small.data(), static_cast<unsigned>(small.size())), 0);
    std::vector<unsigned char> pixels(HeaderOf(record).biSizeImage);
    EXPECT_EQ(JpgToBmp(record, large.data(), static_cast<unsigned>(large.size()), pixels.data(),
                       static_cast<unsigned>(pixels.size())),
              0);

    unsigned char altered[JPGTOBMP_INFO_SIZE];
    ASSERT_NE(GetJpgInfo(altered, small.data(), static_cast<unsigned>(small.size())), 0);
    altered[4] = 200; // biWidth
    EXPECT_EQ(JpgToBmp(altered, small.data(), static_cast<unsigned>(small.size()), pixels.data(),
                       static_cast<unsigned>(pixels.size())),
              0);
}

TEST(RefusesBadInput, MessageOfTheLastFailureStaysAfterASuccess) {
    const auto jpeg = wz::test::MakeJpeg(wz::test::TestPattern(8, 8), JpegKind::Baseline420);
    unsigned char record[JPGTOBMP_INFO_SIZE];
    EXPECT_EQ(GetJpgInfo(record, jpeg.data(), 3), 0);
    const std::string failure = g_strJpgMessage;
    EXPECT_NE(GetJpgInfo(record, jpeg.data(), static_cast<unsigned>(jpeg.size())), 0);
    EXPECT_EQ(failure, g_strJpgMessage);
}

} // namespace
