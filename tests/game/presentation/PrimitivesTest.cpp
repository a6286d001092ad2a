// The copy operations: what they accept, what they refuse, and the transparent key.

#include "PictureTestSupport.h"

#include <FrameView.h>

#include <gtest/gtest.h>

namespace wz::test {
namespace {

constexpr Bgr kGrey{128, 128, 128};
constexpr Bgr kRed{0, 0, 255};

class Primitives : public testing::Test {
protected:
    TempDir dir;

    std::unique_ptr<Picture> Solid(int w, int h, Bgr colour) {
        return SolidPicture(dir, w, h, colour);
    }

    std::unique_ptr<Picture> Indexed(int w, int h, std::uint8_t index) {
        return LoadBmp(dir, EncodeBmp(w, h, 8, [index](int, int) { return Bgr{index, 0, 0}; }));
    }
};

TEST_F(Primitives, CopyFromNeedsEqualSizeAndDepth) {
    const auto frame = Solid(8, 6, kGrey);
    const auto source = Solid(8, 6, kRed);
    const auto before = PixelBytes(*frame);
    const std::unique_ptr<Picture> refused[] = {
        Solid(9, 6, kRed),
        Solid(8, 5, kRed),
        Solid(4, 12, kRed),
        Indexed(24, 6, 7),
    };
    for (const auto& other : refused) {
        EXPECT_EQ(frame->CopyFrom(*other), 0) << other->Width() << "x" << other->Height();
        EXPECT_EQ(PixelBytes(*frame), before);
    }
    ASSERT_EQ(frame->CopyFrom(*source), 1);
    EXPECT_EQ(PixelBytes(*frame), PixelBytes(*source));

    // 8-bit pictures copy between themselves.
    const auto indexed = Indexed(5, 5, 3);
    const auto other = Indexed(5, 5, 9);
    EXPECT_EQ(indexed->CopyFrom(*other), 1);
    EXPECT_EQ(indexed->Pixels()[0], 9);
}

TEST_F(Primitives, EmptyPicturesAreRefusedByEveryCopy) {
    const auto frame = Solid(8, 8, kGrey);
    const std::uint8_t garbage[] = {0, 1, 2, 3};
    Picture empty(garbage, sizeof garbage, nullptr);
    const auto before = PixelBytes(*frame);
    EXPECT_EQ(frame->CopyFrom(empty), 0);
    EXPECT_EQ(frame->CopyRect(0, 0, empty, 0, 0, 0, 0), 0);
    EXPECT_EQ(frame->CopyRectKeyed(0, 0, empty, 0, 0, 0, 0, 0, 0, 0), 0);
    EXPECT_EQ(empty.CopyFrom(*frame), 0);
    EXPECT_EQ(empty.CopyRect(0, 0, *frame, 0, 0, 1, 1), 0);
    EXPECT_EQ(PixelBytes(*frame), before);
}

TEST_F(Primitives, DepthMismatchIsRefused) {
    const auto frame = Solid(16, 16, kGrey);
    const auto indexed = Indexed(16, 16, 200);
    const auto before = PixelBytes(*frame);
    EXPECT_EQ(frame->CopyRect(0, 0, *indexed, 0, 0, 4, 4), 0);
    EXPECT_EQ(frame->CopyRectKeyed(0, 0, *indexed, 0, 0, 4, 4, 0, 0, 0), 0);
    EXPECT_EQ(indexed->CopyRect(0, 0, *frame, 0, 0, 4, 4), 0);
    EXPECT_EQ(indexed->CopyRectKeyed(0, 0, *frame, 0, 0, 4, 4, 0, 0, 0), 0);
    EXPECT_EQ(PixelBytes(*frame), before);
}

TEST_F(Primitives, RectanglesReachingPastEitherPictureAreRefused) {
    const auto frame = Solid(20, 10, kGrey);
    const auto source = Solid(8, 6, kRed);
    const auto before = PixelBytes(*frame);
    struct Case {
        const char* name;
        std::uint32_t dx, dy, sx, sy, w, h;
    } refused[] = {
        {"past the frame's right edge", 13, 0, 0, 0, 8, 6},
        {"past the frame's bottom edge", 0, 5, 0, 0, 8, 6},
        {"past the source's right edge", 0, 0, 1, 0, 8, 6},
        {"past the source's bottom edge", 0, 0, 0, 1, 8, 6},
        {"wider than the source", 0, 0, 0, 0, 9, 1},
        {"position beyond the frame", 20, 0, 0, 0, 1, 1},
        {"sum wraps 32 bits", 0xFFFFFFF0u, 0, 0, 0, 0x20, 1},
        {"height wraps 32 bits", 0, 0xFFFFFFFFu, 0, 0, 1, 2},
        {"source position wraps", 0, 0, 0xFFFFFFFFu, 0xFFFFFFFFu, 1, 1},
    };
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(frame->CopyRect(c.dx, c.dy, *source, c.sx, c.sy, c.w, c.h), 0);
        EXPECT_EQ(frame->CopyRectKeyed(c.dx, c.dy, *source, c.sx, c.sy, c.w, c.h, 0, 0, 0), 0);
        EXPECT_EQ(PixelBytes(*frame), before);
    }
    // An empty rectangle at the far corners of both pictures is inside: a copy of nothing.
    EXPECT_EQ(frame->CopyRect(20, 10, *source, 8, 6, 0, 0), 1);
    EXPECT_EQ(frame->CopyRectKeyed(20, 10, *source, 8, 6, 0, 5, 0, 0, 0), 0); // 5 rows past
    EXPECT_EQ(frame->CopyRectKeyed(20, 0, *source, 8, 0, 0, 5, 0, 0, 0), 1);
    EXPECT_EQ(PixelBytes(*frame), before);
    // Flush with the bottom-right corners of both pictures is inside.
    EXPECT_EQ(frame->CopyRect(12, 4, *source, 0, 0, 8, 6), 1);
    EXPECT_TRUE(PixelOf(*frame, 19, 9) == kRed);
    EXPECT_TRUE(PixelOf(*frame, 11, 9) == kGrey);
    EXPECT_TRUE(PixelOf(*frame, 12, 3) == kGrey);
}

TEST_F(Primitives, PixelZeroZeroIsTheStartOfTheLastRow) {
    const auto frame = Solid(7, 5, kGrey); // stride 24
    const auto source = Solid(1, 1, kRed);
    ASSERT_EQ(frame->CopyRect(0, 0, *source, 0, 0, 1, 1), 1);
    const std::uint8_t* lastRow = frame->Pixels() + std::size_t{4 * 24};
    EXPECT_EQ(lastRow[0], 0);
    EXPECT_EQ(lastRow[2], 255);
    EXPECT_EQ(frame->Pixels()[2], 128); // the first row in memory is the bottom one
}

TEST_F(Primitives, CopyRectCopiesRowsInScreenOrder) {
    const auto gradient =
        LoadBmp(dir, EncodeBmp(6, 6, 24, [](int x, int y) {
                    return Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 99};
                }));
    const auto frame = Solid(10, 10, kGrey);
    ASSERT_EQ(frame->CopyRect(3, 4, *gradient, 1, 2, 4, 3), 1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 3 && x < 7 && y >= 4 && y < 7;
            const Bgr want = inside ? Bgr{std::uint8_t(x - 2), std::uint8_t(y - 2), 99} : kGrey;
            EXPECT_TRUE(PixelOf(*frame, x, y) == want) << x << "," << y;
        }
}

