#include "SlotChecks.h"
#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "MediaFiles.h"
#include "RecordingSink.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;
using wz::SlotKind;

TEST(SlotChecks, PicturesMustBeBackgroundsAndTracksMustHaveNotes) {
    Bytes cut = Background();
    cut.resize(cut.size() / 2);
    struct Row {
        const char* what;
        SlotKind kind;
        Bytes bytes;
        std::string problem; // a prefix of the expected problem; empty for a sound file
    };
    const Row rows[] = {
        {"a background", SlotKind::Pictures, Background(), ""},
        {"a picture of another size", SlotKind::Pictures, JpegPicture(640, 480),
         "picture is 640 x 480, the game needs 296 x 432"},
        {"one pixel too narrow", SlotKind::Pictures, JpegPicture(295, 432),
         "picture is 295 x 432, the game needs 296 x 432"},
        {"not a JPEG", SlotKind::Pictures, Pattern(3000, 1), "not a JPEG picture"},
        {"a track in a picture slot", SlotKind::Pictures, MidiTrack(4), "not a JPEG picture"},
        {"a JPEG cut in half", SlotKind::Pictures, cut, "picture does not decode"},
        {"a track with notes", SlotKind::Music, MidiTrack(4), ""},
        {"a track with no notes", SlotKind::Music, MidiTrack(0), "no notes"},
        {"not a MIDI file", SlotKind::Music, Pattern(3000, 2),
         "not a Standard MIDI File (no MThd header)"},
        {"a picture in a music slot", SlotKind::Music, Background(), "not a Standard MIDI File"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        const std::string problem = wz::CheckSlotBytes(r.kind, r.bytes);
        if (r.problem.empty()) {
            EXPECT_EQ(problem, "");
        } else {
            EXPECT_TRUE(problem.starts_with(r.problem)) << problem;
        }
    }
}

class SlotCheckUpdateTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(asset, content));
        update.SetTreeHost(&host);
    }

    std::string Source(const std::string& name, const Bytes& bytes) {
        WriteFile(folder / name, bytes);
        return (folder / name).string();
    }

    wz::MessageBoxRequest Question(const std::string& lines) const {
        return {"WZolvikCreator",
                "These files will not play in the game:\n" + lines +
                    "\nSave them anyway?\n(Эти файлы не будут работать в игре. Всё равно "
                    "сохранить их?)",
                wz::MessageIcon::Exclamation, wz::MessageOwner::ActiveWindow};
    }

    TempFolder folder;
    fs::path asset = folder / "WinData.stg";
    AssetContent content = DefaultContent();
    RecordingSink sink;
    CountingHost host;
    wz::AssetUpdate update{sink, folder.path()};
};

TEST_F(SlotCheckUpdateTest, EachDroppedFileIsCheckedAndStaysPending) {
    const std::string good = Source("good.jpg", Background());
    const std::string large = Source("large.jpg", JpegPicture(640, 480));
    const std::string gone = (folder / "gone.jpg").string();
    update.DropFiles(2, {good, large, gone});
    const wz::SlotLists& lists = update.lists();
    EXPECT_EQ(lists.pictureProblems[2], "");
    EXPECT_EQ(lists.pictureProblems[3], "picture is 640 x 480, the game needs 296 x 432");
    EXPECT_EQ(lists.pictureProblems[4], "cannot be read: No such file or directory");
    for (int slot : {2, 3, 4}) {
        EXPECT_TRUE(lists.pictureChanged[slot]) << slot;
    }
    EXPECT_EQ(lists.pictureLabels[3], "4. " + large);

    // The music list checks its own way, and a new file in a slot is checked afresh.
    update.ShowMusic();
    update.DropFiles(0, {Source("silent.mid", MidiTrack(0)), large});
    EXPECT_EQ(lists.musicProblems[0], "no notes");
    EXPECT_TRUE(lists.musicProblems[1].starts_with("not a Standard MIDI File"));
    update.DropFiles(0, {Source("tune.mid", MidiTrack(8))});
    EXPECT_EQ(lists.musicProblems[0], "");
    // A huge file is not read at the drop.
    const fs::path huge = folder / "huge.mid";
    WriteFile(huge, MidiTrack(2));
    fs::resize_file(huge, wz::kMaxCheckedFileSize + 1);
    update.DropFiles(2, {huge.string()});
    EXPECT_EQ(lists.musicProblems[2], "file of 67108865 bytes, too large for a track");
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(sink.asked.empty());

    // Problems go with their paths: Revert current clears the list on show only.
    update.RevertCurrent();
    EXPECT_EQ(lists.musicProblems[1], "");
    EXPECT_EQ(lists.pictureProblems[3], "picture is 640 x 480, the game needs 296 x 432");
    update.RestoreLastCopy();
    EXPECT_EQ(lists.pictureProblems[3], "");
}

