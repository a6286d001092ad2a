// Save under faults: a file layer that fails, a process that stops at any write or is killed
// at any moment, a full disk. After each, the asset file must hold either all of its old
// streams or all of the new ones, pass the checks, and take a second Save.

#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "CfbCheck.h"
#include "CfbErrors.h"
#include "CfbFileIo.h"
#include "CfbTestSupport.h"
#include "RecordingSink.h"
#include "SyncProbe.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <random>
#include <sys/mount.h>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

constexpr std::string_view kDoneText = "File WinData.stg was updated.\nФайл WinData.stg обновлен.";

// Removes the fault hook however the test ends.
struct HookReset {
    ~HookReset() { cfb::SetFaultHook(nullptr); }
};

class SaveFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder / "src");
        Prepare(0, 3000);
    }

    // An asset file with streams of streamSize bytes (0: the default mix), and sources that
    // change all 44 slots: pictures from pictureSize bytes up, tracks on both sides of the
    // mini-stream cutoff.
    void Prepare(std::size_t streamSize, std::size_t pictureSize) {
        content = DefaultContent(streamSize);
        ASSERT_TRUE(WriteAssetFile(asset, content));
        original = ReadFile(asset);
        expected = content;
        pictures.clear();
        music.clear();
        const wz::SlotLists names;
        for (int slot = 0; slot < wz::kSlotCount; ++slot) {
            const std::string picture = "Images/" + names.pictureStreamNames[slot];
            const std::string track = "Music/" + names.musicStreamNames[slot];
            expected[picture] = Pattern(pictureSize + 900 * slot, 900 + slot);
            expected[track] = Pattern(200 + 1700 * slot, 950 + slot);
            pictures.push_back(Source("p" + std::to_string(slot), expected[picture]));
            music.push_back(Source("m" + std::to_string(slot), expected[track]));
        }
    }

    std::string Source(const std::string& name, const Bytes& bytes) {
        WriteFile(folder / "src" / name, bytes);
        return (folder / "src" / name).string();
    }

    void DropAll(wz::AssetUpdate& update) {
        update.ShowMusic();
        update.DropFiles(0, music);
        update.ShowPictures();
        update.DropFiles(0, pictures);
    }

    // The file is the old one byte for byte, or holds every new stream and is sound and
    // compact. Answers which.
    bool ExpectOldOrNew() {
        if (ReadFile(asset) == original) {
            return false;
        }
        EXPECT_TRUE(ReadAssetFile(asset) == expected) << "neither the old file nor the new one";
        cfb::CheckReport report;
        EXPECT_EQ(cfb::CheckFile(asset, report), 0);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        EXPECT_EQ(report.freeSectors, 0u);
        return true;
    }

    // A second Save, in this process, completes and leaves the new file.
    void ExpectASecondSaveSucceeds() {
        RecordingSink sink;
        wz::AssetUpdate update(sink, folder.path());
        DropAll(update);
        update.SaveChanges();
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, kDoneText);
        EXPECT_TRUE(ReadAssetFile(asset) == expected);
        EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
    }

    TempFolder folder;
    fs::path asset = folder / "WinData.stg";
    AssetContent content = DefaultContent();
    AssetContent expected;
    Bytes original;
    std::vector<std::string> pictures;
    std::vector<std::string> music;
};

// The file layer fails at its n-th write, for every n a Save reaches, and then the final rename
// fails: each time the asset file is untouched, no scratch file stays, and everything stays
// pending. A failed write says why in the message; the failed rename reaches the command guard.
TEST_F(SaveFaultTest, AFailingWriteLeavesTheOldFileAndEverythingPending) {
    HookReset reset;
    for (const int code : {cfb::kErrIo, cfb::kErrDiskFull}) {
        for (int failAt = 1;; ++failAt) {
            SCOPED_TRACE(std::string(cfb::ErrorText(code)) + " at write " + std::to_string(failAt));
            RecordingSink sink;
            wz::AssetUpdate update(sink, folder.path());
            DropAll(update);
            int writes = 0;
            cfb::SetFaultHook([&] { return ++writes == failAt ? code : 0; });
            update.SaveChanges();
            cfb::SetFaultHook(nullptr);
            ASSERT_EQ(sink.shown.size(), 1u);
            if (writes < failAt) {
                EXPECT_EQ(sink.shown[0].text, kDoneText);
                EXPECT_TRUE(ReadAssetFile(asset) == expected);
                WriteFile(asset, original);
                EXPECT_GT(failAt, 2) << "the copy writes its data, header and size";
                break;
            }
            EXPECT_NE(sink.shown[0].text.find(std::string("\n") + cfb::ErrorText(code)),
                      std::string::npos)
                << sink.shown[0].text;
            EXPECT_TRUE(ReadFile(asset) == original);
            EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
            EXPECT_TRUE(update.lists().picturesDirty && update.lists().musicDirty);
        }
    }
    RecordingSink sink;
    wz::AssetUpdate update(sink, folder.path());
    DropAll(update);
    wz::testkit::FailNextRenameOnto(asset.string(), EIO);
    EXPECT_THROW(update.SaveChanges(), fs::filesystem_error);
    EXPECT_TRUE(ReadFile(asset) == original);
    EXPECT_FALSE(fs::exists(folder / "WinData38746834.stg"));
    EXPECT_TRUE(update.lists().picturesDirty && update.lists().musicDirty);
}

