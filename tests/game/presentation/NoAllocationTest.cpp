// Composing a whole screen must not touch the heap: every global allocation of this program
// is counted while the play screen is drawn.

#include "AllocationCounter.h"
#include "PictureTestSupport.h"

#include <FrameView.h>
#include <GameState.h>
#include <Screens.h>

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

struct NoPresenter : FramePresenter {
    void PresentFrame(const Picture&) override {}
};

// Every screen as the window paints it, over its picture and over black where the picture
// cannot be shown.
TEST(Painting, PaintingEveryScreenAllocatesNothing) {
    const auto pictureJpeg = EncodeJpeg(296, 432, BackgroundColour);
    const auto sheetJpeg = EncodeJpeg(160, 336, GameLikeSheetColour);
    Picture frame(296, 432);
    const Picture picture(pictureJpeg.data(), static_cast<std::uint32_t>(pictureJpeg.size()),
                          nullptr);
    const Picture undecoded(static_cast<const std::uint8_t*>(nullptr), 0, nullptr);
    const Picture tiles(sheetJpeg.data(), static_cast<std::uint32_t>(sheetJpeg.size()), nullptr);
    GameState state;
    state.scrollerOn = 1;
    state.scrollerOffset = 0;
    state.paused = 1;
    NoPresenter presenter;

    const long before = wz::testkit::AllocationCount();
    for (const Picture* background : {&picture, &undecoded}) {
        for (int screen = 0; screen < 3; ++screen) {
            state.playing = screen < 2 ? 1 : 0;
            state.levelComplete = screen == 1 ? 1 : 0;
            PaintWindow(state, {&frame, background, &tiles}, presenter);
        }
    }
    EXPECT_EQ(wz::testkit::AllocationCount() - before, 0);
    EXPECT_EQ(state.scrollerOffset, -2) << "the title screen was painted twice";
}

} // namespace
} // namespace wz::test
