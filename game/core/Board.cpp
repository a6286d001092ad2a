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

// After the game is over the falling piece is no longer in the grid, so every move refuses:
// erasing it would wipe the fixed cells it was found to overlap.

std::int32_t Board::MoveLeft() {
    if (gameOver) {
        return 0;
    }
    const ShapeMask& mask = Mask(rotation);
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            if (Occupied(mask, r, c)) {
                if (CellAt(row + r, column + c - 1) != 0) {
                    return 0;
                }
                break;
            }
        }
    }
    ErasePiece();
    --column;
    PlacePiece();
    return 1;
}

std::int32_t Board::MoveRight() {
    if (gameOver) {
        return 0;
    }
    const ShapeMask& mask = Mask(rotation);
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = kMaskSize - 1; c >= 0; --c) {
            if (Occupied(mask, r, c)) {
                if (CellAt(row + r, column + c + 1) != 0) {
                    return 0;
                }
                break;
            }
        }
    }
    ErasePiece();
    ++column;
    PlacePiece();
    return 1;
}

std::int32_t Board::StepDown() {
    if (gameOver) {
        return 0;
    }
    const ShapeMask& mask = Mask(rotation);
    bool blocked = false;
    for (int c = 0; c < kMaskSize && !blocked; ++c) {
        for (int r = kMaskSize - 1; r >= 0; --r) {
            if (Occupied(mask, r, c)) {
                blocked = CellAt(row + r + 1, column + c) != 0;
                break;
            }
        }
    }
    landed = 0;
    if (!blocked) {
        ErasePiece();
        ++row;
        PlacePiece();
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
    const ShapeMask& next = Mask(rotation);
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            if (Occupied(next, r, c) && cells[r][kSpawnColumn + c] != 0) {
                gameOver = 1;
                return 0;
            }
        }
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

std::int32_t Board::Rotate() {
    if (gameOver) {
        return 0;
    }
    const std::int32_t next = (rotation + 1) % kRotationCount;
    ErasePiece();
    const ShapeMask& mask = Mask(next);
    bool refused = false;
    for (int r = 0; r < kMaskSize && !refused; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            if (Occupied(mask, r, c) && CellAt(row + r, column + c) != 0) {
                refused = true;
            }
        }
    }
    if (refused) {
        PlacePiece();
        return 0;
    }
    rotation = next;
    PlacePiece();
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
