#pragma once

// The text that scrolls over the title picture: opening credits, then the high-score table.
// 59 rows of exactly 18 characters, each kept with a terminating NUL. Only capitals, digits,
// spaces and the marks : . + ! * have glyphs, and every row keeps to them.

#include <array>

namespace wz {

inline constexpr int kCreditsRowCount = 59;
inline constexpr int kCreditsRowLength = 18;
// Rows 42 to 56 hold the 15 high-score lines, in table order.
inline constexpr int kCreditsHighScoreRow = 42;

using CreditsLine = std::array<char, kCreditsRowLength + 1>;
using CreditsLines = std::array<CreditsLine, kCreditsRowCount>;

// The scroller text as the program starts, with the high-score rows still blank.
CreditsLines DefaultCreditsLines();

} // namespace wz
