#include "LevelNames.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The two level lists name the same 21 streams; the music order differs at levels 6, 18, 20.
TEST(LevelNames, ListsDifferOnlyAtLevels6And18And20) {
    for (int i = 0; i < 21; ++i) {
        const bool differs = wz::levelPictureNames[i] != wz::levelTrackNames[i];
        EXPECT_EQ(differs, i == 5 || i == 17 || i == 19) << "index " << i;
    }
    EXPECT_EQ(wz::levelTrackNames[5], u"Love18");
    EXPECT_EQ(wz::levelTrackNames[17], u"Love20");
    EXPECT_EQ(wz::levelTrackNames[19], u"Love6");
    EXPECT_TRUE(wz::levelPictureNames[21].empty());
    EXPECT_TRUE(wz::levelTrackNames[21].empty());
}

TEST(LevelNames, NeighbouringLevelsNeverShareATrack) {
    std::set<std::u16string_view> tracks;
    for (int i = 0; i < 21; ++i) {
        tracks.insert(wz::levelTrackNames[i]);
        if (i > 0) {
            EXPECT_NE(wz::levelTrackNames[i], wz::levelTrackNames[i - 1]);
        }
    }
    EXPECT_EQ(tracks.size(), 21u);
}

} // namespace
