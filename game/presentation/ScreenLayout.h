#pragma once

// Positions on the 296 x 432 frame at which the screens draw their tiles.

#include "FrameSize.h"

#include <cstdint>

namespace wz::layout {

struct Point {
    std::uint32_t x;
    std::uint32_t y;
};

inline constexpr Point kSpeedLabel{5, 8};
inline constexpr Point kScoreLabel{130, 8};
inline constexpr Point kScoreDigits{210, 8};
inline constexpr Point kSpeedDigits{88, 8};
inline constexpr Point kGameOverPanel{70, 130};
inline constexpr Point kPausePanel{70, 230};

// Well cells are 20 x 20 tiles on a 24-pixel pitch; rows 0 to 17 and columns 1 to 12 are drawn.
inline constexpr int kWellRows = 18;
inline constexpr int kFirstWellColumn = 1;
inline constexpr int kLastWellColumn = 12;
constexpr Point WellCell(int row, int column) {
    return {4 + 24 * static_cast<std::uint32_t>(column - 1), 24 * static_cast<std::uint32_t>(row)};
}

} // namespace wz::layout
