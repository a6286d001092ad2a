// Building pictures from JPEG bytes and JPEG files, the decoder's message box, and release.

#include "PictureTestSupport.h"

#include <DecoderMessages.h>
#include <FrameView.h>
#include <JpgToBmp.h>

#include <gtest/gtest.h>

#include <cstring>

namespace wz::test {
namespace {

std::vector<std::uint8_t> SampleJpeg(int width, int height) {
    return EncodeJpeg(width, height, BackgroundColour);
}

void ExpectEmpty(const Picture& picture) {
    EXPECT_EQ(picture.Depth(), 0u);
    EXPECT_EQ(picture.Pixels(), nullptr);
    EXPECT_EQ(picture.PixelArraySize(), 0u);
    EXPECT_EQ(picture.ColourTable(), nullptr);
    EXPECT_TRUE(ViewOf(picture).IsEmpty());
}

TEST(PictureFromJpeg, DecodesToA24BitPictureWithoutColourTable) {
    const auto jpeg = SampleJpeg(37, 21); // odd width: rows padded to 112 bytes
    RecordingMessages messages;
    Picture picture(jpeg.data(), static_cast<std::uint32_t>(jpeg.size()), &messages);

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(picture.Depth(), 24u);
    EXPECT_EQ(picture.ColourTable(), nullptr);
    EXPECT_EQ(picture.ColourCount(), 0u);
    EXPECT_EQ(picture.Width(), 37);
    EXPECT_EQ(picture.Height(), 21);
    EXPECT_EQ(picture.Stride(), 112u);
    const BitmapInfoHeader& h = *picture.Header();
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biSizeImage, 112u * 21u);
    EXPECT_EQ(picture.PixelArraySize(), h.biSizeImage);
    // info is a block of its own holding the same header.
    EXPECT_NE(static_cast<const void*>(picture.Info()), static_cast<const void*>(picture.Header()));
    EXPECT_EQ(std::memcmp(&picture.Info()->bmiHeader, &h, sizeof h), 0);

    // The top-left pixel as displayed starts the last row in memory.
    for (const auto& [x, y] :
         {std::pair{0, 0}, std::pair{36, 0}, std::pair{0, 20}, std::pair{20, 10}}) {
        const Bgr want = BackgroundColour(x, y);
        const Bgr got = PixelOf(picture, x, y);
        EXPECT_NEAR(got.b, want.b, 4) << x << "," << y;
        EXPECT_NEAR(got.g, want.g, 4) << x << "," << y;
        EXPECT_NEAR(got.r, want.r, 4) << x << "," << y;
    }

