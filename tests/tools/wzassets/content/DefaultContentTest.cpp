// The default content as a whole: every element of the asset file, the same bytes on every
// run, and small enough for the file to stay under 4 MiB.

#include "DefaultContent.h"
#include "LevelNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using namespace wz::content;

TEST(DefaultContent, ListsEveryElementOfTheAssetFileOnce) {
    const auto& elements = AssetElements();
    ASSERT_EQ(elements.size(), 46u);
    std::set<std::pair<std::u16string_view, std::u16string_view>> seen;
    for (const auto& e : elements) {
        EXPECT_TRUE(seen.insert({e.storage, e.name}).second);
    }
    for (auto name : {u"Jacket", u"Titles", u"Love1", u"Love20", u"Win"}) {
        EXPECT_TRUE(seen.count({u"Images", name}));
    }
    EXPECT_TRUE(seen.count({u"Sound", u"Knock"}));
    for (auto name : {u"Titles", u"Love1", u"Love18", u"Love20", u"Win"}) {
        EXPECT_TRUE(seen.count({u"Music", name}));
    }
}

TEST(DefaultContent, IsTheSameOnEveryRunAndFitsInFourMebibytes) {
    std::size_t total = 0;
    for (const auto& e : AssetElements()) {
        auto first = MakeDefaultElement(e);
        EXPECT_FALSE(first.empty());
        EXPECT_EQ(first, MakeDefaultElement(e)) << std::string(e.name.begin(), e.name.end());
        total += first.size();
    }
    // The compound file adds a few percent of directory and allocation tables.
    EXPECT_LT(total, 3u * 1024 * 1024);
}

TEST(DefaultContent, UnknownNamesGiveNothing) {
    EXPECT_TRUE(MakeDefaultElement({u"Images", u"Love21"}).empty());
    EXPECT_TRUE(MakeDefaultElement({u"Sound", u"Titles"}).empty());
    EXPECT_TRUE(MakeDefaultElement({u"Video", u"Love1"}).empty());
}

} // namespace
