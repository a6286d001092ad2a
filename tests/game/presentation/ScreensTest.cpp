#include "PictureTestSupport.h"

#include <GameState.h>
#include <ScreenLayout.h>
#include <Screens.h>
#include <TileSheet.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace wz::test {
namespace {

// Stands in for the window: counts the frames presented.
struct RecordingPresenter : FramePresenter {
    int presented = 0;
    const Picture* last = nullptr;
    void PresentFrame(const Picture& frame) override {
        ++presented;
        last = &frame;
    }
};

class ScreensTest : public ::testing::Test {
protected:
    ScreensTest()
        : frame(SolidPicture(dir, 296, 432, {1, 2, 3})),
          background(LoadBmp(dir, EncodeBmp(296, 432, 24, BackgroundColour))),
          tiles(LoadBmp(dir, EncodeBmp(160, 336, 24, SheetColour))) {}

    ScreenPictures Pictures() { return {frame.get(), background.get(), tiles.get()}; }
    void Paint() { PaintWindow(state, Pictures(), presenter); }

    // True when the w x h area at (x, y) of the frame shows the tile at (sx, sy) of the sheet.
    bool ShowsTile(std::uint32_t x, std::uint32_t y, const tilesheet::TileRect& tile) const {
        for (std::uint32_t j = 0; j < tile.h; ++j)
            for (std::uint32_t i = 0; i < tile.w; ++i)
                if (!(PixelOf(*frame, x + i, y + j) == PixelOf(*tiles, tile.x + i, tile.y + j)))
                    return false;
        return true;
    }
    // True when the area shows the background, untouched.
    bool ShowsBackground(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const {
        for (std::uint32_t j = 0; j < h; ++j)
            for (std::uint32_t i = 0; i < w; ++i)
                if (!(PixelOf(*frame, x + i, y + j) == BackgroundColour(x + i, y + j)))
                    return false;
        return true;
    }
    bool ShowsGameOverPanel() const {
        return ShowsTile(layout::kGameOverPanel.x, layout::kGameOverPanel.y,
                         tilesheet::kGameOverPanel);
    }
    bool ShowsPausePanel() const {
        return ShowsTile(layout::kPausePanel.x, layout::kPausePanel.y, tilesheet::kPausePanel);
    }
    bool ShowsScoreLabel() const {
        return ShowsTile(layout::kScoreLabel.x, layout::kScoreLabel.y, tilesheet::kScoreLabel);
    }

    TempDir dir;
    std::unique_ptr<Picture> frame;
    std::unique_ptr<Picture> background;
    std::unique_ptr<Picture> tiles;
    GameState state;
    RecordingPresenter presenter;
};

// The state chooses the screen, and the screen its panels; game over hides the pause panel,
// and the final picture carries no panel of game over.
TEST_F(ScreensTest, StateChoosesScreenAndPanels) {
    struct Case {
        const char* name;
        int playing, levelComplete, allLevelsDone, gameOver, paused;
        bool labels, gameOverPanel, pausePanel;
    };
    const Case cases[] = {
        {"title", 0, 0, 0, 0, 0, false, false, false},
        {"title while paused", 0, 0, 0, 0, 1, false, false, false},
        {"play", 1, 0, 0, 0, 0, true, false, false},
        {"play paused", 1, 0, 0, 0, 1, true, false, true},
        {"play over", 1, 0, 0, 1, 0, true, true, false},
        {"play over and paused", 1, 0, 0, 1, 1, true, true, false},
        {"level picture", 1, 1, 0, 0, 0, false, false, false},
        {"level picture paused", 1, 1, 0, 0, 1, false, false, true},
        {"final picture", 1, 1, 1, 1, 0, false, false, false},
        {"final picture paused", 1, 1, 1, 1, 1, false, false, false},
        {"final without playing", 0, 0, 1, 0, 0, false, false, false},
    };
    for (const Case& c : cases) {
        state = GameState{};
        state.playing = c.playing;
        state.levelComplete = c.levelComplete;
        state.allLevelsDone = c.allLevelsDone;
        state.board.gameOver = c.gameOver;
        state.paused = c.paused;
        presenter = {};
        Paint();
        EXPECT_EQ(presenter.presented, 1) << c.name;
        EXPECT_EQ(presenter.last, frame.get()) << c.name;
        EXPECT_EQ(ShowsScoreLabel(), c.labels) << c.name;
        EXPECT_EQ(ShowsGameOverPanel(), c.gameOverPanel) << c.name;
        EXPECT_EQ(ShowsPausePanel(), c.pausePanel) << c.name;
        if (!c.labels) {
            EXPECT_TRUE(ShowsBackground(0, 0, 296, 130)) << c.name;
        }
    }
}

// The score and the speed (level + chosen speed) are drawn digit by digit, with no padding.
TEST_F(ScreensTest, PlayScreenNumbers) {
    struct Case {
        std::int32_t score, level, speed;
        std::string scoreDigits, speedDigits;
    };
    const Case cases[] = {
        {0, 1, 0, "0", "1"}, {12300, 4, 19, "12300", "23"}, {900, 2, 7, "900", "9"}};
    for (const Case& c : cases) {
        state = GameState{};
        state.playing = 1;
        state.board.score = c.score;
        state.board.level = c.level;
        state.speed = c.speed;
        Paint();
        for (std::size_t k = 0; k < c.scoreDigits.size(); ++k)
            EXPECT_TRUE(ShowsTile(210 + 16 * k, 8, tilesheet::Digit(c.scoreDigits[k] - '0')))
                << c.score << " digit " << k;
        const std::uint32_t after = 210 + 16 * c.scoreDigits.size();
        EXPECT_TRUE(ShowsBackground(after, 8, 296 - after, 16)) << c.score;
        for (std::size_t k = 0; k < c.speedDigits.size(); ++k)
            EXPECT_TRUE(ShowsTile(88 + 16 * k, 8, tilesheet::Digit(c.speedDigits[k] - '0')))
                << c.speedDigits << " digit " << k;
    }
}

// Only well cells with a colour are drawn, on the 24-pixel pitch; walls, floor and free cells
// leave the background, whatever they hold.
TEST_F(ScreensTest, PlayScreenDrawsOnlyColouredWellCells) {
    state.playing = 1;
    for (auto& row : state.board.cells)
        for (auto& cell : row)
            cell = 0;
    for (int r = 0; r < 19; ++r) {
        state.board.cells[r][0] = 3;
        state.board.cells[r][13] = 4;
    }
    for (int c = 0; c < 14; ++c)
        state.board.cells[18][c] = 5;
    state.board.cells[0][1] = 1;
    state.board.cells[17][12] = 6;
    state.board.cells[9][6] = 7;  // no such colour
    state.board.cells[9][7] = -1; // nor this
    Paint();

    EXPECT_TRUE(ShowsTile(4, 0, tilesheet::Cell(1)));
    EXPECT_TRUE(ShowsTile(4 + 24 * 11, 24 * 17, tilesheet::Cell(6)));
    // Below the labels the well shows nothing else.
    int drawn = 0;
    for (int r = 1; r < 18; ++r)
        for (int c = 1; c <= 12; ++c)
            if (!ShowsBackground(4 + 24 * (c - 1), 24 * r, 20, 20))
                ++drawn;
    EXPECT_EQ(drawn, 1);
    EXPECT_TRUE(ShowsBackground(0, 24, 4, 400));   // left of the well
    EXPECT_TRUE(ShowsBackground(288, 24, 8, 400)); // right of the well
    EXPECT_TRUE(ShowsBackground(0, 428, 296, 4));  // below the well
}

// The scroller moves one pixel per title paint, draws only whole rows, and wraps.
TEST_F(ScreensTest, ScrollerDrawsWholeRowsAndWraps) {
    for (auto& row : state.creditsLines)
        std::memcpy(row.data(), "ABCDEFGHIJKLMNOPQR", 18);
    state.scrollerOn = 1;
    const tilesheet::TileRect a = *tilesheet::Glyph('A');
    const tilesheet::TileRect r = *tilesheet::Glyph('R');

    // Row 0 exactly at y 416 is drawn whole, left to right from x 0.
    state.scrollerOffset = 416;
    Paint();
    EXPECT_TRUE(ShowsTile(0, 416, a));
    EXPECT_TRUE(ShowsTile(16 * 17, 416, r));
    EXPECT_TRUE(ShowsBackground(0, 0, 296, 416));
    EXPECT_EQ(state.scrollerOffset, 415);

    // A row at y -1 is not drawn at all; the next one, at 15, is.
    state.scrollerOffset = -1;
    Paint();
    EXPECT_TRUE(ShowsBackground(0, 0, 296, 15));
    EXPECT_TRUE(ShowsTile(0, 15, a));
    EXPECT_EQ(state.scrollerOffset, -2);

    // -1599 is still in the cycle; -1600 draws nothing and starts it again at 416.
    state.scrollerOffset = -1599;
    Paint();
    EXPECT_EQ(state.scrollerOffset, -1600);
    Paint();
    EXPECT_TRUE(ShowsBackground(0, 0, 296, 432));
    EXPECT_EQ(state.scrollerOffset, 416);

    // Without the scroller the title is bare and the offset stays.
    state.scrollerOn = 0;
    state.scrollerOffset = 100;
    Paint();
    EXPECT_TRUE(ShowsBackground(0, 0, 296, 432));
    EXPECT_EQ(state.scrollerOffset, 100);
}

// One full cycle of 2017 paints brings the offset back to where it started.
TEST_F(ScreensTest, ScrollerCycleIs2017Paints) {
    state.scrollerOn = 1;
    state.scrollerOffset = 416;
    int paints = 0;
    do {
        Paint();
        ++paints;
    } while (state.scrollerOffset != 416 && paints < 5000);
    EXPECT_EQ(paints, 2017);
    EXPECT_EQ(presenter.presented, 2017);
}

// A picture that cannot be shown, one of another size or one that did not decode, leaves every
// screen black under its tiles: nothing of the last paint shows through. A missing tile sheet
// draws no tiles.
TEST_F(ScreensTest, UnshowablePicturesLeaveBlack) {
    const auto small = SolidPicture(dir, 100, 100, {9, 9, 9});
    const Picture empty(static_cast<const std::uint8_t*>(nullptr), 0, nullptr);
    struct Screen {
        const char* name;
        int playing, levelComplete;
    };
    const Screen screens[] = {{"play", 1, 0}, {"picture", 1, 1}, {"title", 0, 0}};
    const std::pair<const char*, const Picture*> pictures[] = {
        {"other size", small.get()}, {"not decoded", &empty}, {"none", nullptr}};
    const auto black = [&](std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) {
        for (std::uint32_t j = 0; j < h; ++j)
            for (std::uint32_t i = 0; i < w; ++i)
                if (!(PixelOf(*frame, x + i, y + j) == Bgr{0, 0, 0}))
                    return false;
        return true;
    };
    for (const Screen& screen : screens) {
        for (const auto& [what, picture] : pictures) {
            SCOPED_TRACE(std::string(screen.name) + ", " + what);
            state = GameState{};
            state.playing = screen.playing;
            state.levelComplete = screen.levelComplete;
            state.paused = 1;
            Paint();
            PaintWindow(state, {frame.get(), picture, tiles.get()}, presenter);
            // Left of the panels and below the well nothing is drawn on any screen.
            EXPECT_TRUE(black(0, 30, 70, 402));
            EXPECT_TRUE(black(0, 428, 296, 4));
            EXPECT_EQ(ShowsPausePanel(), screen.playing == 1);
            EXPECT_EQ(ShowsScoreLabel(), screen.playing == 1 && screen.levelComplete == 0);
        }
    }
    EXPECT_EQ(presenter.presented, 18);

    state = GameState{};
    state.playing = 1;
    state.board.gameOver = 1;
    const Picture noTiles(static_cast<const std::uint8_t*>(nullptr), 0, nullptr);
    PaintWindow(state, {frame.get(), background.get(), &noTiles}, presenter);
    EXPECT_FALSE(ShowsGameOverPanel());
    EXPECT_TRUE(ShowsBackground(0, 0, 296, 432));
    EXPECT_EQ(presenter.presented, 19);

    // Nothing to draw into: nothing is presented.
    PaintWindow(state, {nullptr, background.get(), tiles.get()}, presenter);
    EXPECT_EQ(presenter.presented, 19);
}

} // namespace
} // namespace wz::test
