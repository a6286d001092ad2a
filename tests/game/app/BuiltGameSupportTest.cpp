// Waiting on the built game: a wait ends with the game, so that a game that fails at once is
// reported with its output instead of after the whole bound.

#include "BuiltGameSupport.h"

#include <gtest/gtest.h>

namespace wz::test {
namespace {

// A program that ends while the condition never holds: the wait notices the end itself, and
// the caller sees the program ended with its exit code.
TEST(WaitForGame, EndsWithTheProgram) {
    QProcess program;
    program.start("/bin/sh", {"-c", "exit 3"});
    ASSERT_TRUE(program.waitForStarted());
    EXPECT_FALSE(WaitFor(
        program, [] { return false; }, 240000));
    EXPECT_EQ(program.state(), QProcess::NotRunning);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 3);
}

} // namespace
} // namespace wz::test
