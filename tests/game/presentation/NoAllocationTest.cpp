// Composing a whole screen must not touch the heap: every global allocation of this program
// is counted while the play screen is drawn.

#include "AllocationCounter.h"
#include "PictureTestSupport.h"

#include <FrameView.h>

#include <gtest/gtest.h>

namespace wz::test {
namespace {

TEST(Painting, ComposingThePlayScreenAllocatesNothing) {
    const auto frameJpeg = EncodeJpeg(296, 432, BackgroundColour);
    const auto sheetJpeg = EncodeJpeg(160, 336, GameLikeSheetColour);
    Picture frame(frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr);
    Picture background(frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr);
    Picture tiles(sheetJpeg.data(), static_cast<std::uint32_t>(sheetJpeg.size()), nullptr);
    ASSERT_EQ(frame.Depth(), 24u);
    ASSERT_EQ(tiles.Depth(), 24u);
    const WellCells cells = FullWell();

    const long before = wz::testkit::AllocationCount();
    for (int paint = 0; paint < 3; ++paint) {
        ComposePlayScreen(frame, background, tiles, 98765, 20, cells, true);
        for (int j = 0; j < 18; ++j)
            DrawGlyph(frame, tiles, "HIGH SCORE: 12345!"[j], 16 * j, 400);
        const FrameView view = ViewOf(frame);
        ASSERT_FALSE(view.IsEmpty());
    }
    EXPECT_EQ(wz::testkit::AllocationCount() - before, 0);
    // The composition did draw: the game-over panel covers part of the background.
    EXPECT_NE(std::memcmp(frame.Pixels(), background.Pixels(), frame.PixelArraySize()), 0);
}

} // namespace
} // namespace wz::test
