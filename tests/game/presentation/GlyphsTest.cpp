// Numbers and text drawn from the tile sheet: which tile lands where.

#include "PictureTestSupport.h"

#include <gtest/gtest.h>

namespace wz::test {
namespace {

constexpr Bgr kBlack{0, 0, 0};

class Glyphs : public testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<Picture> tiles = LoadBmp(dir, EncodeBmp(160, 336, 24, SheetColour));
    std::unique_ptr<Picture> frame = SolidPicture(dir, 296, 432, kBlack);

    // True when the 16 x 16 block at (x, y) of the frame holds the sheet's tile at (tx, ty).
    bool TileAt(std::uint32_t x, std::uint32_t y, std::uint32_t tx, std::uint32_t ty) const {
        for (std::uint32_t j = 0; j < 16; ++j)
            for (std::uint32_t i = 0; i < 16; ++i)
                if (!(PixelOf(*frame, x + i, y + j) == SheetColour(tx + i, ty + j)))
                    return false;
        return true;
    }

    int PaintedPixels() const {
        int count = 0;
        for (int y = 0; y < frame->Height(); ++y)
            for (int x = 0; x < frame->Width(); ++x)
                count += !(PixelOf(*frame, x, y) == kBlack);
        return count;
    }
};

TEST_F(Glyphs, EachCharacterDrawsItsTile) {
    struct Case {
        char ch;
        std::uint32_t tx, ty;
    } cases[] = {
        {'0', 0, 0},    {'7', 112, 0},  {'9', 144, 0},  {'A', 0, 16},   {'J', 144, 16},
        {'K', 0, 32},   {'T', 144, 32}, {'U', 0, 48},   {'Z', 80, 48},  {':', 112, 48},
        {'.', 128, 48}, {'+', 144, 48}, {'!', 112, 64}, {'*', 128, 64},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(1, c.ch));
        ASSERT_EQ(frame->CopyFrom(*SolidPicture(dir, 296, 432, kBlack)), 1);
        EXPECT_EQ(DrawGlyph(*frame, *tiles, c.ch, 32, 100), 1);
        EXPECT_TRUE(TileAt(32, 100, c.tx, c.ty));
        EXPECT_EQ(PaintedPixels(), 16 * 16);
    }
}

TEST_F(Glyphs, CharactersWithoutGlyphDrawNothing) {
    for (const char ch : {' ', '#', 'a', 'z', '-', '\0', '\xE9'}) {
        EXPECT_EQ(DrawGlyph(*frame, *tiles, ch, 0, 0), 0) << int(ch);
    }
    EXPECT_EQ(PaintedPixels(), 0);
}

TEST_F(Glyphs, NumberDrawsItsDigitsMostSignificantFirst) {
    struct Case {
        std::int32_t value;
        std::vector<int> digits;
    } cases[] = {
        {0, {0}},
        {7, {7}},
        {1000, {1, 0, 0, 0}},
        {90817, {9, 0, 8, 1, 7}},
        {2147483647, {2, 1, 4, 7, 4, 8, 3, 6, 4, 7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ASSERT_EQ(frame->CopyFrom(*SolidPicture(dir, 296, 432, kBlack)), 1);
        EXPECT_EQ(DrawNumber(*frame, *tiles, c.value, 8, 200), 1);
        for (std::size_t k = 0; k < c.digits.size(); ++k)
            EXPECT_TRUE(TileAt(8 + 16 * std::uint32_t(k), 200, 16 * c.digits[k], 0))
                << "digit " << k;
        EXPECT_EQ(PaintedPixels(), 256 * int(c.digits.size()));
    }
}

TEST_F(Glyphs, NegativeNumbersDrawNothing) {
    EXPECT_EQ(DrawNumber(*frame, *tiles, -5, 0, 0), 0);
    EXPECT_EQ(DrawNumber(*frame, *tiles, INT32_MIN, 0, 0), 0);
    EXPECT_EQ(PaintedPixels(), 0);
}

TEST_F(Glyphs, DigitsPastTheFrameEdgeAreRefused) {
    // The frame is 296 wide: from x 248 three digits fit exactly and the next two would not.
    EXPECT_EQ(DrawNumber(*frame, *tiles, 12345, 248, 0), 0);
    EXPECT_TRUE(TileAt(248, 0, 16, 0));
    EXPECT_TRUE(TileAt(280, 0, 48, 0));
    EXPECT_EQ(PaintedPixels(), 3 * 256);
}

TEST_F(Glyphs, BlackPartsOfATileStayTransparent) {
    // A glyph whose lower half is black keeps the frame's pixels there.
    const auto sheet = LoadBmp(dir, EncodeBmp(160, 336, 24, [](int x, int y) {
                                   return y % 16 < 8 ? SheetColour(x, y) : Bgr{10, 20, 30};
                               }));
    const auto grey = SolidPicture(dir, 296, 432, Bgr{128, 128, 128});
    ASSERT_EQ(frame->CopyFrom(*grey), 1);
    EXPECT_EQ(DrawGlyph(*frame, *sheet, 'B', 0, 0), 1);
    EXPECT_TRUE(PixelOf(*frame, 3, 2) == SheetColour(19, 18));
    EXPECT_TRUE(PixelOf(*frame, 3, 12) == (Bgr{128, 128, 128}));
}

} // namespace
} // namespace wz::test
