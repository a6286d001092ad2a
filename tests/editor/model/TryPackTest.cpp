#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "CfbTestSupport.h"
#include "MediaFiles.h"
#include "RecordingSink.h"
#include "TryInGame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

class TryPackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(asset, DefaultContent()));
        ASSERT_TRUE(update.InitialUpdate());
    }

    std::string Source(const std::string& name, const Bytes& bytes) {
        WriteFile(folder / name, bytes);
        return (folder / name).string();
    }

    void Drop(bool pictures, int first, const std::vector<std::string>& files) {
        pictures ? update.ShowPictures() : update.ShowMusic();
        update.DropFiles(first, files);
    }

    // The packs and fitted pictures in the temporary folder.
    std::vector<fs::path> TempFiles() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(temp.path())) {
            files.push_back(entry.path());
        }
        std::sort(files.begin(), files.end());
        return files;
    }

    TempFolder folder;
    TempFolder temp{"wztry"};
    wz::testkit::TmpdirOverride tmpdir{temp.path()};
    fs::path asset = folder / "WinData.stg";
    RecordingSink sink;
    wz::AssetUpdate update{sink, folder.path()};
};

// A pack holds, stream for stream, what Save then writes into the asset file: every pending
// picture and track, a fitted picture as fitted, a file that would not play once the user
// says so. Until then the asset file, the pending changes and the selection are untouched,
// and a game already holding the asset file does not stop a Try.
TEST_F(TryPackTest, APackIsWhatSaveWouldWrite) {
    Drop(true, 0, {Source("a.jpg", Background())});
    Drop(true, 2, {Source("photo.jpg", JpegPicture(640, 480))});
    ASSERT_TRUE(update.FitPicture(2, {}));
    Drop(true, 5, {Source("not-a-picture.jpg", Pattern(4000, 5))});
    Drop(false, 20, {Source("win.mid", MidiTrack(3))});
    update.lists().selectedSlot = 11;
    const wz::SlotLists before = update.lists();
    const Bytes stored = ReadFile(asset);

    std::vector<std::string> packs;
    {
        cfbtest::ChildProcess game({WZ_HOLD_ASSET, asset.string()});
        ASSERT_EQ(game.ReadLine(), "held");
        for (int i = 0; i < 2; ++i) {
            packs.push_back(update.WriteTryPack());
            ASSERT_FALSE(packs.back().empty()) << sink.shown.back().text;
        }
    }
    EXPECT_NE(packs[0], packs[1]) << "each Try has a pack of its own";
    for (const std::string& pack : packs) {
        EXPECT_EQ(fs::path(pack).parent_path(), temp.path());
        struct stat info {};
        ASSERT_EQ(::stat(pack.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600);
    }
    EXPECT_TRUE(sink.shown.empty());
    ASSERT_EQ(sink.asked.size(), 2u) << "the question Save asks, at each Try";
    EXPECT_EQ(ReadFile(asset), stored);
    const wz::SlotLists& after = update.lists();
    EXPECT_EQ(after.picturePaths, before.picturePaths);
    EXPECT_EQ(after.musicPaths, before.musicPaths);
    EXPECT_EQ(after.pictureChanged, before.pictureChanged);
    EXPECT_EQ(after.musicChanged, before.musicChanged);
    EXPECT_EQ(after.selectedSlot, 11);
    EXPECT_TRUE(fs::exists(after.picturePaths[2])) << "the fitted picture still waits";

    update.SaveChanges();
    ASSERT_EQ(sink.asked.size(), 3u);
    EXPECT_EQ(sink.asked[2], sink.asked[0]);
    const AssetContent saved = ReadAssetFile(asset);
    EXPECT_EQ(ReadAssetFile(packs[0]), saved);
    EXPECT_EQ(ReadAssetFile(packs[1]), saved);
}

// A Try that stops leaves nothing in the temporary folder and the pending changes as they were.
TEST_F(TryPackTest, AStoppedTryLeavesNoPack) {
    struct Row {
        const char* what;
        std::function<void()> prepare;
        std::string shownStart; // "" when nothing is shown
    };
    const Row rows[] = {
        {"the user says No to files that would not play",
         [this] { sink.answers = {wz::MessageAnswer::No}; }, ""},
        {"a pending file is gone", [this] { fs::remove(folder / "bad.jpg"); },
         "Error: Can't open or read file "},
        {"the asset file is gone", [this] { fs::remove(asset); },
         "Error: File WinData.stg missing"},
        {"the temporary folder is missing",
         [this] { ::setenv("TMPDIR", (temp / "gone").c_str(), 1); },
         "Error: Can't write the game to try in folder "},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteAssetFile(asset, DefaultContent()));
        sink = {};
        Drop(true, 7, {Source("bad.jpg", Pattern(3000, 9))});
        r.prepare();
        EXPECT_EQ(update.WriteTryPack(), "");
        ::setenv("TMPDIR", temp.path().c_str(), 1);
        EXPECT_TRUE(TempFiles().empty());
        EXPECT_TRUE(update.lists().pictureChanged[7]);
        if (r.shownStart.empty()) {
            EXPECT_TRUE(sink.shown.empty());
        } else {
            ASSERT_EQ(sink.shown.size(), 1u);
            EXPECT_TRUE(sink.shown[0].text.starts_with(r.shownStart)) << sink.shown[0].text;
        }
    }
}

// Picture or track N plays level N, the final ones the last level, the jacket and the title
// music the title screen.
TEST(TryLevelTest, TheGameStartsWhereTheSlotIsSeen) {
    const std::pair<int, std::vector<std::string>> rows[] = {
        {0, {"--level", "1", "/t/p"}},
        {11, {"--level", "12", "/t/p"}},
        {19, {"--level", "20", "/t/p"}},
        {20, {"--level", "20", "/t/p"}},
        {21, {"/t/p"}},
    };
    for (const auto& [slot, arguments] : rows) {
        EXPECT_EQ(wz::TryArguments(slot, "/t/p"), arguments) << slot;
    }
}

} // namespace
