#include "SlotLists.h"

#include <gtest/gtest.h>

namespace {

using wz::SlotKind;
using wz::SlotLists;

TEST(SlotLists, StreamNamesFollowTheSlotTable) {
    const SlotLists lists;
    struct Row {
        int slot;
        const char* picture;
        const char* music;
    };
    const Row rows[] = {{0, "Love1", "Love1"},
                        {5, "Love6", "Love6"},
                        {19, "Love20", "Love20"},
                        {20, "Win", "Win"},
                        {21, "Jacket", "Titles"}};
    for (const Row& r : rows) {
        EXPECT_EQ(lists.pictureStreamNames[r.slot], r.picture) << r.slot;
        EXPECT_EQ(lists.musicStreamNames[r.slot], r.music) << r.slot;
    }
}

TEST(SlotLists, LabelsCarryTheNumberAndThePendingPath) {
    SlotLists lists;
    lists.picturePaths[4] = "/home/u/five.jpg";
    lists.musicPaths[21] = "/home/u/titles.mid";
    lists.FormatLabels(SlotKind::Pictures);
    lists.FormatLabels(SlotKind::Music);
    struct Row {
        const std::string& label;
        const char* expected;
    };
    const Row rows[] = {
        {lists.pictureLabels[0], "1. "},
        {lists.pictureLabels[4], "5. /home/u/five.jpg"},
        {lists.pictureLabels[19], "20. "},
        {lists.pictureLabels[20], "21 (Win (Выигрыш)). "},
        {lists.pictureLabels[21], "22 (Jacket (Обложка)). "},
        {lists.musicLabels[4], "5. "},
        {lists.musicLabels[21], "22 (Jacket (Обложка)). /home/u/titles.mid"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(r.label, r.expected);
    }
    // A new format drops the path of the previous one.
    lists.picturePaths[4].clear();
    lists.FormatLabels(SlotKind::Pictures);
    EXPECT_EQ(lists.pictureLabels[4], "5. ");
}

TEST(SlotLists, DropsFillFromTheFirstSlotAndStopAtTheLast) {
    struct Row {
        int first;
        int files;
        std::vector<int> filled;
    };
    const Row rows[] = {
        {0, 3, {0, 1, 2}}, {19, 5, {19, 20, 21}}, {21, 1, {21}},
        {4, 0, {}},        {-3, 1, {0}}, // out of range at the low end: from slot 1
        {40, 2, {}},                     // and at the high end: nothing
    };
    for (const Row& r : rows) {
        SlotLists lists;
        std::vector<std::string> files;
        files.reserve(static_cast<std::size_t>(r.files));
        for (int n = 0; n < r.files; ++n) {
            files.push_back("/f" + std::to_string(n));
        }
        lists.Drop(r.first, files);
        int next = 0;
        for (int i = 0; i < wz::kSlotCount; ++i) {
            const bool filled = std::find(r.filled.begin(), r.filled.end(), i) != r.filled.end();
            EXPECT_EQ(lists.pictureChanged[i], filled) << r.first << " slot " << i;
            EXPECT_EQ(lists.picturePaths[i], filled ? "/f" + std::to_string(next++) : "");
        }
        EXPECT_TRUE(lists.picturesDirty) << "a drop marks its list even when nothing fits";
        EXPECT_FALSE(lists.musicDirty);
    }
}

TEST(SlotLists, DropsGoToTheListOnShowAndReplacePendingPaths) {
    SlotLists lists;
    lists.showingPictures = false;
    lists.Drop(2, {"/a", "/b"});
    lists.Drop(3, {"/c"});
    EXPECT_EQ(lists.musicPaths[2], "/a");
    EXPECT_EQ(lists.musicPaths[3], "/c");
    EXPECT_TRUE(lists.musicDirty);
    EXPECT_FALSE(lists.picturesDirty);
    EXPECT_FALSE(lists.pictureChanged[2]);

    lists.Clear(SlotKind::Music);
    EXPECT_EQ(lists.musicPaths[2], "");
    EXPECT_FALSE(lists.musicChanged[3]);
    EXPECT_FALSE(lists.musicDirty);
}

} // namespace
