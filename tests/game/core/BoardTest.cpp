#include "Board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace wz {
namespace {

using Grid = std::vector<std::vector<std::int32_t>>;

Grid Snapshot(const Board& board) {
    Grid grid(kBoardRows, std::vector<std::int32_t>(kBoardColumns));
    for (int r = 0; r < kBoardRows; ++r) {
        for (int c = 0; c < kBoardColumns; ++c) {
            grid[r][c] = board.cells[r][c];
        }
    }
    return grid;
}

int FreeWellCells(const Board& board) {
    int free = 0;
    for (int r = 0; r < kFloorRow; ++r) {
        for (int c = 1; c < kRightWall; ++c) {
            free += board.cells[r][c] == 0 ? 1 : 0;
        }
    }
    return free;
}

// An empty well holding one falling piece where the test wants it.
Board WellWithPiece(int shape, int rotation, int row, int column) {
    Board board;
    board.Reset(1);
    board.ErasePiece();
    board.shape = shape;
    board.rotation = rotation;
    board.row = row;
    board.column = column;
    board.colour = 5;
    board.PlacePiece();
    return board;
}

// Fills columns 1 to 12 of row r with colour 2, except the listed columns.
void FillRow(Board& board, int r, std::vector<int> gaps = {}) {
    for (int c = 1; c < kRightWall; ++c) {
        const bool gap = std::find(gaps.begin(), gaps.end(), c) != gaps.end();
        board.cells[r][c] = gap ? 0 : 2;
    }
}

constexpr int kSquare = 0;
constexpr int kBar = 1;
constexpr int kT = 2;

TEST(ShapeTable, EveryMaskHasFourContiguousCells) {
    for (int s = 0; s < kShapeCount; ++s) {
        for (int r = 0; r < kRotationCount; ++r) {
            const ShapeMask& mask = ShapeTable[s][r];
            EXPECT_EQ(std::count(mask.begin(), mask.end(), 1), 4) << s << "/" << r;
            // The edge tests look only just outside the piece; that needs no gaps inside a
            // mask row or a mask column.
            for (int line = 0; line < kMaskSize; ++line) {
                std::string across, down;
                for (int i = 0; i < kMaskSize; ++i) {
                    across += mask[line * kMaskSize + i] ? '#' : '.';
                    down += mask[i * kMaskSize + line] ? '#' : '.';
                }
                for (const std::string& text : {across, down}) {
                    const auto first = text.find('#');
                    if (first != std::string::npos) {
                        const std::string span = text.substr(first, text.rfind('#') - first);
                        EXPECT_EQ(span.find('.'), std::string::npos)
                            << "shape " << s << " rotation " << r << ": " << text;
                    }
                }
            }
        }
    }
}

TEST(ShapeTable, RotationsRepeatAsTheShapesDo) {
    for (int r = 1; r < kRotationCount; ++r) {
        EXPECT_EQ(ShapeTable[kSquare][r], ShapeTable[kSquare][0]);
    }
    for (int s : {1, 5, 6}) { // bar, S and Z repeat after two turns
        EXPECT_EQ(ShapeTable[s][2], ShapeTable[s][0]) << s;
        EXPECT_EQ(ShapeTable[s][3], ShapeTable[s][1]) << s;
        EXPECT_NE(ShapeTable[s][1], ShapeTable[s][0]) << s;
    }
    // The T turns clockwise: nub right, down, left, up.
    const ShapeRotations& t = ShapeTable[kT];
    EXPECT_EQ(t[0][1 * 4 + 2], 1); // nub right
    EXPECT_EQ(t[1][2 * 4 + 1], 1); // nub down
    EXPECT_EQ(t[2][1 * 4 + 0], 1); // nub left
    EXPECT_EQ(t[3][0 * 4 + 1], 1); // nub up
}

TEST(RandomGenerator, DealsTheClassicSequence) {
    RandomGenerator random;
    random.Seed(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724};
    for (int value : expected) {
        EXPECT_EQ(random.Next(), value);
    }
    random.Seed(0xFFFFFFFFu);
    for (int i = 0; i < 1000; ++i) {
        const int value = random.Next();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, RandomGenerator::kMax);
    }
}

