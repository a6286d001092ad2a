#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "CfbCheck.h"
#include "CfbTestSupport.h"
#include "CommandGuard.h"
#include "CompoundStorage.h"
#include "RecordingSink.h"
#include "SyncProbe.h"

#include <gtest/gtest.h>

#include <new>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

const wz::MessageBoxRequest kDone{"WZolvikCreator",
                                  "File WinData.stg was updated.\nФайл WinData.stg обновлен.",
                                  wz::MessageIcon::None, wz::MessageOwner::ActiveWindow};
const wz::MessageBoxRequest kOpenFailed{
    "WZolvikCreator",
    "Error: File WinData.stg missing, corrupt or using another application.\n(Ошибка: Файл "
    "WinData.stg отсутствует, поврежден или занят другим приложением.)",
    wz::MessageIcon::Exclamation, wz::MessageOwner::ActiveWindow};
const wz::MessageBoxRequest kScratchFailed{
    "WZolvikCreator",
    "Error: File WinData38746834.stg missing, corrupt or using another application.\n(Ошибка: "
    "Файл WinData38746834.stg отсутствует, поврежден или занят другим приложением.)",
    wz::MessageIcon::Exclamation, wz::MessageOwner::ActiveWindow};

// A failure's message, with the system's reason on a line of its own.
wz::MessageBoxRequest WithReason(wz::MessageBoxRequest request, const std::string& reason) {
    request.text += "\n" + reason;
    return request;
}

wz::MessageBoxRequest SourceFailed(const std::string& path, const std::string& reason = {}) {
    wz::MessageBoxRequest request{
        "WZolvikCreator",
        "Error: Can't open or read file " + path +
            " or out of memory !\n(Ошибка: Невозможно открыть или читать файл " + path +
            " или не хватает памяти !)",
        wz::MessageIcon::Exclamation, wz::MessageOwner::ActiveWindow};
    return reason.empty() ? request : WithReason(request, reason);
}

// Raises an exception below the stream loop when it reaches one chosen source file.
class FailingUpdate : public wz::AssetUpdate {
public:
    using wz::AssetUpdate::AssetUpdate;
    std::string throwAt;

protected:
    bool ReadSource(const std::string& path, std::vector<std::uint8_t>& bytes,
                    std::string& reason) override {
        if (path == throwAt) {
            throw std::bad_alloc();
        }
        return wz::AssetUpdate::ReadSource(path, bytes, reason);
    }
};

class SaveChangesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(asset, content));
        fs::create_directory(folder / "src");
        update.SetTreeHost(&host);
    }

    // A source file of its own bytes in the sources folder.
    std::string Source(const std::string& name, const Bytes& bytes) {
        const fs::path file = folder / "src" / name;
        WriteFile(file, bytes);
        return file.string();
    }

    void Drop(bool pictures, int first, const std::vector<std::string>& files) {
        pictures ? update.ShowPictures() : update.ShowMusic();
        update.DropFiles(first, files);
    }

    // Runs Save, which must show exactly this one message.
    void SaveExpecting(const wz::MessageBoxRequest& message) {
        update.SaveChanges();
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], message);
    }

    // The file holds exactly the expected streams and is compact and sound for other readers.
    void ExpectSavedAs(const AssetContent& expected) {
        EXPECT_EQ(ReadAssetFile(asset), expected);
        EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
        int freeSectors = -1;
        EXPECT_EQ(CheckWithOlefile(asset, &freeSectors), "");
        EXPECT_EQ(freeSectors, 0) << "the compaction leaves no free sector";
        // Our own structural checker agrees, and finds no sector that nothing uses.
        cfb::CheckReport report;
        EXPECT_EQ(cfb::CheckFile(asset, report), 0);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_EQ(report.freeSectors, 0u);
        EXPECT_EQ(report.strayedSectors, 0u);
    }

    void ExpectAllPending(int pictures, int music) {
        const wz::SlotLists& lists = update.lists();
        EXPECT_EQ(std::count(lists.pictureChanged.begin(), lists.pictureChanged.end(), true),
                  pictures);
        EXPECT_EQ(std::count(lists.musicChanged.begin(), lists.musicChanged.end(), true), music);
        EXPECT_EQ(lists.picturesDirty, pictures > 0);
        EXPECT_EQ(lists.musicDirty, music > 0);
    }

    TempFolder folder;
    fs::path asset = folder / "WinData.stg";
    AssetContent content = DefaultContent();
    RecordingSink sink;
    CountingHost host;
    FailingUpdate update{sink, folder.path()};
};

