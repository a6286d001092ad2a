#include "ElementNames.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// Names go to UTF-8 and back unchanged, outside the basic plane too; text that is not UTF-8
// becomes U+FFFD rather than stray units.
TEST(ElementNames, ConvertBothWays) {
    const std::pair<std::u16string, std::string> spellings[] = {
        {u"Love3", "Love3"},
        {u"Музыка", "\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0"},
        {u"a\U0001F3B5", "a\xF0\x9F\x8E\xB5"}, // a surrogate pair
        {u"", ""},
    };
    for (const auto& [name, utf8] : spellings) {
        EXPECT_EQ(cfb::NameToUtf8(name), utf8);
        EXPECT_EQ(cfb::NameFromUtf8(utf8), name) << utf8;
    }
    EXPECT_EQ(cfb::NameFromUtf8("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(cfb::NameFromUtf8("ab\xE2\x82"), u"ab\uFFFD"); // cut off by the end
}

} // namespace