TEST_F(Primitives, CopyWithinOnePictureHandlesOverlap) {
    const auto picture = LoadBmp(dir, EncodeBmp(8, 1, 24, [](int x, int) {
                                     return Bgr{static_cast<std::uint8_t>(x), 0, 0};
                                 }));
    ASSERT_EQ(picture->CopyRect(2, 0, *picture, 0, 0, 6, 1), 1);
    const std::uint8_t expected[] = {0, 1, 0, 1, 2, 3, 4, 5};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(PixelOf(*picture, x, 0).b, expected[x]) << x;
}

// The black key with its fixed tolerance: a pixel is transparent only when all three bytes
// are below key + 50.
TEST_F(Primitives, KeyedCopyAt24BitsLeavesOutPixelsBelowTheKeyPlusFifty) {
    struct Case {
        Bgr pixel;
        std::uint32_t key0, key1, key2;
        bool copied;
    } cases[] = {
        {{49, 49, 49}, 0, 0, 0, false},
        {{0, 0, 0}, 0, 0, 0, false},
        {{50, 0, 0}, 0, 0, 0, true},
        {{0, 50, 0}, 0, 0, 0, true},
        {{0, 0, 50}, 0, 0, 0, true},
        {{50, 50, 50}, 0, 0, 0, true},
        {{99, 49, 49}, 50, 0, 0, false},
        {{100, 49, 49}, 50, 0, 0, true},
        // A key byte of 206 or more puts its threshold past 255: that byte always passes and
        // the other two decide.
        {{255, 49, 49}, 206, 0, 0, false},
        {{255, 50, 0}, 206, 0, 0, true},
        {{200, 255, 255}, 255, 206, 255, false},
        {{205, 254, 254}, 155, 206, 206, true},
        // Only the low 8 bits of a key count.
        {{255, 10, 10}, 0x1CE, 0, 0, false}, // 0x1CE -> 206
        {{10, 10, 10}, 0x100, 0, 0, false},  // 0x100 -> 0
        {{60, 10, 10}, 0x100, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "pixel " << int(c.pixel.b) << "," << int(c.pixel.g) << "," << int(c.pixel.r)
                     << " key " << c.key0 << "," << c.key1 << "," << c.key2);
        const auto frame = Solid(3, 3, kGrey);
        const auto source = Solid(3, 3, c.pixel);
        ASSERT_EQ(frame->CopyRectKeyed(0, 0, *source, 0, 0, 3, 3, c.key0, c.key1, c.key2), 1);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                ASSERT_TRUE(PixelOf(*frame, x, y) == (c.copied ? c.pixel : kGrey));
    }
}

