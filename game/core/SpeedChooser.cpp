#include "SpeedChooser.h"

#include <algorithm>

namespace wz {

std::int32_t ScrollSpeed(std::int32_t position, SpeedScroll request, std::int32_t thumb) {
    std::int64_t p = position;
    switch (request) {
    case SpeedScroll::LineLeft:
        p -= 1;
        break;
    case SpeedScroll::LineRight:
        p += 1;
        break;
    case SpeedScroll::PageLeft:
        p -= kSpeedCount;
        break;
    case SpeedScroll::ThumbTrack:
        p = thumb;
        break;
    case SpeedScroll::LeftEnd:
        p = 0;
        break;
    case SpeedScroll::RightEnd:
        p = kSpeedCount - 1;
        break;
    case SpeedScroll::PageRight:
    case SpeedScroll::ThumbPosition:
    case SpeedScroll::EndScroll:
        break;
    }
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(p, 0, kSpeedCount - 1));
}

} // namespace wz