    const FrameView view = ViewOf(picture);
    EXPECT_EQ(view.width, 37);
    EXPECT_EQ(view.height, 21);
    EXPECT_EQ(view.stride, 112u);
    EXPECT_EQ(view.pixels, picture.Pixels());
}

TEST(PictureFromJpeg, DecoderFailureShowsOneBoxAndLeavesThePictureEmpty) {
    const auto good = SampleJpeg(296, 432);
    const std::string garbage = "GIF89a and then nothing useful";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"garbage", {garbage.begin(), garbage.end()}},
        {"empty", {}},
        {"truncated inside the image data", {good.begin(), good.begin() + good.size() / 2}},
        {"header only", {good.begin(), good.begin() + 20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingMessages messages;
        Picture picture(c.bytes.data(), static_cast<std::uint32_t>(c.bytes.size()), &messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        const MessageBoxRequest& box = messages.shown[0];
        EXPECT_EQ(box.caption, std::string("Error: ") + g_strJpgMessage);
        EXPECT_GT(box.caption.size(), 12u);
        EXPECT_EQ(box.text, "Error");
        EXPECT_EQ(box.icon, MessageIcon::Exclamation);
        EXPECT_EQ(box.owner, MessageOwner::None);
        ExpectEmpty(picture);
    }
}

TEST(PictureFromJpeg, FailureWithoutMessageSinkIsQuiet) {
    const std::uint8_t bytes[] = {0xFF, 0xD8, 0xFF};
    Picture picture(bytes, sizeof bytes, nullptr);
    ExpectEmpty(picture);
}

TEST(DecoderMessage, LongLibraryMessageIsCutToFitTheTitle) {
    const std::string longMessage(300, 'x');
    const MessageBoxRequest box = DecoderFailureMessage(longMessage.c_str());
    EXPECT_EQ(box.caption.size(), 199u); // 200 characters with the terminating NUL
    EXPECT_EQ(box.caption.rfind("Error: xxx", 0), 0u);
    EXPECT_EQ(DecoderFailureMessage("short").caption, "Error: short");
}

TEST(PictureFromJpegFile, ReadsAndDecodesTheWholeFile) {
    TempDir dir;
    const std::string path = dir.File("picture.jpg");
    WriteFile(path, SampleJpeg(64, 40));
    RecordingMessages messages;
    Picture picture(path, 0, &messages);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(picture.Depth(), 24u);
    EXPECT_EQ(picture.Width(), 64);
    EXPECT_EQ(picture.Height(), 40);
}

TEST(PictureFromJpegFile, MissingFileIsEmptyWithoutMessage) {
    RecordingMessages messages;
    Picture picture(std::string("/nonexistent/folder/picture.jpg"), 0, &messages);
    EXPECT_TRUE(messages.shown.empty());
    ExpectEmpty(picture);
}

TEST(PictureFromJpegFile, UnreadableContentShowsTheDecoderBox) {
    TempDir dir;
    for (const std::string& content : {std::string(), std::string("BM not a jpeg")}) {
        const std::string path = dir.File("bad.jpg");
        WriteFile(path, {content.begin(), content.end()});
        RecordingMessages messages;
        Picture picture(path, 0, &messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, "Error");
        ExpectEmpty(picture);
    }
}

TEST(ColourCount, FollowsClrUsedThenTheBitCount) {
    struct Case {
        std::uint16_t bitCount;
        std::uint32_t clrUsed;
        std::uint32_t expected;
    } cases[] = {
        {8, 0, 256}, {4, 0, 16},  {1, 0, 2},   {24, 0, 0},
        {32, 0, 0},  {8, 20, 20}, {4, 20, 20}, {24, 20, 20},
    };
    for (const Case& c : cases) {
        BitmapInfoHeader h{};
        h.biBitCount = c.bitCount;
        h.biClrUsed = c.clrUsed;
        EXPECT_EQ(ColourCountOf(h), c.expected) << c.bitCount << " bits, " << c.clrUsed << " used";
    }
}

TEST(Release, EmptyPictureGivesBackItsHeadersOnly) {
    const std::uint8_t garbage[] = {1, 2, 3};
    Picture picture(garbage, sizeof garbage, nullptr);
    EXPECT_NE(picture.Header(), nullptr);
    picture.Release();
    EXPECT_EQ(picture.Header(), nullptr);
    EXPECT_EQ(picture.Info(), nullptr);
    picture.Release(); // a second release is harmless
    EXPECT_EQ(picture.Width(), 0);
}

TEST(Release, DecodedPictureBecomesEmpty) {
    const auto jpeg = SampleJpeg(16, 16);
    Picture picture(jpeg.data(), static_cast<std::uint32_t>(jpeg.size()), nullptr);
    ASSERT_EQ(picture.Depth(), 24u);
    picture.Release();
    ExpectEmpty(picture);
    EXPECT_EQ(picture.Header(), nullptr);
}

// A black picture of a given size, as the frame is made: 24 bits, rows padded, every byte 0,
// and handed to the display like a decoded one. Sides that no bitmap may have give an empty
// picture; painting a picture black works only on one with pixels.
TEST(BlackPicture, HasTheSizeAskedForOrNothing) {
    Picture frame(296, 432);
    ASSERT_EQ(frame.Depth(), 24u);
    EXPECT_EQ(frame.Width(), 296);
    EXPECT_EQ(frame.Height(), 432);
    EXPECT_EQ(frame.Stride(), 888u);
    EXPECT_EQ(frame.PixelArraySize(), 888u * 432u);
    EXPECT_EQ(frame.Info()->bmiHeader.biBitCount, 24);
    EXPECT_EQ(frame.Info()->bmiHeader.biSizeImage, 888u * 432u);
    EXPECT_EQ(ViewOf(frame).width, 296);
    const std::vector<std::uint8_t> zeros(frame.PixelArraySize(), 0);
    EXPECT_EQ(std::memcmp(frame.Pixels(), zeros.data(), zeros.size()), 0);

    const auto jpeg = SampleJpeg(296, 432);
    const Picture source(jpeg.data(), static_cast<std::uint32_t>(jpeg.size()), nullptr);
    ASSERT_EQ(frame.CopyFrom(source), 1);
    EXPECT_EQ(frame.FillBlack(), 1);
    EXPECT_EQ(std::memcmp(frame.Pixels(), zeros.data(), zeros.size()), 0);

    for (const auto& [width, height] : {std::pair{0, 10}, {10, -1}, {16385, 1}, {1, 16385}}) {
        Picture none(width, height);
        ExpectEmpty(none);
        EXPECT_EQ(none.FillBlack(), 0) << width << " x " << height;
    }
}

} // namespace
} // namespace wz::test
