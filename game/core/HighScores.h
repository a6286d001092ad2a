#pragma once

// The high-score table: 15 scores, best first, and 15 parallel display lines.
//
// Line layout, character positions 0 to 17: two spaces; from position 2 the name, then dots,
// with the score in decimal ending at position 15; two spaces. So a name of up to 8 characters
// and a score of up to 6 digits never overlap: "  PLAYER....4300  ".

#include <array>
#include <cstdint>
#include <string_view>

namespace wz {

struct GameState;

inline constexpr int kHighScoreCount = 15;
inline constexpr int kHighScoreLineLength = 18;
inline constexpr int kHighScoreNameLength = 8;
// Each line has a 20-byte buffer: 18 characters, the terminating NUL and one spare byte.
inline constexpr int kHighScoreLineBufferSize = 20;

using HighScoreTable = std::array<std::int32_t, kHighScoreCount>;
using HighScoreLine = std::array<char, kHighScoreLineBufferSize>;
using HighScoreLines = std::array<HighScoreLine, kHighScoreCount>;

// The name on the sample lines of the default table; 11 characters.
inline constexpr std::string_view kPlaceholderName = "BLOCKBUSTER";

// The table used when no settings file exists: blank lines at the even positions, sample lines
// "  BLOCKBUSTER.XX  " at the odd positions 1 to 13. The default scores are all 0.
HighScoreLines DefaultHighScoreLines();

// The entry a score would take: the first whose score is below it, or -1 when none is. A score
// equal to an entry goes below it, and a score of 0 never enters.
int FindHighScorePlace(const HighScoreTable& scores, std::int32_t score);

// Enters pendingScore under the given name: at most 8 bytes are taken, up to the first NUL,
// and a to z become capitals while every other byte stays as typed. Lower entries move down
// by one and the last is lost. Does nothing when the score earns no place. Then copies the
// lines into the scroller text.
void InsertHighScore(GameState& state, std::string_view name);

// Copies the 15 lines into rows 42 to 56 of the scroller text, 18 characters each.
void CopyHighScoreLinesToCredits(GameState& state);

} // namespace wz