// New and Open start the view over: the labels must not show what Save would not write.
TEST_F(SlotCheckUpdateTest, InitialUpdateClearsPathsAndProblemsOfBothLists) {
    update.DropFiles(0, {Source("a.jpg", JpegPicture(100, 100))});
    update.ShowMusic();
    update.DropFiles(5, {Source("b.mid", MidiTrack(3))});
    update.lists().selectedSlot = 5;
    EXPECT_TRUE(update.InitialUpdate());
    const wz::SlotLists& lists = update.lists();
    EXPECT_EQ(lists.picturePaths, wz::SlotStrings{});
    EXPECT_EQ(lists.musicPaths, wz::SlotStrings{});
    EXPECT_EQ(lists.pictureProblems, wz::SlotStrings{});
    EXPECT_FALSE(lists.picturesDirty || lists.musicDirty);
    EXPECT_TRUE(lists.showingPictures);
    EXPECT_EQ(lists.pictureLabels[0], "1. ");
    update.ShowMusic();
    EXPECT_EQ(lists.musicLabels[5], "6. ");

    // And Save then has nothing to write.
    const Bytes before = ReadFile(asset);
    update.SaveChanges();
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(ReadFile(asset), before);
}

TEST_F(SlotCheckUpdateTest, SoundFilesSaveWithoutAQuestion) {
    const Bytes picture = Background();
    const Bytes track = MidiTrack(5);
    update.DropFiles(21, {Source("jacket.jpg", picture)});
    update.ShowMusic();
    update.DropFiles(21, {Source("titles.mid", track)});
    update.SaveChanges();
    EXPECT_TRUE(sink.asked.empty());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "File WinData.stg was updated.\nФайл WinData.stg обновлен.");
    const AssetContent saved = ReadAssetFile(asset);
    EXPECT_EQ(saved.at("Images/Jacket"), picture);
    EXPECT_EQ(saved.at("Music/Titles"), track);
}

TEST_F(SlotCheckUpdateTest, NoToTheQuestionWritesNothingAndKeepsEverythingPending) {
    const std::string good = Source("good.jpg", Background());
    const std::string small = Source("small.jpg", JpegPicture(100, 80));
    const std::string silent = Source("silent.mid", MidiTrack(0));
    update.DropFiles(0, {good, small});
    update.ShowMusic();
    update.DropFiles(3, {silent});
    const Bytes before = ReadFile(asset);
    sink.answers = {wz::MessageAnswer::No};
    update.SaveChanges();
    ASSERT_EQ(sink.asked.size(), 1u);
    EXPECT_EQ(sink.asked[0], Question(small + ": picture is 100 x 80, the game needs 296 x 432\n" +
                                      silent + ": no notes"));
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(ReadFile(asset), before);
    EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
    const wz::SlotLists& lists = update.lists();
    EXPECT_TRUE(lists.picturesDirty && lists.musicDirty);
    EXPECT_TRUE(lists.pictureChanged[0] && lists.pictureChanged[1] && lists.musicChanged[3]);
    EXPECT_EQ(lists.musicLabels[3], "4. " + silent);

    // The asset file is free again: Yes then saves every pending file as it is.
    sink.answers.push_back(wz::MessageAnswer::Yes);
    update.SaveChanges();
    ASSERT_EQ(sink.asked.size(), 2u);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "File WinData.stg was updated.\nФайл WinData.stg обновлен.");
    const AssetContent saved = ReadAssetFile(asset);
    EXPECT_EQ(saved.at("Images/Love2"), ReadFile(small));
    EXPECT_EQ(saved.at("Music/Love4"), ReadFile(silent));
    EXPECT_EQ(lists.pictureProblems, wz::SlotStrings{});
}

// Save checks what it reads, not what was dropped: a file may change in between.
TEST_F(SlotCheckUpdateTest, SaveChecksTheFilesAsTheyAreWhenRead) {
    const std::string changing = Source("changing.jpg", Background());
    const std::string mended = Source("mended.jpg", Pattern(2000, 3));
    update.DropFiles(6, {changing, mended});
    ASSERT_EQ(update.lists().pictureProblems[6], "");
    ASSERT_NE(update.lists().pictureProblems[7], "");
    WriteFile(changing, JpegPicture(432, 296));
    WriteFile(mended, Background());
    sink.answers = {wz::MessageAnswer::No};
    host.rebuilds = 0;
    update.SaveChanges();
    ASSERT_EQ(sink.asked.size(), 1u);
    EXPECT_EQ(sink.asked[0],
              Question(changing + ": picture is 432 x 296, the game needs 296 x 432"));
    // The tree shows the warnings as Save found them.
    EXPECT_EQ(update.lists().pictureProblems[6], "picture is 432 x 296, the game needs 296 x 432");
    EXPECT_EQ(update.lists().pictureProblems[7], "");
    EXPECT_EQ(host.rebuilds, 1);
}

} // namespace
