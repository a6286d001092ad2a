// No Board operation, and no key press or fall tick during play, touches the heap. The program
// counts every allocation and compares the count around measured regions.

#include "AllocationCounter.h"
#include "AutoPlayer.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

namespace {

// The allocations made while one of these is alive.
class Counted {
public:
    long Seen() const { return wz::testkit::AllocationCount() - start_; }

private:
    long start_ = wz::testkit::AllocationCount();
};

} // namespace

namespace wz::test {
namespace {

TEST(NoAllocation, CounterSeesAllocations) {
    long seen = 0;
    {
        Counted region;
        // Kept in a volatile, or the optimiser may leave out a new paired with its delete.
        int* volatile kept = new int(3);
        delete kept;
        seen = region.Seen();
    }
    EXPECT_EQ(seen, 1);
}

TEST(NoAllocation, BoardOperations) {
    Board board;
    long seen = 0;
    {
        Counted region;
        board.Reset(99);
        for (int i = 0; i < 500 && !board.gameOver; ++i) {
            board.Rotate();
            board.MoveLeft();
            board.MoveRight();
            board.MoveRight();
            board.StepDown();
            board.Drop();
        }
        board.FindFullRow();
        seen = region.Seen();
    }
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(board.gameOver, 1);
}

// Keys and ticks through two levels of play, levels advancing, and finally the game over,
// with fakes that record nothing.
TEST(NoAllocation, KeysAndTicksDuringPlay) {
    GameRig rig;
    rig.host.seconds = 1;
    rig.Key(VK_SPACE);
    rig.log.recording = false;
    AutoPlayer careful(rig, AutoPlayer::Landing::FallTicks);
    long seen = 0;
    {
        Counted region;
        for (int level = 0; level < 2; ++level) {
            careful.PlayLevel();
            rig.Key(VK_SPACE);
        }
        for (int i = 0; i < 200 && !rig.state.board.gameOver; ++i) {
            rig.Key(VK_DOWN);
            rig.Tick();
        }
        seen = region.Seen();
    }
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(rig.state.board.level, 3);
    EXPECT_EQ(rig.state.board.gameOver, 1);
}

} // namespace
} // namespace wz::test