TEST_F(SaveChangesTest, NothingPendingDoesNothingButSelectSlotOne) {
    const Bytes before = ReadFile(asset);
    update.lists().selectedSlot = 12;
    host.rebuilds = 0;
    update.SaveChanges();
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(host.rebuilds, 0);
    EXPECT_EQ(update.lists().selectedSlot, 0);
    EXPECT_EQ(ReadFile(asset), before);
}

TEST_F(SaveChangesTest, WritesEachListAloneOrBoth) {
    struct Row {
        const char* what;
        std::vector<int> pictures; // slots to replace
        std::vector<int> music;
    };
    const Row rows[] = {
        {"pictures only", {0, 1, 20, 21}, {}},
        {"music only", {}, {5, 20, 21}},
        {"both", {3, 4}, {0, 19}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteAssetFile(asset, content));
        sink.shown.clear();
        AssetContent expected = content;
        std::uint32_t seed = 100;
        for (const bool pictures : {true, false}) {
            for (int slot : pictures ? r.pictures : r.music) {
                // Sizes on both sides of the mini-stream cutoff, and exactly at it.
                const Bytes bytes = Pattern(slot % 2 ? 4096 : 20000 + slot, ++seed);
                const std::string name = (pictures ? update.lists().pictureStreamNames
                                                   : update.lists().musicStreamNames)[slot];
                expected[(pictures ? "Images/" : "Music/") + name] = bytes;
                Drop(pictures, slot, {Source(name + (pictures ? ".jpg" : ".mid"), bytes)});
            }
        }
        update.lists().selectedSlot = 5;
        wz::testkit::TakeRenames();
        SaveExpecting(kDone);
        ExpectSavedAs(expected);
        // The copy reached the disk before it took the asset file's name.
        const auto renames = wz::testkit::TakeRenames();
        ASSERT_EQ(renames.size(), 1u);
        EXPECT_EQ(renames[0].to, asset.string());
        EXPECT_TRUE(renames[0].flushed);
        ExpectAllPending(0, 0);
        EXPECT_TRUE(update.lists().showingPictures);
        EXPECT_EQ(update.lists().selectedSlot, 0);
        EXPECT_EQ(update.lists().pictureLabels[0], "1. ");
    }
}

TEST_F(SaveChangesTest, AllFortyFourSlotsAtOnce) {
    AssetContent expected = content;
    for (const bool pictures : {true, false}) {
        std::vector<std::string> files;
        for (int slot = 0; slot < wz::kSlotCount; ++slot) {
            const Bytes bytes = Pattern(1000 + 700 * slot, 500 + slot + (pictures ? 0 : 50));
            const std::string name = (pictures ? update.lists().pictureStreamNames
                                               : update.lists().musicStreamNames)[slot];
            expected[(pictures ? "Images/" : "Music/") + name] = bytes;
            files.push_back(Source((pictures ? 'p' : 'm') + std::to_string(slot), bytes));
        }
        Drop(pictures, 0, files);
    }
    SaveExpecting(kDone);
    ExpectSavedAs(expected);
}

