#pragma once

// The scroll rules of the speed chooser dialog, kept apart from the dialog so that its window
// only maps its scroll bar's requests onto these. The dialog shows the position p as p + 1
// ("1" to "20") and stores its last position into GameState::speed on OK only.

#include <cstdint>

namespace wz {

inline constexpr std::int32_t kSpeedCount = 20; // speeds 0 to 19

// The requests a horizontal scroll bar sends.
enum class SpeedScroll {
    LineLeft,
    LineRight,
    PageLeft,
    PageRight,
    ThumbTrack,    // the thumb is being dragged; carries its position
    ThumbPosition, // the thumb was released
    LeftEnd,
    RightEnd,
    EndScroll,
};

// The position after a request, starting from position; always within 0 to 19. A page to the
// left goes back 20, so always to the left end; a page to the right, a released thumb and the
// end of scrolling leave the position as it is.
std::int32_t ScrollSpeed(std::int32_t position, SpeedScroll request, std::int32_t thumb);

} // namespace wz
