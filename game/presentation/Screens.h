#pragma once

// The three screens of the game window, composed in the frame and presented whole:
//   - the play screen: the level picture with the well's cells, the score and the speed;
//   - the picture screen: the level picture (or the final picture) alone, after a level;
//   - the title screen: the title picture, with the credits and high scores scrolling upwards
//     once the scroller is on.
// Each screen starts from its picture, or from black when the picture cannot be shown, so no
// earlier paint shows through. The screens read the game state and change nothing in it but
// the scroller's offset.

#include <cstdint>

namespace wz {

struct GameState;
class Picture;

// The pictures the screens draw from and into. Any of them may be missing before the assets
// are loaded; nothing is drawn from a missing one.
struct ScreenPictures {
    Picture* frame = nullptr;            // the drawing surface
    const Picture* background = nullptr; // the picture of the current screen
    const Picture* tiles = nullptr;      // the tile sheet
};

// Shows the finished frame in the window's client area, in one draw.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    virtual void PresentFrame(const Picture& frame) = 0;
};

// The scroller text moves from y 416 up to y -1600, one pixel per title paint, then starts
// again at 416.
inline constexpr std::int32_t kScrollerBottom = 416;
inline constexpr std::int32_t kScrollerTop = -1600;

// The window's whole answer to a paint: chooses the screen from the state, composes it and
// presents it. Returns 0.
int PaintWindow(GameState& state, const ScreenPictures& pictures, FramePresenter& presenter);

void PaintPlayScreen(const GameState& state, const ScreenPictures& pictures,
                     FramePresenter& presenter);
void PaintPictureScreen(const GameState& state, const ScreenPictures& pictures,
                        FramePresenter& presenter);
void PaintTitleScreen(GameState& state, const ScreenPictures& pictures, FramePresenter& presenter);

// Draws the rows of the scroller text that lie wholly inside the frame at the current offset,
// then moves the offset one pixel up.
void DrawScroller(GameState& state, Picture& frame, const Picture& tiles);

} // namespace wz
