#pragma once

// A player that drives a GameRig with key presses and timer ticks only, as a person at the
// keyboard would. It places each piece where a simple evaluation of the well (height, holes,
// unevenness, rows cleared) likes it best, which clears rows steadily enough to go through all
// 20 levels.

#include "Board.h"
#include "RecordingFakes.h"

namespace wz::test {

struct Placement {
    int rotations = 0; // Rotate presses
    int shift = 0;     // columns: negative to the left
};

// The best place for the falling piece, reached by turning first and then moving sideways.
Placement PlanPlacement(const Board& board);

class AutoPlayer {
public:
    enum class Landing {
        DropKey,  // positions the piece, then presses the Drop key
        FallTicks // positions the piece, then lets the fall timer land it
    };

    AutoPlayer(GameRig& rig, Landing landing) : rig_(rig), landing_(landing) {}

    // Places one piece and lands it. Returns the number of events it delivered.
    int PlayPiece();
    // Plays pieces until the level completes or the game ends; returns the events delivered.
    int PlayLevel();

private:
    GameRig& rig_;
    Landing landing_;
};

} // namespace wz::test
