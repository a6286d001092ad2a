#include "SpeedChooser.h"

#include <gtest/gtest.h>

#include <limits>

namespace wz {
namespace {

TEST(SpeedChooser, EveryRequestEndsInsideTheRange) {
    constexpr std::int32_t kAny = 0;
    const struct {
        std::int32_t from;
        SpeedScroll request;
        std::int32_t thumb;
        std::int32_t to;
    } cases[] = {
        {0, SpeedScroll::LineRight, kAny, 1},
        {19, SpeedScroll::LineRight, kAny, 19},
        {5, SpeedScroll::LineLeft, kAny, 4},
        {0, SpeedScroll::LineLeft, kAny, 0},
        {13, SpeedScroll::PageLeft, kAny, 0}, // back 20: always the left end
        {13, SpeedScroll::PageRight, kAny, 13},
        {3, SpeedScroll::ThumbTrack, 19, 19}, // dragged to the right end: shown as "20"
        {3, SpeedScroll::ThumbTrack, 42, 19},
        {3, SpeedScroll::ThumbTrack, -7, 0},
        {3, SpeedScroll::ThumbPosition, 12, 3},
        {3, SpeedScroll::EndScroll, kAny, 3},
        {11, SpeedScroll::LeftEnd, kAny, 0},
        {11, SpeedScroll::RightEnd, kAny, 19},
        {std::numeric_limits<std::int32_t>::max(), SpeedScroll::LineRight, kAny, 19},
        {std::numeric_limits<std::int32_t>::min(), SpeedScroll::PageLeft, kAny, 0},
    };
    for (const auto& test : cases) {
        EXPECT_EQ(ScrollSpeed(test.from, test.request, test.thumb), test.to)
            << test.from << " request " << static_cast<int>(test.request);
    }
}

} // namespace
} // namespace wz
