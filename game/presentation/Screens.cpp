#include "Screens.h"

#include "GameState.h"
#include "Glyphs.h"
#include "Picture.h"
#include "ScreenLayout.h"
#include "TileSheet.h"

namespace wz {
namespace {

using layout::Point;
using tilesheet::TileRect;

// Labels, glyphs and panels leave out their near-black pixels.
int CopyTileKeyed(Picture& frame, const Picture& tiles, Point at, const TileRect& tile) {
    return frame.CopyRectKeyed(at.x, at.y, tiles, tile.x, tile.y, tile.w, tile.h, 0, 0, 0);
}

// The screen's picture over the whole frame, or black where it cannot be shown (a picture that
// failed to decode, or one of another size): nothing of an earlier paint shows through.
void DrawBackground(Picture& frame, const Picture* background) {
    if (background == nullptr || frame.CopyFrom(*background) == 0) {
        frame.FillBlack();
    }
}

// Every screen: the background, the screen's own layer over it where there are tiles to draw
// it from, and the frame presented. Nothing is painted before the frame exists.
template <typename Layer>
void PaintOverBackground(const ScreenPictures& pictures, FramePresenter& presenter, Layer layer) {
    if (pictures.frame == nullptr) {
        return;
    }
    Picture& frame = *pictures.frame;
    DrawBackground(frame, pictures.background);
    if (pictures.tiles != nullptr) {
        layer(frame, *pictures.tiles);
    }
    presenter.PresentFrame(frame);
}

// The panels shared by the play and picture screens: game over takes precedence over pause.
void DrawPausePanel(const GameState& state, Picture& frame, const Picture& tiles) {
    if (state.paused && !state.board.gameOver) {
        CopyTileKeyed(frame, tiles, layout::kPausePanel, tilesheet::kPausePanel);
    }
}

} // namespace

int PaintWindow(GameState& state, const ScreenPictures& pictures, FramePresenter& presenter) {
    if (state.levelComplete || state.allLevelsDone) {
        PaintPictureScreen(state, pictures, presenter);
    } else if (state.playing) {
        PaintPlayScreen(state, pictures, presenter);
    } else {
        PaintTitleScreen(state, pictures, presenter);
    }
    return 0;
}

void PaintPlayScreen(const GameState& state, const ScreenPictures& pictures,
                     FramePresenter& presenter) {
    PaintOverBackground(pictures, presenter, [&](Picture& frame, const Picture& tiles) {
        CopyTileKeyed(frame, tiles, layout::kSpeedLabel, tilesheet::kSpeedLabel);
        CopyTileKeyed(frame, tiles, layout::kScoreLabel, tilesheet::kScoreLabel);
        DrawNumber(frame, tiles, state.board.score, layout::kScoreDigits.x, layout::kScoreDigits.y);
        DrawNumber(frame, tiles, state.board.level + state.speed, layout::kSpeedDigits.x,
                   layout::kSpeedDigits.y);
        // Walls, floor and free cells are never drawn: the background shows there.
        for (int r = 0; r < layout::kWellRows; ++r) {
            for (int c = layout::kFirstWellColumn; c <= layout::kLastWellColumn; ++c) {
                const std::int32_t colour = state.board.cells[r][c];
                if (colour >= 1 && colour <= tilesheet::kCellColours) {
                    const TileRect tile = tilesheet::Cell(colour);
                    const Point at = layout::WellCell(r, c);
                    frame.CopyRect(at.x, at.y, tiles, tile.x, tile.y, tile.w, tile.h);
                }
            }
        }
        if (state.board.gameOver) {
            CopyTileKeyed(frame, tiles, layout::kGameOverPanel, tilesheet::kGameOverPanel);
        }
        DrawPausePanel(state, frame, tiles);
    });
}

void PaintPictureScreen(const GameState& state, const ScreenPictures& pictures,
                        FramePresenter& presenter) {
    PaintOverBackground(pictures, presenter, [&](Picture& frame, const Picture& tiles) {
        // The final picture carries no game-over panel.
        if (state.board.gameOver && !state.allLevelsDone) {
            CopyTileKeyed(frame, tiles, layout::kGameOverPanel, tilesheet::kGameOverPanel);
        }
        DrawPausePanel(state, frame, tiles);
    });
}

void PaintTitleScreen(GameState& state, const ScreenPictures& pictures, FramePresenter& presenter) {
    PaintOverBackground(pictures, presenter, [&](Picture& frame, const Picture& tiles) {
        if (state.scrollerOn) {
            DrawScroller(state, frame, tiles);
        }
    });
}

void DrawScroller(GameState& state, Picture& frame, const Picture& tiles) {
    // A row is drawn only while it lies whole inside the frame: rows appear at the bottom and
    // vanish at the top 16 pixels at a time.
    for (int i = 0; i < kCreditsRowCount; ++i) {
        const std::int64_t y = static_cast<std::int64_t>(state.scrollerOffset) +
                               static_cast<std::int64_t>(tilesheet::kGlyphSize) * i;
        if (y > kScrollerBottom) {
            break;
        }
        if (y < 0) {
            continue;
        }
        const CreditsLine& row = state.creditsLines[i];
        for (int j = 0; j < kCreditsRowLength; ++j) {
            DrawGlyph(frame, tiles, row[j], tilesheet::kGlyphSize * static_cast<std::uint32_t>(j),
                      static_cast<std::uint32_t>(y));
        }
    }
    // Once the offset would pass the top of the cycle, the text starts again at the bottom.
    state.scrollerOffset =
        state.scrollerOffset <= kScrollerTop ? kScrollerBottom : state.scrollerOffset - 1;
}

} // namespace wz
