#include "AutoPlayer.h"

#include <limits>

namespace wz::test {

namespace {

double Evaluate(Board after, std::int32_t scoreBefore) {
    if (after.gameOver) {
        return -1e9;
    }
    // The next piece already sits at the top; it is not part of the stack being judged.
    after.ErasePiece();
    int heights[kBoardColumns] = {};
    int holes = 0;
    for (int c = 1; c < kRightWall; ++c) {
        bool seenTop = false;
        for (int r = 0; r < kFloorRow; ++r) {
            if (after.cells[r][c] != 0) {
                if (!seenTop) {
                    heights[c] = kFloorRow - r;
                    seenTop = true;
                }
            } else if (seenTop) {
                ++holes;
            }
        }
    }
    int total = 0;
    int bumps = 0;
    for (int c = 1; c < kRightWall; ++c) {
        total += heights[c];
        if (c > 1) {
            bumps += heights[c] > heights[c - 1] ? heights[c] - heights[c - 1]
                                                 : heights[c - 1] - heights[c];
        }
    }
    const int rows = (after.score - scoreBefore) / kPointsPerRow;
    return -0.51 * total + 0.76 * rows - 0.36 * holes - 0.18 * bumps;
}

} // namespace

Placement PlanPlacement(const Board& board) {
    Placement best;
    double bestValue = -std::numeric_limits<double>::infinity();
    auto consider = [&](const Board& placed, int rotations, int shift) {
        Board landed = placed;
        landed.Drop();
        const double value = Evaluate(landed, board.score);
        if (value > bestValue) {
            bestValue = value;
            best = {rotations, shift};
        }
    };
    for (int rotations = 0; rotations < kRotationCount; ++rotations) {
        Board turned = board;
        bool turnedAll = true;
        for (int i = 0; i < rotations && turnedAll; ++i) {
            turnedAll = turned.Rotate() != 0;
        }
        if (!turnedAll) {
            continue;
        }
        consider(turned, rotations, 0);
        Board left = turned;
        for (int shift = -1; left.MoveLeft(); --shift) {
            consider(left, rotations, shift);
        }
        Board right = turned;
        for (int shift = 1; right.MoveRight(); ++shift) {
            consider(right, rotations, shift);
        }
    }
    return best;
}

int AutoPlayer::PlayPiece() {
    GameState& state = rig_.state;
    const ControlKeys& keys = state.controlKeys;
    int events = 0;
    const Placement plan = PlanPlacement(state.board);
    for (int i = 0; i < plan.rotations; ++i, ++events) {
        rig_.Key(keys[kRotateSlot]);
    }
    for (int i = 0; i < (plan.shift < 0 ? -plan.shift : plan.shift); ++i, ++events) {
        rig_.Key(keys[plan.shift < 0 ? kLeftSlot : kRightSlot]);
    }
    if (landing_ == Landing::DropKey) {
        rig_.Key(keys[kDropSlot]);
        return events + 1;
    }
    // A piece falls at most 18 rows; the bound only guards the test against a stuck timer.
    for (int ticks = 0; ticks < 2 * kBoardRows; ++ticks) {
        rig_.Tick();
        ++events;
        if (state.board.landed || state.board.gameOver || state.levelComplete) {
            break;
        }
    }
    return events;
}

int AutoPlayer::PlayLevel() {
    int events = 0;
    const GameState& state = rig_.state;
    // 200 pieces are far more than ten rows need; the bound keeps a failing test finite.
    for (int piece = 0; piece < 200; ++piece) {
        if (!state.playing || state.board.gameOver || state.levelComplete) {
            break;
        }
        events += PlayPiece();
    }
    return events;
}

} // namespace wz::test
