#include "HighScores.h"

#include "GameState.h"

#include <algorithm>
#include <charconv>

namespace wz {

HighScoreLines DefaultHighScoreLines() {
    HighScoreLines lines{};
    for (int i = 0; i < kHighScoreCount; ++i) {
        HighScoreLine& line = lines[i];
        line.fill('\0');
        std::fill_n(line.begin(), kHighScoreLineLength, ' ');
        if (i % 2 == 1) {
            kPlaceholderName.copy(line.data() + 2, kPlaceholderName.size());
            const std::size_t after = 2 + kPlaceholderName.size();
            line[after] = '.';
            line[after + 1] = 'X';
            line[after + 2] = 'X';
        }
    }
    return lines;
}

int FindHighScorePlace(const HighScoreTable& scores, std::int32_t score) {
    for (int k = 0; k < kHighScoreCount; ++k) {
        if (scores[k] < score) {
            return k;
        }
    }
    return -1;
}

void InsertHighScore(GameState& state, std::string_view name) {
    char typed[kHighScoreNameLength] = {};
    std::size_t length = 0;
    while (length < name.size() && length < sizeof typed && name[length] != '\0') {
        const char ch = name[length];
        typed[length] = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 'a' + 'A') : ch;
        ++length;
    }

    const int k = FindHighScorePlace(state.highScores, state.pendingScore);
    if (k < 0) {
        return;
    }
    for (int i = kHighScoreCount - 1; i > k; --i) {
        state.highScores[i] = state.highScores[i - 1];
    }
    state.highScores[k] = state.pendingScore;
    for (int i = kHighScoreCount - 2; i >= k; --i) {
        std::copy_n(state.highScoreLines[i].begin(), kHighScoreLineLength,
                    state.highScoreLines[i + 1].begin());
    }

    // Positions 0, 1, 16 and 17 keep what the line held. An int never has more than 11
    // characters, so the score always starts inside the line; a long one may cover the name.
    HighScoreLine& line = state.highScoreLines[k];
    std::fill(line.begin() + 2, line.begin() + 16, '.');
    std::copy_n(typed, length, line.begin() + 2);
    char digits[16];
    const auto [end, error] = std::to_chars(digits, digits + sizeof digits, state.pendingScore);
    if (error == std::errc()) {
        const std::ptrdiff_t count = end - digits;
        std::copy(digits, end, line.begin() + 16 - count);
    }

    CopyHighScoreLinesToCredits(state);
}

void CopyHighScoreLinesToCredits(GameState& state) {
    for (int i = 0; i < kHighScoreCount; ++i) {
        std::copy_n(state.highScoreLines[i].begin(), kHighScoreLineLength,
                    state.creditsLines[kCreditsHighScoreRow + i].begin());
    }
}

} // namespace wz
