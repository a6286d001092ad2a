#include "AssetUpdate.h"
#include "AssetFixture.h"
#include "CfbTestSupport.h"
#include "EditorTexts.h"
#include "RecordingSink.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

wz::MessageBoxRequest StartMessage() {
    return {"WZolvikCreator",
            "File WinData.stg missing, corrupt or using another application.\n(Файл "
            "WinData.stg отсутствует, поврежден или занят другим приложением.)",
            wz::MessageIcon::Exclamation, wz::MessageOwner::ActiveWindow};
}

class AssetUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(folder / "WinData.stg", DefaultContent()));
        update.SetTreeHost(&host);
    }
    TempFolder folder;
    RecordingSink sink;
    CountingHost host;
    wz::AssetUpdate update{sink, folder.path()};
};

TEST_F(AssetUpdateTest, StartUpAcceptsAUsableFileAndHoldsNothingOpen) {
    update.lists().picturePaths[3] = "/dropped.jpg";
    update.lists().pictureChanged[3] = true;
    update.lists().musicDirty = true;
    update.lists().selectedSlot = 7;

    EXPECT_TRUE(update.InitialUpdate());
    EXPECT_TRUE(sink.shown.empty());
    // Flags and paths cleared, slot 1 selected, the picture list shown once.
    EXPECT_FALSE(update.lists().pictureChanged[3]);
    EXPECT_EQ(update.lists().picturePaths[3], "");
    EXPECT_EQ(update.lists().pictureLabels[3], "4. ");
    EXPECT_FALSE(update.lists().musicDirty);
    EXPECT_EQ(update.lists().selectedSlot, 0);
    EXPECT_TRUE(update.lists().showingPictures);
    EXPECT_EQ(host.rebuilds, 1);
    // Nothing stays open: another read-write open succeeds at once.
    EXPECT_TRUE(update.TestAssetFile());
}

TEST_F(AssetUpdateTest, StartUpRefusesUnusableFiles) {
    struct Row {
        const char* what;
        void (*spoil)(const fs::path& file);
    };
    const Row rows[] = {
        {"missing", [](const fs::path& f) { fs::remove(f); }},
        {"not a compound file", [](const fs::path& f) { WriteFile(f, Pattern(2048, 9)); }},
        {"empty", [](const fs::path& f) { WriteFile(f, {}); }},
        {"a folder",
         [](const fs::path& f) {
             fs::remove(f);
             fs::create_directory(f);
         }},
        {"cut short",
         [](const fs::path& f) {
             Bytes b = ReadFile(f);
             b.resize(b.size() / 2);
             WriteFile(f, b);
         }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const fs::path file = folder / "WinData.stg";
        fs::remove_all(file);
        ASSERT_TRUE(WriteAssetFile(file, DefaultContent()));
        r.spoil(file);
        sink.shown.clear();
        host.rebuilds = 0;
        EXPECT_FALSE(update.InitialUpdate());
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], StartMessage());
        EXPECT_EQ(host.rebuilds, 1) << "the picture list is shown even after a failed test";
    }
}

TEST_F(AssetUpdateTest, StartUpMakesAReadOnlyFileWritable) {
    const fs::path file = folder / "WinData.stg";
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(update.InitialUpdate());
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// While the game runs it holds the file with three read-only opens; the editor's read-write
// exclusive open must fail then, and succeed again once the game has ended.
TEST_F(AssetUpdateTest, StartUpFailsWhileAnotherProgramHoldsTheFile) {
    const fs::path file = folder / "WinData.stg";
    {
        cfbtest::ChildProcess game({WZ_HOLD_ASSET, file.string()});
        ASSERT_EQ(game.ReadLine(), "held");
        EXPECT_FALSE(update.InitialUpdate());
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], StartMessage());
        EXPECT_EQ(game.Finish(), 0);
    }
    EXPECT_TRUE(update.TestAssetFile());
}

TEST_F(AssetUpdateTest, RevertCurrentClearsOnlyTheListOnShow) {
    wz::SlotLists& lists = update.lists();
    lists.selectedSlot = 6;
    update.DropFiles(2, {"/p1", "/p2"});
    update.ShowMusic();
    update.DropFiles(0, {"/m1"});

    update.RevertCurrent(); // the music list is on show
    EXPECT_FALSE(lists.musicDirty);
    EXPECT_EQ(lists.musicPaths[0], "");
    EXPECT_FALSE(lists.musicChanged[0]);
    EXPECT_TRUE(lists.picturesDirty);
    EXPECT_EQ(lists.picturePaths[3], "/p2");
    EXPECT_FALSE(lists.showingPictures);
    EXPECT_EQ(lists.selectedSlot, 6);

    update.ShowPictures();
    update.DropFiles(0, {"/p0"});
    update.ShowMusic();
    update.DropFiles(5, {"/m5"});
    update.ShowPictures();
    update.RevertCurrent();
    EXPECT_FALSE(lists.picturesDirty);
    EXPECT_EQ(lists.picturePaths[0], "");
    EXPECT_EQ(lists.musicPaths[5], "/m5");
    EXPECT_EQ(lists.musicLabels[5], "6. /m5");
    EXPECT_EQ(lists.pictureLabels[3], "4. ");
}

TEST_F(AssetUpdateTest, RestoreLastCopyDropsEverythingAndShowsSlotOneOfThePictures) {
    wz::SlotLists& lists = update.lists();
    update.DropFiles(4, {"/p"});
    update.ShowMusic();
    update.DropFiles(4, {"/m"});
    lists.selectedSlot = 9;
    const Bytes before = ReadFile(folder / "WinData.stg");

    update.RestoreLastCopy();
    EXPECT_EQ(lists.selectedSlot, 0);
    EXPECT_TRUE(lists.showingPictures);
    EXPECT_FALSE(lists.picturesDirty || lists.musicDirty);
    EXPECT_EQ(lists.picturePaths[4], "");
    EXPECT_EQ(lists.musicPaths[4], "");
    EXPECT_EQ(ReadFile(folder / "WinData.stg"), before) << "Restore never touches the file";
    EXPECT_TRUE(sink.shown.empty());
}

} // namespace
