// Reading BMP files: good files of 24 and 8 bits per pixel, and every kind of damaged file.

#include "PictureTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace wz::test {
namespace {

Bgr Stripes(int x, int y) {
    return {static_cast<std::uint8_t>(10 * x), static_cast<std::uint8_t>(20 * y), 77};
}

TEST(BitmapFile, Reads24BitPixelsInPlace) {
    TempDir dir;
    RecordingMessages messages;
    const auto picture = LoadBmp(dir, EncodeBmp(5, 3, 24, Stripes), &messages);
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_EQ(picture->Depth(), 24u);
    EXPECT_EQ(picture->Width(), 5);
    EXPECT_EQ(picture->Height(), 3);
    EXPECT_EQ(picture->Stride(), 16u); // 15 bytes padded to 16
    EXPECT_EQ(picture->PixelArraySize(), 48u);
    // The block for the display holds the file's header; the empty colour table ends where
    // the pixels begin.
    EXPECT_EQ(picture->Header()->biSizeImage, 48u);
    EXPECT_EQ(std::memcmp(&picture->Info()->bmiHeader, picture->Header(), 40), 0);
    EXPECT_EQ(picture->ColourTable(), picture->Pixels());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_TRUE(PixelOf(*picture, x, y) == Stripes(x, y)) << x << "," << y;
}

TEST(BitmapFile, Reads8BitPicturesBehindTheirColourTable) {
    TempDir dir;
    struct Case {
        std::uint32_t clrUsed;
        std::uint32_t colours;
    } cases[] = {{0, 256}, {20, 20}};
    for (const Case& c : cases) {
        const auto index = [](int x, int y) {
            return Bgr{static_cast<std::uint8_t>(x + 3 * y), 0, 0};
        };
        const auto picture = LoadBmp(dir, EncodeBmp(6, 4, 8, index, c.clrUsed));
        ASSERT_EQ(picture->Depth(), 8u);
        EXPECT_EQ(picture->ColourCount(), c.colours);
        EXPECT_EQ(picture->Header()->biClrUsed, c.colours); // filled in when it was 0
        EXPECT_EQ(picture->Info()->bmiHeader.biClrUsed, c.colours);
        EXPECT_EQ(picture->Stride(), 8u);
        // The grey ramp of the file, then the pixels right behind it.
        const std::uint8_t* table = picture->ColourTable();
        const std::uint32_t last = c.colours - 1;
        EXPECT_EQ(table[4 * last], last);
        EXPECT_EQ(table[4 * last + 2], last);
        EXPECT_EQ(picture->Pixels(), table + std::size_t{4} * c.colours);
        EXPECT_EQ(picture->Pixels()[(4 - 1 - 2) * 8 + 5], 5 + 6); // pixel (5, 2)
    }
}

TEST(BitmapFile, AcceptsLongerInfoHeaders) {
    // A version 5 header (124 bytes) in front of 24-bit pixels, as image editors write them.
    auto file = EncodeBmp(4, 2, 24, Stripes);
    std::vector<std::uint8_t> longer(file.begin(), file.begin() + 54);
    longer.reserve(file.size() + 124 - 40);
    longer.insert(longer.end(), 124 - 40, 0);
    longer.insert(longer.end(), file.begin() + 54, file.end());
    PutLe(longer, 14, 124, 4);
    TempDir dir;
    const auto picture = LoadBmp(dir, longer);
    ASSERT_EQ(picture->Depth(), 24u);
    EXPECT_TRUE(PixelOf(*picture, 3, 1) == Stripes(3, 1));
}

// Each file of the damaged corpus must give the one "Not a bitmap file" box and an empty
// picture, and never read outside what the file holds (the sanitizers watch that).
TEST(BitmapFile, DamagedFilesAreRefusedWithOneBox) {
    const std::filesystem::path corpus =
        std::filesystem::path(WZ_TEST_DATA_DIR) / "pictures" / "damaged";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(corpus)) {
        if (entry.path().extension() != ".bmp")
            continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        RecordingMessages messages;
        Picture picture(entry.path().string(), 1, &messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].caption, "Not a bitmap file");
        EXPECT_EQ(messages.shown[0].text, "Error");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(messages.shown[0].owner, MessageOwner::None);
        EXPECT_EQ(picture.Depth(), 0u);
        EXPECT_EQ(picture.Pixels(), nullptr);
        EXPECT_EQ(picture.Header(), nullptr);
        EXPECT_EQ(picture.Info(), nullptr);
        EXPECT_EQ(picture.ColourTable(), nullptr);
    }
    EXPECT_GE(files, 15);
}

TEST(BitmapFile, MissingFileIsRefusedWithTheBox) {
    RecordingMessages messages;
    Picture picture(std::string("/nonexistent/folder/picture.bmp"), 1, &messages);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Not a bitmap file");
    EXPECT_EQ(picture.Depth(), 0u);
}

} // namespace
} // namespace wz::test
