// The page buffer behind pixel arrays: zero-filled, and handed over whole by a move, so that
// the pages are given back exactly once.

#include <PageMemory.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace wz {
namespace {

TEST(PageBuffer, ArrivesZeroFilledOrNotAtAll) {
    const PageBuffer buffer = PageBuffer::Allocate(10000); // not a whole number of pages
    ASSERT_FALSE(buffer.IsEmpty());
    EXPECT_EQ(buffer.Size(), 10000u);
    EXPECT_TRUE(std::all_of(buffer.Data(), buffer.Data() + buffer.Size(),
                            [](std::uint8_t b) { return b == 0; }));

    const PageBuffer none = PageBuffer::Allocate(0);
    EXPECT_TRUE(none.IsEmpty());
    EXPECT_EQ(none.Size(), 0u);
}

TEST(PageBuffer, MovingHandsThePagesOver) {
    PageBuffer first = PageBuffer::Allocate(100);
    first.Data()[99] = 7;
    std::uint8_t* const bytes = first.Data();

    PageBuffer second(std::move(first));
    EXPECT_TRUE(first.IsEmpty()); // NOLINT(bugprone-use-after-move): a moved-from buffer is empty
    EXPECT_EQ(second.Data(), bytes);
    EXPECT_EQ(second.Data()[99], 7);

    PageBuffer third = PageBuffer::Allocate(50);
    third = std::move(second);     // gives back its own 50 bytes first
    EXPECT_TRUE(second.IsEmpty()); // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(third.Data(), bytes);
    EXPECT_EQ(third.Size(), 100u);

    third.Reset();
    third.Reset(); // a second reset is harmless
    EXPECT_TRUE(third.IsEmpty());
}

} // namespace
} // namespace wz
