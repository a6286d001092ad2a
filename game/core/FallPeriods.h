#pragma once

// The fall timer's period in milliseconds, indexed by level + speed. Level is at least 1, so
// index 0 is never used; play runs from 1 (level 1, speed 0) to 39 (level 20, speed 19), and 40
// is reached only while play is frozen after the 20th level. The table is deliberately not
// monotonic: 26 to 29 and 40 are slower than the entries before them.

#include <array>
#include <cstdint>

namespace wz {

inline constexpr std::array<std::int32_t, 41> fallPeriods = {
    1000, 850, 750, 650, 500, 480, 460, 440, 430, 350, // 0
    340,  335, 325, 300, 295, 290, 285, 180, 160, 150, // 10
    120,  110, 105, 105, 100, 100, 115, 115, 110, 110, // 20
    100,  100, 95,  95,  90,  90,  85,  85,  80,  80,  // 30
    90,                                                // 40
};

} // namespace wz