TEST(BoardReset, BuildsWallsFloorAndTheFirstPiece) {
    Board board;
    board.gameOver = 1;
    board.score = 700;
    board.cells[5][5] = 3;
    board.Reset(42);
    for (int r = 0; r < kBoardRows; ++r) {
        EXPECT_EQ(board.cells[r][kLeftWall], 1) << r;
        EXPECT_EQ(board.cells[r][kRightWall], 1) << r;
    }
    for (int c = 0; c < kBoardColumns; ++c) {
        EXPECT_EQ(board.cells[kFloorRow][c], 1) << c;
    }
    EXPECT_EQ(FreeWellCells(board), 216 - 4);
    EXPECT_EQ(board.level, 1);
    EXPECT_EQ(board.score, 0);
    EXPECT_EQ(board.gameOver, 0);
    EXPECT_EQ(board.landed, 0);
    EXPECT_EQ(board.row, 0);
    EXPECT_EQ(board.column, kSpawnColumn);
    EXPECT_EQ(board.rotation, 0);
    EXPECT_GE(board.colour, 1);
    EXPECT_LE(board.colour, kColourCount);
    const ShapeMask& mask = board.Mask(0);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(board.cells[r][kSpawnColumn + c], mask[r * 4 + c] ? board.colour : 0);
        }
    }
}

// Two games started within the same second deal the same shapes and colours; the next second
// deals others.
TEST(BoardReset, SameSeedDealsTheSamePieces) {
    auto deal = [](std::uint32_t seed) {
        Board board;
        board.Reset(seed);
        std::vector<std::pair<int, int>> pieces;
        for (int i = 0; i < 20 && !board.gameOver; ++i) {
            pieces.emplace_back(board.shape, board.colour);
            board.Drop();
        }
        return pieces;
    };
    EXPECT_EQ(deal(1700000000), deal(1700000000));
    EXPECT_NE(deal(1700000000), deal(1700000001));

    // The first piece follows the generator: shape from the first value, colour from the
    // second, where 0 becomes 6.
    Board board;
    board.Reset(1);
    EXPECT_EQ(board.shape, 41 % 7);
    EXPECT_EQ(board.colour, 18467 % 6 == 0 ? 6 : 18467 % 6);
}

struct MoveCase {
    const char* name;
    int shape, rotation, row, column;
    std::vector<std::pair<int, int>> fixed; // fixed cells (row, column)
    std::int32_t (Board::*move)();
    int result;
    int rowAfter, columnAfter, rotationAfter;
};

void PrintTo(const MoveCase& test, std::ostream* out) {
    *out << test.name;
}

class BoardMoves : public testing::TestWithParam<MoveCase> {};

