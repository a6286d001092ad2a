#pragma once

// The well: a grid of cells with walls and a floor, the one falling piece, the score, the level
// and the game-over flag. It knows nothing of windows, timers, sounds or pictures; the game flow
// calls its moves and the play screen reads its cells.
//
// Grid layout: rows 0 to 17 and columns 1 to 12 are the well, row 0 at the top. Columns 0 and
// 13 of rows 0 to 18 are walls and the whole of row 18 is the floor; walls and floor hold 1.
// A free well cell holds 0, an occupied one the colour (1 to 6) of the piece that filled it.
// The falling piece is written into the grid with its colour while it falls, so fixed cells and
// the piece's cells look the same; the piece is known only by shape, rotation, row and column.

#include "RandomGenerator.h"
#include "ShapeTable.h"

#include <array>
#include <cstdint>

namespace wz {

inline constexpr int kBoardRows = 19;
inline constexpr int kBoardColumns = 14;
inline constexpr int kFloorRow = 18;
inline constexpr int kLeftWall = 0;
inline constexpr int kRightWall = 13;
inline constexpr int kSpawnColumn = 6;
inline constexpr int kColourCount = 6;
inline constexpr std::int32_t kPointsPerRow = 100;
inline constexpr std::int32_t kPointsPerLevel = 1000;

class Board {
public:
    Board();

    // Starts a new game: empty well with walls and floor, score 0, level 1, and the first piece.
    // The generator is seeded with seedSeconds, the current time in whole seconds, so two
    // games started within the same second deal the same pieces.
    void Reset(std::uint32_t seedSeconds);

    // Each returns 1 when the piece moved and 0 when the move was refused (nothing changed).
    std::int32_t MoveLeft();
    std::int32_t MoveRight();
    std::int32_t Rotate();

    // One row of fall. Returns 1 when the piece moved, or landed and the next piece was placed;
    // 0 when the next piece did not fit (game over; that piece is not written into the grid).
    std::int32_t StepDown();

    // Falls until the piece has landed. Returns 1.
    std::int32_t Drop();

    // Writes colour, or 0, into the four grid cells of the falling piece.
    void PlacePiece();
    void ErasePiece();

    // The lowest row whose twelve well cells are all occupied, or -1.
    std::int32_t FindFullRow() const;

    // Scores row k and removes it: the rows above move down by one and row 0 becomes empty.
    void RemoveRow(std::int32_t k);

    // The mask of the falling piece's shape in rotation r.
    const ShapeMask& Mask(std::int32_t r) const { return (*shapes[shape])[r]; }

    // The rotation sets of the seven shapes, set once when the board is built.
    std::array<const ShapeRotations*, kShapeCount> shapes{};
    std::int32_t shape = 0;
    std::int32_t rotation = 0;
    std::int32_t column = 0; // grid column of the mask's column 0
    std::int32_t row = 0;    // grid row of the mask's row 0
    std::int32_t landed = 0; // the last StepDown landed the piece
    std::int32_t cells[kBoardRows][kBoardColumns]{};
    std::int32_t colour = 0;
    std::int32_t gameOver = 0;
    std::int32_t score = 0;
    std::int32_t level = 0;

    RandomGenerator random;

    // Whether a piece of that shape and rotation, its mask's corner at grid (gridRow,
    // gridColumn), covers only free cells. The falling piece's own cells count as occupied.
    bool Fits(std::int32_t shapeIndex, std::int32_t rotationIndex, std::int32_t gridRow,
              std::int32_t gridColumn) const;

private:
    // Moves the falling piece to the new rotation and place when it fits there; otherwise
    // leaves it where it was.
    bool TryMove(std::int32_t newRotation, std::int32_t newRow, std::int32_t newColumn);
    void ChoosePiece();
    // The cell at grid (r, c); anything outside the grid counts as a wall.
    std::int32_t CellAt(std::int32_t r, std::int32_t c) const;
    void WritePiece(std::int32_t value);
};

} // namespace wz