// A file of real pictures and tracks, made by the asset tool, stays one that the tool accepts
// after every slot has been given another slot's picture or track.
TEST_F(SaveChangesTest, ASavedDefaultFilePassesTheAssetToolsCheck) {
    const std::string tool = WZ_ASSET_TOOL;
    const CommandResult build = RunShell(tool + " build '" + asset.string() + "' --quiet");
    ASSERT_EQ(build.status, 0) << build.output;
    const AssetContent original = ReadAssetFile(asset);
    ASSERT_FALSE(original.empty());
    AssetContent expected = original;
    for (const bool pictures : {true, false}) {
        const wz::SlotStrings& names =
            pictures ? update.lists().pictureStreamNames : update.lists().musicStreamNames;
        const std::string dir = pictures ? "Images/" : "Music/";
        std::vector<std::string> files;
        for (int slot = 0; slot < wz::kSlotCount; ++slot) {
            const Bytes& bytes = original.at(dir + names[(slot + 1) % 21]);
            expected[dir + names[slot]] = bytes;
            files.push_back(Source((pictures ? 'p' : 'm') + std::to_string(slot), bytes));
        }
        Drop(pictures, 0, files);
    }
    SaveExpecting(kDone);
    ExpectSavedAs(expected);
    const CommandResult check = RunShell(tool + " check '" + asset.string() + "'");
    EXPECT_EQ(check.status, 0) << check.output;
}

TEST_F(SaveChangesTest, TheSameFileOnTwoSlotsLandsInBoth) {
    const Bytes bytes = Pattern(6000, 77);
    const std::string file = Source("twice.jpg", bytes);
    Drop(true, 7, {file, file});
    update.SaveChanges();
    AssetContent expected = content;
    expected["Images/Love8"] = bytes;
    expected["Images/Love9"] = bytes;
    ExpectSavedAs(expected);
}

// Every source failure stops Save before anything is written: the message names the file and
// says why, the asset file is untouched, and all pending changes stay for the next attempt.
TEST_F(SaveChangesTest, ASourceThatCannotBeReadStopsSaveBeforeAnyWrite) {
    // Each makes a bad source in the sources folder and answers its path.
    struct Row {
        const char* what;
        std::function<std::string(const fs::path&)> badSource;
        const char* reason;
    };
    const Row rows[] = {
        {"deleted after the drop",
         [](const fs::path& src) {
             WriteFile(src / "gone.jpg", Pattern(100, 1));
             fs::remove(src / "gone.jpg");
             return (src / "gone.jpg").string();
         },
         "No such file or directory"},
        {"empty",
         [](const fs::path& src) {
             WriteFile(src / "empty.jpg", {});
             return (src / "empty.jpg").string();
         },
         "the file is empty"},
        {"a folder",
         [](const fs::path& src) {
             fs::create_directory(src / "dir.jpg");
             return (src / "dir.jpg").string();
         },
         "not a regular file"},
        {"a name with a percent sign, gone",
         [](const fs::path& src) { return (src / "100%s.jpg").string(); },
         "No such file or directory"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteAssetFile(asset, content));
        const Bytes before = ReadFile(asset);
        update.RestoreLastCopy();
        sink.shown.clear();
        const std::string bad = r.badSource(folder / "src");
        Drop(true, 2,
             {Source("a.jpg", Pattern(5000, 31)), bad, Source("c.jpg", Pattern(5000, 33))});
        Drop(false, 0, {Source("m.mid", Pattern(50, 3))});
        host.rebuilds = 0;

        SaveExpecting(SourceFailed(bad, r.reason));
        EXPECT_EQ(host.rebuilds, 0) << "no rebuild after a failure";
        ExpectAllPending(3, 1);
        EXPECT_EQ(ReadFile(asset), before);
        EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
    }
}

// A slot whose stream is missing from the file is written as a new stream; the storage that
// holds it must exist.
TEST_F(SaveChangesTest, AStreamMissingFromTheFileIsAdded) {
    AssetContent partial = content;
    partial.erase("Music/Love4");
    ASSERT_TRUE(WriteAssetFile(asset, partial));
    const Bytes bytes = Pattern(300, 4);
    Drop(false, 3, {Source("four.mid", bytes)});
    SaveExpecting(kDone);
    AssetContent expected = content;
    expected["Music/Love4"] = bytes;
    ExpectSavedAs(expected);
}

