#include "SettingsFile.h"
#include "FileSizeLimit.h"
#include "MessageBox.h"
#include "ScratchFolder.h"
#include "SyncProbe.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct RecordingSink : wz::MessageBoxSink {
    std::vector<wz::MessageBoxRequest> shown;
    void ShowMessage(const wz::MessageBoxRequest& request) override { shown.push_back(request); }
};

const wz::MessageBoxRequest kSaveFailed{"WinZolvik", "Error: Can't open file: WinZolvik.cfg",
                                        wz::MessageIcon::Stop, wz::MessageOwner::ActiveWindow};

class SettingsFileTest : public ::testing::Test {
protected:
    fs::path Kept() const { return folder / "WinZolvik.cfg.bad"; }
    std::vector<std::uint8_t> FileBytes() const { return FileBytes(file); }
    static std::vector<std::uint8_t> FileBytes(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteBytes(const std::vector<std::uint8_t>& bytes) const {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::size_t EntriesInFolder() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }

    wz::testkit::ScratchFolder scratch{"settings"};
    fs::path folder = scratch.path();
    fs::path file = folder / "WinZolvik.cfg";
    RecordingSink sink;
};

wz::GameState SampleState() {
    wz::GameState s;
    s.controlKeys = {0x41, 0xBA, 0x00, 0xFF, 0x60};
    for (int i = 0; i < wz::kHighScoreCount; ++i) {
        s.highScores[i] = 20000 - 1000 * i;
    }
    s.highScores[14] = -7;
    s.musicOption = 0;
    s.soundOption = 0x01020304;
    std::memcpy(s.highScoreLines[0].data(), "  ACE.......20000  ", 19);
    return s;
}

std::vector<std::uint8_t> Bytes(const wz::GameState& settings) {
    const wz::SettingsBytes bytes = wz::EncodeSettings(settings);
    return {bytes.begin(), bytes.end()};
}

// The first start in an empty folder writes the defaults in the fixed layout.
TEST_F(SettingsFileTest, FirstStartWritesTheDefaultLayout) {
    wz::GameState settings;
    wz::LoadSettings(settings, sink, file);

    const auto bytes = FileBytes();
    ASSERT_EQ(bytes.size(), 358u);
    const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + 73);
    std::vector<std::uint8_t> expected = {0x26, 0x28, 0x25, 0x27, 0x20};
    expected.resize(65, 0);
    expected.insert(expected.end(), {1, 0, 0, 0, 1, 0, 0, 0});
    EXPECT_EQ(head, expected);
    for (int i = 0; i < 15; ++i) {
        const std::string line(bytes.begin() + 73 + 19 * i, bytes.begin() + 73 + 19 * i + 19);
        EXPECT_EQ(line, std::string(i % 2 ? "  BLOCKBUSTER.XX  " : "                  ") +
                            std::string(1, '\0'))
            << "line " << i;
    }
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(EntriesInFolder(), 1u);
}

// Every stored value comes back as it was written, unchecked; the spare byte of a line in
// memory is neither stored nor overwritten. The new file is on the disk before it takes the
// old one's name, or a power cut could leave an empty file where the settings were.
TEST_F(SettingsFileTest, ValuesRoundTripUnchecked) {
    const wz::GameState written = SampleState();
    wz::testkit::TakeRenames();
    ASSERT_TRUE(wz::SaveSettings(written, sink, file));
    const auto renames = wz::testkit::TakeRenames();
    ASSERT_EQ(renames.size(), 1u);
    EXPECT_EQ(renames[0].to, file.string());
    EXPECT_TRUE(renames[0].flushed);

    wz::GameState read;
    read.highScoreLines[3][19] = 'Z';
    EXPECT_EQ(wz::ReadSettingsFile(file, read), wz::SettingsRead::Loaded);
    EXPECT_EQ(read.controlKeys, written.controlKeys);
    EXPECT_EQ(read.highScores, written.highScores);
    EXPECT_EQ(read.musicOption, 0);
    EXPECT_EQ(read.soundOption, 0x01020304);
    EXPECT_EQ(std::string(read.highScoreLines[0].data()), "  ACE.......20000  ");
    EXPECT_EQ(read.highScoreLines[3][19], 'Z');

    const auto bytes = FileBytes();
    EXPECT_EQ(bytes[5 + 14 * 4], 0xF9); // -7, little-endian
    EXPECT_EQ(bytes[5 + 14 * 4 + 3], 0xFF);
    EXPECT_EQ(bytes[69], 0x04);
}

// Only a file of exactly 358 bytes is taken; any other is kept as "WinZolvik.cfg.bad", replacing
// the one kept before, and replaced by the values held now.
TEST_F(SettingsFileTest, OnlyAFileOfTheExactSizeIsTaken) {
    const std::vector<std::uint8_t> good = Bytes(SampleState());
    const std::vector<std::uint8_t> defaults = Bytes(wz::GameState{});
    struct Case {
        const char* name;
        std::size_t size;
        bool taken;
    };
    const Case cases[] = {{"empty", 0, false},
                          {"one byte short", 357, false},
                          {"exact", 358, true},
                          {"one byte over", 359, false},
                          {"much larger", 4096, false}};
    for (const Case& c : cases) {
        std::vector<std::uint8_t> bytes = good;
        bytes.resize(c.size, 0x5A);
        WriteBytes(bytes);

        wz::GameState settings;
        wz::LoadSettings(settings, sink, file);
        EXPECT_EQ(settings.musicOption, c.taken ? 0 : 1) << c.name;
        EXPECT_EQ(settings.highScores[0], c.taken ? 20000 : 0) << c.name;
        const auto after = FileBytes();
        EXPECT_EQ(after.size(), 358u) << c.name;
        EXPECT_EQ(after, c.taken ? good : defaults) << c.name;
        if (!c.taken) {
            EXPECT_EQ(FileBytes(Kept()), bytes) << c.name;
        }
    }
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(EntriesInFolder(), 2u);
}

