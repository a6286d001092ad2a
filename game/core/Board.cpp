#include "Board.h"

namespace wz {

namespace {

bool Occupied(const ShapeMask& mask, int r, int c) {
    return mask[r * kMaskSize + c] != 0;
}

} // namespace

Board::Board() {
    for (int s = 0; s < kShapeCount; ++s) {
        shapes[s] = &ShapeTable[s];
    }
}

void Board::Reset(std::uint32_t seedSeconds) {
    for (auto& line : cells) {
        for (auto& cell : line) {
            cell = 0;
        }
    }
    for (int r = 0; r < kBoardRows; ++r) {
        cells[r][kLeftWall] = 1;
        cells[r][kRightWall] = 1;
    }
    for (int c = 0; c < kBoardColumns; ++c) {
        cells[kFloorRow][c] = 1;
    }
    landed = 0;
    gameOver = 0;
    level = 1;
    score = 0;
    random.Seed(seedSeconds);
    ChoosePiece();
    // The first piece goes into an empty well, so it needs no overlap test.
    ErasePiece();
    PlacePiece();
}

void Board::ChoosePiece() {
    shape = random.Next() % kShapeCount;
    colour = random.Next() % kColourCount;
    if (colour == 0) {
        colour = kColourCount;
    }
    rotation = 0;
    row = 0;
    column = kSpawnColumn;
}

std::int32_t Board::CellAt(std::int32_t r, std::int32_t c) const {
    if (r < 0 || r >= kBoardRows || c < 0 || c >= kBoardColumns) {
        return 1;
    }
    return cells[r][c];
}

void Board::WritePiece(std::int32_t value) {
    const ShapeMask& mask = Mask(rotation);
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            const std::int32_t gr = row + r;
            const std::int32_t gc = column + c;
            if (Occupied(mask, r, c) && gr >= 0 && gr < kBoardRows && gc >= 0 &&
                gc < kBoardColumns) {
                cells[gr][gc] = value;
            }
        }
    }
}

void Board::PlacePiece() {
    WritePiece(colour);
}

void Board::ErasePiece() {
    WritePiece(0);
}

bool Board::Fits(std::int32_t shapeIndex, std::int32_t rotationIndex, std::int32_t gridRow,
                 std::int32_t gridColumn) const {
    const ShapeMask& mask = (*shapes[shapeIndex])[rotationIndex];
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            if (Occupied(mask, r, c) && CellAt(gridRow + r, gridColumn + c) != 0) {
                return false;
            }
        }
    }
    return true;
}

bool Board::TryMove(std::int32_t newRotation, std::int32_t newRow, std::int32_t newColumn) {
    // The piece is taken out of the grid while it is tested, so that it never collides with
    // its own cells.
    ErasePiece();
    const bool fits = Fits(shape, newRotation, newRow, newColumn);
    if (fits) {
        rotation = newRotation;
        row = newRow;
        column = newColumn;
    }
    PlacePiece();
    return fits;
}

// After the game is over the falling piece is no longer in the grid, so every move refuses:
// erasing it would wipe the fixed cells it was found to overlap.

std::int32_t Board::MoveLeft() {
    return !gameOver && TryMove(rotation, row, column - 1);
}

std::int32_t Board::MoveRight() {
    return !gameOver && TryMove(rotation, row, column + 1);
}

std::int32_t Board::Rotate() {
    return !gameOver && TryMove((rotation + 1) % kRotationCount, row, column);
}

std::int32_t Board::StepDown() {
    if (gameOver) {
        return 0;
    }
    landed = 0;
    if (TryMove(rotation, row + 1, column)) {
        return 1;
    }

    // The piece's cells stay in the grid as fixed cells.
    landed = 1;
    // Rows go lowest first, and the search starts again from the bottom after every removal,
    // so a full row that drops into place is found again.
    for (std::int32_t full = FindFullRow(); full >= 0; full = FindFullRow()) {
        RemoveRow(full);
    }

    ChoosePiece();
    if (!Fits(shape, rotation, row, column)) {
        gameOver = 1;
        return 0;
    }
    PlacePiece();
    return 1;
}

std::int32_t Board::Drop() {
    if (gameOver) {
        return 0;
    }
    // Every landing leaves row at 0, where the next piece starts, so the loop ends with the
    // first landing. A piece at row 0 gets one step first so that it can leave row 0.
    if (row == 0) {
        StepDown();
    }
    while (row != 0 && !gameOver) {
        StepDown();
    }
    return 1;
}

std::int32_t Board::FindFullRow() const {
    for (int r = kFloorRow - 1; r >= 0; --r) {
        bool full = true;
        for (int c = kLeftWall + 1; c < kRightWall && full; ++c) {
            full = cells[r][c] != 0;
        }
        if (full) {
            return r;
        }
    }
    return -1;
}

void Board::RemoveRow(std::int32_t k) {
    if (k < 0 || k >= kFloorRow) {
        return;
    }
    score += kPointsPerRow;
    if (score % kPointsPerLevel == 0) {
        ++level;
    }
    for (int r = k; r > 0; --r) {
        for (int c = 0; c < kBoardColumns; ++c) {
            cells[r][c] = cells[r - 1][c];
        }
    }
    for (int c = kLeftWall + 1; c < kRightWall; ++c) {
        cells[0][c] = 0;
    }
}

} // namespace wz
