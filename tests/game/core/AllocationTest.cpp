// No Board operation, and no key press or fall tick during play, touches the heap. The program
// replaces the global allocation functions and counts the calls made inside measured regions.

#include "AutoPlayer.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

bool counting = false;
long allocations = 0;

void* Allocate(std::size_t size) {
    if (counting) {
        ++allocations;
    }
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}

struct Counted {
    Counted() {
        allocations = 0;
        counting = true;
    }
    ~Counted() { counting = false; }
};

} // namespace

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace wz::test {
namespace {

TEST(NoAllocation, CounterSeesAllocations) {
    long seen = 0;
    {
        Counted region;
        delete new int(3);
        seen = allocations;
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
        seen = allocations;
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
        seen = allocations;
    }
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(rig.state.board.level, 3);
    EXPECT_EQ(rig.state.board.gameOver, 1);
}

} // namespace
} // namespace wz::test