TEST_F(SaveChangesTest, AnAssetFileThatCannotBeOpenedStopsSaveBeforeAnyWrite) {
    // No storage "Music": nothing is written, not even the pictures.
    AssetContent noMusic;
    for (const auto& [path, bytes] : content) {
        if (path.rfind("Music/", 0) != 0) {
            noMusic[path] = bytes;
        }
    }
    ASSERT_TRUE(WriteAssetFile(asset, noMusic));
    const Bytes before = ReadFile(asset);
    Drop(true, 0, {Source("p.jpg", Pattern(9000, 8))});
    Drop(false, 0, {Source("m.mid", Pattern(90, 9))});
    SaveExpecting(WithReason(kOpenFailed, "the file has no storage \"Music\""));
    EXPECT_EQ(ReadFile(asset), before);
    ExpectAllPending(1, 1);

    // And with the file gone altogether.
    fs::remove(asset);
    sink.shown.clear();
    SaveExpecting(WithReason(kOpenFailed, "file not found"));
    EXPECT_FALSE(fs::exists(asset));
}

TEST_F(SaveChangesTest, SaveFailsWhileTheGameHoldsTheFile) {
    Drop(true, 0, {Source("p.jpg", Pattern(900, 8))});
    const Bytes before = ReadFile(asset);
    {
        cfbtest::ChildProcess game({WZ_HOLD_ASSET, asset.string()});
        ASSERT_EQ(game.ReadLine(), "held");
        update.SaveChanges();
    }
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], WithReason(kOpenFailed, "the file is in use by another open"));
    EXPECT_EQ(ReadFile(asset), before);
    ExpectAllPending(1, 0);
}

TEST_F(SaveChangesTest, AScratchFileThatCannotBeMadeLeavesTheAssetFileAlone) {
    const fs::path scratch = folder / "WinData38746834.stg";
    fs::create_directories(scratch / "in the way");
    const Bytes before = ReadFile(asset);
    const Bytes picture = Pattern(7000, 12);
    Drop(true, 21, {Source("jacket.jpg", picture)});
    update.SaveChanges();
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text.rfind(kScratchFailed.text + "\n", 0), 0u) << sink.shown[0].text;
    EXPECT_EQ(ReadFile(asset), before);
    EXPECT_TRUE(fs::exists(scratch / "in the way"));
    ExpectAllPending(1, 0);

    // Once the way is clear the same changes save, and an old scratch file is replaced.
    fs::remove_all(scratch);
    WriteFile(scratch, Pattern(100, 1));
    sink.shown.clear();
    SaveExpecting(kDone);
    AssetContent expected = content;
    expected["Images/Jacket"] = picture;
    ExpectSavedAs(expected);
}

// An exception while the sources are read shows the source message, then reaches the
// dispatcher, which adds its own; nothing is lost.
TEST_F(SaveChangesTest, AnExceptionInAPhaseShowsItsMessageThenTheDispatchers) {
    const Bytes first = Pattern(5000, 41);
    const std::string boom = Source("boom.jpg", Pattern(5000, 42));
    update.throwAt = boom;
    Drop(true, 0, {Source("a.jpg", first), boom});
    EXPECT_FALSE(wz::RunCommand(sink, [&] { update.SaveChanges(); }));
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0], SourceFailed(boom));
    EXPECT_EQ(sink.shown[1].text,
              "The command could not be completed: out of memory\n(Не удалось выполнить "
              "команду: out of memory)");
    EXPECT_EQ(sink.shown[1].icon, wz::MessageIcon::Exclamation);
    ExpectAllPending(2, 0);
    EXPECT_EQ(ReadAssetFile(asset), content);
    EXPECT_TRUE(update.TestAssetFile()) << "the phase closed the file";
}

TEST_F(SaveChangesTest, TheSavedFileKeepsItsPermissionsAndLongSourcePathsWork) {
    fs::permissions(asset, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // A source path well beyond 259 characters.
    fs::path deep = folder / "src";
    for (int i = 0; i < 8; ++i) {
        deep /= std::string(40, static_cast<char>('a' + i));
    }
    fs::create_directories(deep);
    const Bytes bytes = Pattern(3000, 5);
    WriteFile(deep / "song.mid", bytes);
    ASSERT_GT((deep / "song.mid").string().size(), 300u);
    Drop(false, 21, {(deep / "song.mid").string()});
    SaveExpecting(kDone);
    AssetContent expected = content;
    expected["Music/Titles"] = bytes;
    ExpectSavedAs(expected);
    EXPECT_EQ(fs::status(asset).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

} // namespace