// A Save in a child process ends abruptly just before the n-th write of the file layer, for
// every n it reaches, as a power cut or a crash would end it.
TEST_F(SaveFaultTest, AProcessStoppedAtAnyWriteLeavesOneCompleteFile) {
    std::vector<std::string> argv = {WZ_SAVE_CHILD, folder.path().string(), "0"};
    argv.insert(argv.end(), pictures.begin(), pictures.end());
    argv.push_back("--music");
    argv.insert(argv.end(), music.begin(), music.end());
    int stops = 0;
    for (int stopAt = 1;; ++stopAt) {
        SCOPED_TRACE("stopped at write " + std::to_string(stopAt));
        WriteFile(asset, original);
        argv[2] = std::to_string(stopAt);
        cfbtest::ChildProcess save(argv);
        ASSERT_EQ(save.ReadLine(), "saving");
        const std::string said = save.ReadAll();
        const int status = save.Finish();
        if (status == 0) {
            EXPECT_EQ(said, std::string(kDoneText) + "\n");
            EXPECT_TRUE(ExpectOldOrNew());
            break;
        }
        ++stops;
        EXPECT_EQ(status, 9);
        EXPECT_FALSE(ExpectOldOrNew()) << "stopped before the rename";
        ExpectASecondSaveSucceeds();
    }
    EXPECT_GT(stops, 2);
    std::printf("[ stopped ] %d Saves, each at another write\n", stops);
}

// Saves in child processes killed at random moments, spread over the time a Save takes.
TEST_F(SaveFaultTest, AProcessKilledAtAnyMomentLeavesOneCompleteFile) {
    // Larger streams, so that the copy and its flush take a while.
    Prepare(60000, 60000);
    std::vector<std::string> argv = {WZ_SAVE_CHILD, folder.path().string(), "0"};
    argv.insert(argv.end(), pictures.begin(), pictures.end());
    argv.push_back("--music");
    argv.insert(argv.end(), music.begin(), music.end());

    // How long one whole Save takes here, from its start to the child's exit.
    std::chrono::steady_clock::time_point start;
    {
        cfbtest::ChildProcess save(argv);
        ASSERT_EQ(save.ReadLine(), "saving");
        start = std::chrono::steady_clock::now();
        save.ReadAll();
        ASSERT_EQ(save.Finish(), 0);
    }
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
    std::mt19937 random(12345);
    std::uniform_int_distribution<long> moment(0, whole.count() * 5 / 4);
    int oldFiles = 0;
    int newFiles = 0;
    constexpr int kTrials = 30;
    for (int trial = 0; trial < kTrials; ++trial) {
        SCOPED_TRACE("trial " + std::to_string(trial));
        WriteFile(asset, original);
        cfbtest::ChildProcess save(argv);
        ASSERT_EQ(save.ReadLine(), "saving");
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        save.Kill(SIGKILL);
        save.Finish();
        if (ExpectOldOrNew()) {
            ++newFiles;
        } else {
            ++oldFiles;
            ExpectASecondSaveSucceeds();
        }
        if (HasFailure()) {
            break;
        }
    }
    std::printf("[ killed  ] %d Saves over %lld us: %d left the old file, %d the new one\n",
                kTrials, static_cast<long long>(whole.count()), oldFiles, newFiles);
}

// On a disk that fills up during the copy, Save says so and the asset file is untouched; with
// room made, the same Save succeeds.
TEST_F(SaveFaultTest, AFullDiskLeavesTheOldFile) {
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    std::size_t newSize = 0;
    for (const auto& [path, bytes] : expected) {
        newSize += bytes.size();
    }
    const std::size_t room = 8u << 20;
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, ("size=" + std::to_string(room)).c_str()) != 0) {
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    }
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{disk};
    const fs::path diskAsset = disk / "WinData.stg";
    WriteFile(diskAsset, original);
    // Fillers of several sizes leave the copy short of room at several points.
    for (const std::size_t free : {std::size_t{4096}, newSize / 3, newSize - 8192}) {
        SCOPED_TRACE("room for " + std::to_string(free) + " bytes");
        const fs::space_info space = fs::space(disk);
        const std::size_t filler = space.available > free ? space.available - free : 0;
        WriteFile(disk / "filler", Bytes(filler, 0xAA));
        RecordingSink sink;
        wz::AssetUpdate update(sink, disk);
        DropAll(update);
        update.SaveChanges();
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_NE(sink.shown[0].text.find("\nno space left on the device"), std::string::npos)
            << sink.shown[0].text;
        EXPECT_TRUE(ReadFile(diskAsset) == original);
        EXPECT_FALSE(fs::exists(disk / "WinData38746834.stg"));
        EXPECT_TRUE(update.lists().picturesDirty);

        fs::remove(disk / "filler");
        sink.shown.clear();
        update.SaveChanges();
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, kDoneText);
        EXPECT_TRUE(ReadAssetFile(diskAsset) == expected);
        WriteFile(diskAsset, original);
    }
}

} // namespace
