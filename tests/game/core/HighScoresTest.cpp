#include "HighScores.h"
#include "Credits.h"
#include "GameState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wz {
namespace {

std::string Text(const HighScoreLine& line) {
    return std::string(line.data(), 18);
}
std::string Text(const CreditsLine& line) {
    return std::string(line.data(), 18);
}

TEST(HighScoreTable, DefaultTableAlternatesBlankAndSampleLines) {
    const HighScoreLines lines = DefaultHighScoreLines();
    for (int i = 0; i < kHighScoreCount; ++i) {
        EXPECT_EQ(Text(lines[i]), i % 2 ? "  BLOCKBUSTER.XX  " : std::string(18, ' ')) << i;
        EXPECT_EQ(lines[i][18], '\0');
        EXPECT_EQ(lines[i][19], '\0');
    }
    EXPECT_EQ(kPlaceholderName.size(), 11u);
    GameState state;
    for (std::int32_t score : state.highScores) {
        EXPECT_EQ(score, 0);
    }
}

TEST(HighScoreTable, PlaceIsBelowEqualScores) {
    HighScoreTable scores{5000, 3000, 3000, 100};
    EXPECT_EQ(FindHighScorePlace(scores, 6000), 0);
    EXPECT_EQ(FindHighScorePlace(scores, 3000), 3);
    EXPECT_EQ(FindHighScorePlace(scores, 100), 4);
    EXPECT_EQ(FindHighScorePlace(scores, 0), -1) << "a score of 0 never enters";
    HighScoreTable full;
    full.fill(700);
    EXPECT_EQ(FindHighScorePlace(full, 700), -1) << "the lowest equal entry is not displaced";
    EXPECT_EQ(FindHighScorePlace(full, 800), 0);
}

struct InsertCase {
    const char* what;
    std::string name;
    std::int32_t score;
    std::string line;
};

void PrintTo(const InsertCase& test, std::ostream* out) {
    *out << test.what;
}

class InsertHighScoreLine : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertHighScoreLine, WritesNameDotsAndScore) {
    const InsertCase& test = GetParam();
    GameState state;
    state.pendingScore = test.score;
    InsertHighScore(state, test.name);
    EXPECT_EQ(Text(state.highScoreLines[0]), test.line);
    EXPECT_EQ(state.highScores[0], test.score);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InsertHighScoreLine,
    testing::Values(
        InsertCase{"Example", "PLAYER", 4300, "  PLAYER....4300  "},
        InsertCase{"SmallLetters", "pLaYer", 4300, "  PLAYER....4300  "},
        InsertCase{"OtherBytesAsTyped", "\xe9t\xe9-1_", 100, "  \xe9T\xe9-1_.....100  "},
        InsertCase{"EmptyName", "", 700, "  ...........700  "},
        InsertCase{"FullWidth", "ABCDEFGH", 123456, "  ABCDEFGH123456  "},
        InsertCase{"LongNameCut", "ABCDEFGHIJK", 100, "  ABCDEFGH...100  "},
        InsertCase{"StopsAtNul", std::string("AB\0CD", 5), 100, "  AB.........100  "},
        InsertCase{"LongScoreCoversName", "ABCDEFGH", 2000000000, "  ABCD2000000000  "}),
    [](const testing::TestParamInfo<InsertCase>& info) { return std::string(info.param.what); });

// With scores 5000, 3000, 0, ... a new 3000 goes to entry 2, below the existing 3000; every
// line from 2 on moves down by one, the old entry 14 is lost, and the scroller follows.
TEST(InsertHighScore, MovesLowerEntriesDownAndDropsTheLast) {
    GameState state;
    for (int i = 0; i < kHighScoreCount; ++i) {
        state.highScores[i] = 15000 - 1000 * i;
        std::string line = "  ROW" + std::to_string(i);
        line.resize(18, '*');
        line.copy(state.highScoreLines[i].data(), 18);
    }
    state.highScores[0] = 5000;
    state.highScores[1] = 3000;
    for (int i = 2; i < kHighScoreCount; ++i) {
        state.highScores[i] = 0;
    }
    const HighScoreLines before = state.highScoreLines;
    state.pendingScore = 3000;
    InsertHighScore(state, "new");

    EXPECT_EQ(state.highScores[1], 3000);
    EXPECT_EQ(state.highScores[2], 3000);
    EXPECT_EQ(state.highScores[3], 0);
    // The new line keeps positions 0, 1, 16 and 17 of the line that was there.
    EXPECT_EQ(Text(state.highScoreLines[2]), "  NEW.......3000**");
    for (int i = 3; i < kHighScoreCount; ++i) {
        EXPECT_EQ(Text(state.highScoreLines[i]), Text(before[i - 1])) << i;
    }
    EXPECT_EQ(Text(state.highScoreLines[1]), Text(before[1]));
    for (int i = 0; i < kHighScoreCount; ++i) {
        EXPECT_EQ(Text(state.creditsLines[kCreditsHighScoreRow + i]), Text(state.highScoreLines[i]))
            << i;
    }
}

TEST(InsertHighScore, ScoreWithoutAPlaceChangesNothing) {
    GameState state;
    state.highScores.fill(500);
    const HighScoreLines before = state.highScoreLines;
    state.pendingScore = 500;
    InsertHighScore(state, "X");
    EXPECT_EQ(state.highScoreLines, before);
    state.highScores.fill(500);
    state.pendingScore = -20;
    InsertHighScore(state, "X");
    EXPECT_EQ(state.highScoreLines, before);
}

TEST(Credits, RowsKeepTheirLengthAndGlyphs) {
    const CreditsLines lines = DefaultCreditsLines();
    const std::string glyphs = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 :.+!*";
    for (int i = 0; i < kCreditsRowCount; ++i) {
        EXPECT_EQ(lines[i][18], '\0') << i;
        for (int j = 0; j < 18; ++j) {
            EXPECT_NE(glyphs.find(lines[i][j]), std::string::npos) << "row " << i;
        }
    }
    const std::vector<std::pair<int, std::string>> fixed = {
        {5, "     PRESENT      "},  {7, "       THE        "},  {9, "    GREAT GAME    "},
        {13, "   2001 EDITION   "}, {40, "    HIGH SCORE:   "}, {42, std::string(18, ' ')},
        {56, std::string(18, ' ')}, {58, std::string(18, ' ')},
    };
    for (const auto& [row, text] : fixed) {
        EXPECT_EQ(Text(lines[row]), text) << row;
    }
    EXPECT_NE(Text(lines[11]).find("WINZOLVIK"), std::string::npos);
    for (int row : {3, 21, 23, 25, 27, 29}) {
        EXPECT_NE(Text(lines[row]), std::string(18, ' ')) << row;
    }
}

} // namespace
} // namespace wz
