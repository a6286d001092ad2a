// The game's arguments: what is taken, and that every bad one is refused with a line naming it.

#include "GameCommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wz::test {
namespace {

struct ArgumentCase {
    std::vector<std::string> arguments;
    std::string pack;
    std::int32_t startLevel = 0;
    bool help = false;
    // Part of the one-line error; empty when the arguments are taken.
    std::string refusedFor;
};

TEST(GameCommandLine, TakesGoodArgumentsAndNamesEachBadOne) {
    const std::vector<ArgumentCase> cases = {
        {{}, "", 0, false, ""},
        {{"Spring.stg"}, "Spring.stg", 0, false, ""},
        {{"../packs/My Pack.stg"}, "../packs/My Pack.stg", 0, false, ""},
        {{"--level", "7"}, "", 7, false, ""},
        {{"--level", "1", "a.stg"}, "a.stg", 1, false, ""},
        {{"a.stg", "--level", "20"}, "a.stg", 20, false, ""},
        {{"--level=12", "a.stg"}, "a.stg", 12, false, ""},
        {{"--level", "07"}, "", 7, false, ""},
        {{"--help"}, "", 0, true, ""},
        {{"-h"}, "", 0, true, ""},
        {{"--", "-odd.stg"}, "-odd.stg", 0, false, ""},
        {{"-"}, "-", 0, false, ""},
        {{"--level", "0"}, "", 0, false, "\"0\""},
        {{"--level", "21"}, "", 0, false, "\"21\""},
        {{"--level", "x"}, "", 0, false, "\"x\""},
        {{"--level", "-3"}, "", 0, false, "\"-3\""},
        {{"--level", "+3"}, "", 0, false, "\"+3\""},
        {{"--level", " 3"}, "", 0, false, "\" 3\""},
        {{"--level", "4294967303"}, "", 0, false, "\"4294967303\""},
        {{"--level="}, "", 0, false, "\"\""},
        {{"--level"}, "", 0, false, "--level without a level"},
        {{"--level", "3", "--level", "4"}, "", 0, false, "--level given twice"},
        {{"a.stg", "b.stg"}, "", 0, false, "\"b.stg\""},
        {{"--bogus"}, "", 0, false, "\"--bogus\""},
        {{"-level", "3"}, "", 0, false, "\"-level\""},
        {{"--help", "--bogus"}, "", 0, false, "\"--bogus\""},
        {{""}, "", 0, false, "empty pack name"},
    };
    for (const ArgumentCase& c : cases) {
        std::string shown;
        for (const std::string& argument : c.arguments) {
            shown += "[" + argument + "]";
        }
        const GameCommandLine line = ParseGameCommandLine(c.arguments);
        if (c.refusedFor.empty()) {
            EXPECT_EQ(line, (GameCommandLine{c.pack, c.startLevel, c.help, ""})) << shown;
        } else {
            EXPECT_NE(line.error.find(c.refusedFor), std::string::npos)
                << shown << " gave \"" << line.error << "\"";
            EXPECT_EQ(line.error.find('\n'), std::string::npos) << shown;
        }
    }
}

} // namespace
} // namespace wz::test
