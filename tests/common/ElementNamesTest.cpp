#include "ElementNames.h"

#include <gtest/gtest.h>

namespace {

// Names go to UTF-8 and back unchanged, outside the basic plane too; text that is not UTF-8
// becomes U+FFFD rather than stray units.
TEST(ElementNames, ConvertBothWays) {
    struct Row {
        const char* what;
        std::u16string name;
        std::string utf8;
    };
    const Row rows[] = {
        {"ASCII", u"Love3", "Love3"},
        {"Cyrillic", u"Музыка", "\xD0\x9C\xD1\x83\xD0\xB7\xD1\x8B\xD0\xBA\xD0\xB0"},
        {"a surrogate pair", u"a\U0001F3B5", "a\xF0\x9F\x8E\xB5"},
        {"empty", u"", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(cfb::NameToUtf8(row.name), row.utf8);
        EXPECT_EQ(cfb::NameFromUtf8(row.utf8), row.name);
    }
    EXPECT_EQ(cfb::NameFromUtf8("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(cfb::NameFromUtf8("ab\xE2\x82"), u"ab\uFFFD"); // cut off by the end
}

} // namespace