// Anything but a regular file by that name is never opened for reading, so a FIFO cannot hold
// the game up: it counts as missing, and the defaults take its place. A folder cannot be
// replaced, which the save's message says.
TEST_F(SettingsFileTest, NameThatIsNotAFileCountsAsMissing) {
    struct Case {
        const char* name;
        std::function<bool()> make;
        bool replaced;
    };
    const Case cases[] = {
        {"FIFO", [&] { return ::mkfifo(file.c_str(), 0644) == 0; }, true},
        {"device", [&] { return ::symlink("/dev/zero", file.c_str()) == 0; }, true},
        {"folder", [&] { return fs::create_directory(file); }, false},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        sink.shown.clear();
        ASSERT_TRUE(c.make()) << c.name;

        wz::GameState settings = SampleState();
        EXPECT_EQ(wz::ReadSettingsFile(file, settings), wz::SettingsRead::NotAFile) << c.name;
        wz::LoadSettings(settings, sink, file);
        EXPECT_EQ(settings.highScores, SampleState().highScores) << c.name;
        if (c.replaced) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(file))) << c.name;
            EXPECT_EQ(FileBytes(), Bytes(SampleState())) << c.name;
            EXPECT_TRUE(sink.shown.empty()) << c.name;
        } else {
            EXPECT_TRUE(fs::is_directory(file)) << c.name;
            ASSERT_EQ(sink.shown.size(), 1u) << c.name;
            EXPECT_EQ(sink.shown[0], kSaveFailed) << c.name;
        }
        // Neither a kept copy nor a scratch file.
        EXPECT_EQ(EntriesInFolder(), 1u) << c.name;
    }
}

// A damaged file is kept only where that replaces nothing but an older regular file; when it
// cannot be kept it stays as it is, and the game runs on the defaults without writing them.
TEST_F(SettingsFileTest, DamagedFileIsKeptBesideWithoutReplacingOtherThings) {
    const fs::path elsewhere = folder / "elsewhere";
    struct Case {
        const char* name;
        std::function<void()> make;
        bool kept;
    };
    const Case cases[] = {
        {"nothing", [] {}, true},
        {"older regular file", [&] { std::ofstream(Kept()) << "older"; }, true},
        {"folder", [&] { fs::create_directory(Kept()); }, false},
        {"link to a file",
         [&] {
             std::ofstream(elsewhere) << "keep";
             fs::create_symlink(elsewhere, Kept());
         },
         false},
    };
    std::vector<std::uint8_t> damaged = Bytes(SampleState());
    damaged.pop_back();
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        c.make();
        WriteBytes(damaged);

        wz::GameState settings;
        wz::LoadSettings(settings, sink, file);
        EXPECT_EQ(settings.musicOption, 1) << c.name;
        if (c.kept) {
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Kept()))) << c.name;
            EXPECT_EQ(FileBytes(Kept()), damaged) << c.name;
            EXPECT_EQ(FileBytes(), Bytes(wz::GameState{})) << c.name;
        } else {
            EXPECT_EQ(FileBytes(), damaged) << c.name;
        }
    }
    EXPECT_TRUE(fs::is_symlink(Kept()));
    std::string untouched;
    std::ifstream(elsewhere) >> untouched;
    EXPECT_EQ(untouched, "keep");
    EXPECT_TRUE(sink.shown.empty());
}

// A save that cannot be written shows its message, keeps the old file whole and leaves no
// scratch file behind.
TEST_F(SettingsFileTest, FailedWriteKeepsTheOldFile) {
    ASSERT_TRUE(wz::SaveSettings(SampleState(), sink, file));
    const auto before = FileBytes();

    // No file may grow beyond 0 bytes: the scratch file is made, its write fails.
    bool saved = true;
    {
        const wz::testkit::FileSizeLimit none(0);
        ASSERT_TRUE(none.ok());
        saved = wz::SaveSettings(wz::GameState{}, sink, file);
    }

    EXPECT_FALSE(saved);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], kSaveFailed);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

// A folder the player may not write to: the message, and the old file stays. Root may write
// anywhere, so the save then runs in a child process as an unprivileged user.
TEST_F(SettingsFileTest, UnwritableFolderKeepsTheOldFile) {
    ASSERT_TRUE(wz::SaveSettings(SampleState(), sink, file));
    const auto before = FileBytes();
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                fs::perms::group_exec | fs::perms::others_read |
                                fs::perms::others_exec);

    if (::geteuid() != 0) {
        EXPECT_FALSE(wz::SaveSettings(wz::GameState{}, sink, file));
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], kSaveFailed);
    } else {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
                ::_exit(3);
            }
            RecordingSink childSink;
            const bool saved = wz::SaveSettings(wz::GameState{}, childSink, file);
            const bool told = childSink.shown.size() == 1 && childSink.shown[0] == kSaveFailed;
            ::_exit(!saved && told ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(EntriesInFolder(), 1u);
}

} // namespace
