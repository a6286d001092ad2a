#include "AssetFileOps.h"
#include "AssetFixture.h"
#include "CommandGuard.h"
#include "EditorTexts.h"
#include "RecordingSink.h"
#include "SourceFile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

TEST(SourceFile, ReadsRegularFilesWholeAndRefusesTheRest) {
    TempFolder folder;
    WriteFile(folder / "one", {7});
    WriteFile(folder / "big", Pattern(100000, 3));
    WriteFile(folder / "empty", {});
    fs::create_directory(folder / "dir");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_symlink(folder / "big", folder / "link");

    struct Row {
        const char* name;
        bool ok;
    };
    const Row rows[] = {{"one", true},  {"big", true},   {"link", true},    {"empty", false},
                        {"dir", false}, {"pipe", false}, {"missing", false}};
    for (const Row& r : rows) {
        Bytes bytes{1, 2, 3};
        EXPECT_EQ(wz::ReadSourceFile(folder / r.name, bytes), r.ok) << r.name;
        if (r.ok) {
            EXPECT_EQ(bytes, ReadFile(folder / r.name)) << r.name;
        } else {
            EXPECT_TRUE(bytes.empty()) << r.name;
        }
    }
}

TEST(AssetFileOps, ReadOnlyMarkIsRemovedAndOtherBitsStay) {
    TempFolder folder;
    const fs::path file = folder / "WinData.stg";
    WriteFile(file, {1});
    fs::permissions(file, fs::perms::owner_read | fs::perms::others_read);
    EXPECT_TRUE(wz::RemoveReadOnlyMark(file));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    EXPECT_TRUE(wz::RemoveReadOnlyMark(file)) << "a writable file stays as it is";
    EXPECT_FALSE(wz::RemoveReadOnlyMark(folder / "missing"));
}

// Invariant: the asset file's name always holds a complete file. The scratch copy replaces
// it in one rename; when that cannot happen, the old file is still there.
TEST(AssetFileOps, MoveOverReplacesInOneStepOrNotAtAll) {
    TempFolder folder;
    const fs::path target = folder / "WinData.stg";
    const fs::path scratch = folder / "WinData38746834.stg";
    WriteFile(target, {1, 1});
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    EXPECT_THROW(wz::MoveOver(scratch, target), fs::filesystem_error);
    EXPECT_EQ(ReadFile(target), (Bytes{1, 1})) << "a missing scratch file leaves the old one";

    fs::create_directories(scratch / "x");
    EXPECT_THROW(wz::MoveOver(scratch, target), fs::filesystem_error);
    EXPECT_EQ(ReadFile(target), (Bytes{1, 1}));
    fs::remove_all(scratch);

    WriteFile(scratch, {2, 2, 2});
    wz::MoveOver(scratch, target);
    EXPECT_EQ(ReadFile(target), (Bytes{2, 2, 2}));
    EXPECT_FALSE(fs::exists(scratch));
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(EditorTexts, PlaceholdersTakeTheValueAsItIs) {
    EXPECT_EQ(wz::FillPlaceholders("a %s b %s", "/x/%s%d"), "a /x/%s%d b /x/%s%d");
    EXPECT_EQ(wz::FillPlaceholders("100%", "v"), "100%");
    EXPECT_EQ(wz::FillPlaceholders("", "v"), "");
}

TEST(CommandGuard, AnExceptionEndsTheCommandWithOneMessage) {
    struct Row {
        std::function<void()> command;
        const char* reason; // nullptr: no message
    };
    const Row rows[] = {
        {[] {}, nullptr},
        {[] { throw std::bad_alloc(); }, "out of memory"},
        {[] { throw std::runtime_error("disk full"); }, "disk full"},
        {[] { throw 42; }, "unknown error"},
    };
    for (const Row& r : rows) {
        RecordingSink sink;
        EXPECT_EQ(wz::RunCommand(sink, r.command), r.reason == nullptr);
        if (r.reason == nullptr) {
            EXPECT_TRUE(sink.shown.empty());
            continue;
        }
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].caption, "WZolvikCreator");
        EXPECT_EQ(sink.shown[0].text,
                  "The command could not be completed: " + std::string(r.reason) +
                      "\n(Не удалось выполнить команду: " + r.reason + ")");
    }
}

} // namespace