// Wide rows are keyed sixteen pixels at a time; every pixel must still follow the rule above,
// whatever its place in a block, the row's width or the key, and whether a block is kept
// whole, left out whole or mixed.
TEST_F(Primitives, KeyedCopyOfWideRowsFollowsThePixelRule) {
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    // Bytes clustered around the thresholds, so that every combination occurs.
    const auto near = [&] {
        return static_cast<std::uint8_t>(next() % 4 == 0 ? next() : 40 + next() % 20);
    };
    const std::unique_ptr<Picture> sources[] = {
        LoadBmp(dir, EncodeBmp(70, 9, 24,
                               [&](int, int) {
                                   return Bgr{near(), near(), near()};
                               })),
        Solid(70, 9, Bgr{200, 10, 10}), // kept whole by most keys
        Solid(70, 9, Bgr{10, 20, 30}),  // left out whole by most keys
    };
    const std::uint32_t keys[][3] = {{0, 0, 0}, {206, 0, 0}, {0, 255, 10}, {300, 7, 0x1FF}};
    for (const auto& source : sources) {
        for (const auto& key : keys) {
            for (const std::uint32_t w : {16u, 17u, 31u, 32u, 48u, 69u}) {
                SCOPED_TRACE(testing::Message() << "width " << w << " key " << key[0] << ","
                                                << key[1] << "," << key[2]);
                const auto frame = Solid(80, 12, kGrey);
                ASSERT_EQ(frame->CopyRectKeyed(3, 2, *source, 1, 0, w, 9, key[0], key[1], key[2]),
                          1);
                for (int y = 0; y < 12; ++y)
                    for (int x = 0; x < 80; ++x) {
                        Bgr want = kGrey;
                        if (x >= 3 && x < 3 + int(w) && y >= 2 && y < 11) {
                            const Bgr p = PixelOf(*source, x - 3 + 1, y - 2);
                            const bool transparent = p.b < (key[0] & 0xFF) + 50 &&
                                                     p.g < (key[1] & 0xFF) + 50 &&
                                                     p.r < (key[2] & 0xFF) + 50;
                            if (!transparent)
                                want = p;
                        }
                        ASSERT_TRUE(PixelOf(*frame, x, y) == want) << x << "," << y;
                    }
            }
        }
    }
}

TEST_F(Primitives, KeyedCopyAt8BitsLeavesOutTheKeyIndexOnly) {
    const auto source =
        LoadBmp(dir, EncodeBmp(4, 1, 8, [](int x, int) {
                    return Bgr{static_cast<std::uint8_t>(4 + x), 0, 0}; // indexes 4, 5, 6, 7
                }));
    struct Case {
        std::uint32_t key0;
        std::uint8_t expected[4];
    } cases[] = {
        {5, {4, 1, 6, 7}},
        {0x105, {4, 1, 6, 7}}, // low 8 bits
        {0, {4, 5, 6, 7}},
    };
    for (const Case& c : cases) {
        const auto frame = Indexed(4, 1, 1);
        // key1 and key2 play no part at 8 bits.
        ASSERT_EQ(frame->CopyRectKeyed(0, 0, *source, 0, 0, 4, 1, c.key0, 4, 6), 1);
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(frame->Pixels()[x], c.expected[x]) << "key " << c.key0 << " x " << x;
    }
}

TEST_F(Primitives, FrameViewOnlyShows24BitPictures) {
    const auto frame = Solid(10, 4, kGrey);
    const FrameView view = ViewOf(*frame);
    EXPECT_EQ(view.width, 10);
    EXPECT_EQ(view.height, 4);
    EXPECT_EQ(view.stride, 32u);
    EXPECT_EQ(view.pixels, frame->Pixels());
    EXPECT_TRUE(ViewOf(*Indexed(4, 4, 0)).IsEmpty());
}

} // namespace
} // namespace wz::test