TEST_P(BoardMoves, RefuseExactlyAtWallsFloorAndFixedCells) {
    const MoveCase& test = GetParam();
    Board board = WellWithPiece(test.shape, test.rotation, test.row, test.column);
    for (auto [r, c] : test.fixed) {
        board.cells[r][c] = 4;
    }
    const Grid before = Snapshot(board);
    EXPECT_EQ((board.*test.move)(), test.result);
    EXPECT_EQ(board.row, test.rowAfter);
    EXPECT_EQ(board.column, test.columnAfter);
    EXPECT_EQ(board.rotation, test.rotationAfter);
    if (test.result == 0) {
        EXPECT_EQ(Snapshot(board), before) << "a refused move changes nothing";
    }
    EXPECT_EQ(FreeWellCells(board), 216 - 4 - static_cast<int>(test.fixed.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoardMoves,
    testing::Values(
        MoveCase{"LeftIntoFreeSpace", kBar, 0, 5, 4, {}, &Board::MoveLeft, 1, 5, 3, 0},
        MoveCase{"LeftAgainstWall", kBar, 0, 5, 1, {}, &Board::MoveLeft, 0, 5, 1, 0},
        // The T's nub row (mask row 1) reaches one column further left than its stem.
        MoveCase{"LeftBlockedBesideNub", kT, 2, 5, 4, {{6, 3}}, &Board::MoveLeft, 0, 5, 4, 2},
        MoveCase{"LeftBlockedBesideStem", kT, 0, 5, 4, {{7, 4}}, &Board::MoveLeft, 0, 5, 4, 0},
        MoveCase{"RightIntoFreeSpace", kSquare, 0, 3, 6, {}, &Board::MoveRight, 1, 3, 7, 0},
        MoveCase{"RightAgainstWall", kBar, 0, 5, 9, {}, &Board::MoveRight, 0, 5, 9, 0},
        MoveCase{
            "RightAgainstFixedCell", kSquare, 0, 3, 6, {{4, 9}}, &Board::MoveRight, 0, 3, 6, 0},
        MoveCase{"DownIntoFreeSpace", kT, 0, 3, 6, {}, &Board::StepDown, 1, 4, 6, 0},
        // The bar lying in row 17 cannot stand up: its mask row 1 meets the floor.
        MoveCase{"BarUprightAtRow17", kBar, 0, 17, 4, {}, &Board::Rotate, 0, 17, 4, 0},
        MoveCase{"BarUprightWithRoom", kBar, 0, 10, 4, {}, &Board::Rotate, 1, 10, 4, 1},
        MoveCase{"BarFlatAgainstRightWall", kBar, 1, 5, 11, {}, &Board::Rotate, 0, 5, 11, 1},
        MoveCase{"BarFlatAtLeftWall", kBar, 1, 5, 0, {}, &Board::Rotate, 0, 5, 0, 1},
        MoveCase{"TurnOntoFixedCell", kT, 0, 5, 4, {{6, 4}}, &Board::Rotate, 0, 5, 4, 0},
        MoveCase{"SquareAlwaysTurns", kSquare, 3, 16, 1, {}, &Board::Rotate, 1, 16, 1, 0}),
    [](const testing::TestParamInfo<MoveCase>& info) { return std::string(info.param.name); });

// landed is 1 only after the call that landed the piece, and 0 after any call that moved it.
TEST(BoardStepDown, LandsOnTheStepAfterReachingRow17) {
    Board board = WellWithPiece(kSquare, 0, 15, 4); // cells in rows 15 and 16
    EXPECT_EQ(board.StepDown(), 1);
    EXPECT_EQ(board.landed, 0);
    EXPECT_EQ(board.row, 16);
    EXPECT_EQ(board.StepDown(), 1);
    EXPECT_EQ(board.landed, 1);
    EXPECT_EQ(board.cells[17][5], 5);
    EXPECT_EQ(board.cells[16][6], 5);
    EXPECT_EQ(board.row, 0);
    EXPECT_EQ(board.column, kSpawnColumn);
    EXPECT_EQ(board.StepDown(), 1);
    EXPECT_EQ(board.landed, 0);
}

// A landing that fills rows 17 and 15 but not 16 removes row 17 first; the former row 15
// drops to 16 and is found on the next search from the bottom.
TEST(BoardRows, RemovesLowestFirstAndSearchesAgain) {
    Board board = WellWithPiece(kBar, 1, 14, 11); // upright in column 12, rows 14 to 17
    board.ErasePiece();
    FillRow(board, 17, {12});
    FillRow(board, 16, {11, 12});
    FillRow(board, 15, {12});
    board.PlacePiece();
    board.score = 300;

    ASSERT_EQ(board.StepDown(), 1);
    EXPECT_EQ(board.landed, 1);
    EXPECT_EQ(board.score, 500);
    EXPECT_EQ(board.level, 1);
    // Old row 16 (with the bar's cell in column 12) is now row 17; old row 14 is row 16.
    for (int c = 1; c < kRightWall; ++c) {
        EXPECT_EQ(board.cells[17][c], c == 11 ? 0 : (c == 12 ? 5 : 2)) << c;
        EXPECT_EQ(board.cells[16][c], c == 12 ? 5 : 0) << c;
    }
    EXPECT_EQ(board.FindFullRow(), -1);
}

TEST(BoardRows, FindFullRowNeverTakesTheFloor) {
    Board board;
    board.Reset(3);
    board.ErasePiece();
    EXPECT_EQ(board.FindFullRow(), -1);
    FillRow(board, 0);
    FillRow(board, 9);
    EXPECT_EQ(board.FindFullRow(), 9);
    board.RemoveRow(9);
    EXPECT_EQ(board.FindFullRow(), 1);
    board.RemoveRow(1);
    EXPECT_EQ(board.FindFullRow(), -1);
    // Row 0 is emptied with its walls kept, and walls moved down stay walls.
    for (int r = 0; r < kBoardRows; ++r) {
        EXPECT_EQ(board.cells[r][kLeftWall], 1);
        EXPECT_EQ(board.cells[r][kRightWall], 1);
    }
    EXPECT_EQ(board.score, 200);
}

struct LevelCase {
    std::int32_t scoreBefore;
    int rows;
    std::int32_t scoreAfter;
    std::int32_t levelAfter;
};

void PrintTo(const LevelCase& test, std::ostream* out) {
    *out << test.scoreBefore << " + " << test.rows << " rows";
}

class BoardLevels : public testing::TestWithParam<LevelCase> {};

// The level rises on the row that makes the score a multiple of 1000, once.
TEST_P(BoardLevels, RiseAtEveryThousand) {
    const LevelCase& test = GetParam();
    Board board = WellWithPiece(kBar, 1, 14, 11);
    board.ErasePiece();
    for (int i = 0; i < test.rows; ++i) {
        FillRow(board, 17 - i, {12});
    }
    board.PlacePiece();
    board.score = test.scoreBefore;
    board.level = 1 + test.scoreBefore / 1000;
    board.StepDown();
    EXPECT_EQ(board.score, test.scoreAfter);
    EXPECT_EQ(board.level, test.levelAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, BoardLevels,
                         testing::Values(LevelCase{900, 1, 1000, 2}, LevelCase{800, 4, 1200, 2},
                                         LevelCase{0, 4, 400, 1}, LevelCase{1000, 1, 1100, 2},
                                         LevelCase{19700, 3, 20000, 21}),
                         [](const testing::TestParamInfo<LevelCase>& info) {
                             return "Score" + std::to_string(info.param.scoreBefore) + "Rows" +
                                    std::to_string(info.param.rows);
                         });

// A new piece that meets a fixed cell ends the game at once, and is not written into the
// grid. After that every move refuses: erasing the piece would wipe the cells it overlaps.
TEST(BoardGameOver, NewPieceStaysOutOfTheGrid) {
    Board board = WellWithPiece(kSquare, 0, 16, 1);
    board.ErasePiece();
    for (int c = 6; c <= 9; ++c) {
        board.cells[0][c] = 3;
        board.cells[1][c] = 3;
    }
    board.PlacePiece();
    const Grid before = Snapshot(board);

    EXPECT_EQ(board.StepDown(), 0);
    EXPECT_EQ(board.gameOver, 1);
    EXPECT_EQ(board.landed, 1);
    EXPECT_EQ(Snapshot(board), before);

    EXPECT_EQ(board.MoveLeft(), 0);
    EXPECT_EQ(board.MoveRight(), 0);
    EXPECT_EQ(board.Rotate(), 0);
    EXPECT_EQ(board.StepDown(), 0);
    EXPECT_EQ(board.Drop(), 0);
    EXPECT_EQ(Snapshot(board), before);
}

TEST(BoardDrop, LandsARestingPieceWithoutMovingIt) {
    Board board = WellWithPiece(kSquare, 0, 16, 3); // already on the floor
    EXPECT_EQ(board.Drop(), 1);
    EXPECT_EQ(board.landed, 1);
    EXPECT_EQ(board.cells[16][4], 5);
    EXPECT_EQ(board.cells[17][5], 5);
    EXPECT_EQ(FreeWellCells(board), 216 - 8);
    EXPECT_EQ(board.row, 0);

    // A piece resting at row 0 lands at once too.
    Board top = WellWithPiece(kBar, 0, 0, 2);
    top.cells[1][3] = 2;
    EXPECT_EQ(top.Drop(), 1);
    EXPECT_EQ(top.cells[0][2], 5);
    EXPECT_EQ(top.landed, 1);
}

TEST(BoardDrop, FallsToTheFloorFromTheTop) {
    Board board = WellWithPiece(kBar, 0, 0, 2);
    EXPECT_EQ(board.Drop(), 1);
    for (int c = 2; c <= 5; ++c) {
        EXPECT_EQ(board.cells[17][c], 5) << c;
        EXPECT_EQ(board.cells[16][c], 0) << c;
    }
    EXPECT_EQ(board.row, 0);
}

} // namespace
} // namespace wz
