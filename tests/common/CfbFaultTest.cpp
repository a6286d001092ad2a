#include "CfbCheck.h"
#include "CfbFileIo.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"
#include "CompoundStorage.h"

#include <gtest/gtest.h>

namespace {

using cfbtest::Pattern;
using cfbtest::Tree;

// Lets writes through until the n-th, which fails with a full disk, as do all after it.
struct FailingDisk {
    explicit FailingDisk(int failAt) {
        cfb::SetFaultHook([this, failAt] {
            ++calls;
            return failAt > 0 && calls >= failAt ? cfb::kErrDiskFull : cfb::kOk;
        });
    }
    ~FailingDisk() { cfb::SetFaultHook(nullptr); }
    int calls = 0;
};

Tree BaseTree() {
    Tree tree;
    for (int i = 1; i <= 6; ++i) {
        tree["Images/Love" + std::to_string(i)] = Pattern(i % 2 ? 3000 * i : 20000 * i, i);
        tree["Music/Love" + std::to_string(i)] = Pattern(700 * i, 10 + i);
    }
    tree["Images/Titles"] = Pattern(50000, 30);
    tree["Sound/Knock"] = Pattern(2500, 31);
    return tree;
}

// The editor's replacements: small to large, large to small, and a new size on both sides.
const std::vector<std::pair<std::string, std::vector<std::uint8_t>>> kReplacements = {
    {"Images/Love1", Pattern(90000, 41)},
    {"Images/Love2", Pattern(1000, 42)},
    {"Music/Love3", Pattern(3000, 43)},
    {"Music/Love4", Pattern(100000, 44)},
};

void ReplaceAll(const std::filesystem::path& file) {
    wz::CompoundStorage storage;
    std::string open;
    for (const auto& [path, bytes] : kReplacements) {
        const std::string storageName = path.substr(0, path.find('/'));
        const std::u16string stream = cfbtest::U16(path.substr(path.find('/') + 1));
        if (storageName != open) {
            if (!storage.Open(file, false, false) ||
                !storage.OpenStorage(cfbtest::U16(storageName), false)) {
                return;
            }
            open = storageName;
        }
        if (!storage.DeleteStream(stream) || !storage.CreateStream(stream) ||
            !storage.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()))) {
            return;
        }
        storage.CloseStream();
    }
}

// Invariant: whichever write of a replacement sequence fails, the file stays a valid compound
// file, every stream the sequence did not touch is intact, and each touched stream holds its
// old bytes, its new bytes, or (between delete and write) nothing.
TEST(CfbFault, EveryFailedWriteLeavesAValidFile) {
    cfbtest::ScratchDir dir;
    const auto base = dir / "base.stg";
    const auto file = dir / "WinData.stg";
    const Tree before = BaseTree();
    ASSERT_EQ(cfbtest::BuildFile(base, before), 0);

    int total = 0;
    {
        std::filesystem::copy_file(base, file, std::filesystem::copy_options::overwrite_existing);
        FailingDisk counting(0);
        ReplaceAll(file);
        total = counting.calls;
    }
    ASSERT_GT(total, 20);
    Tree after = before;
    for (const auto& [path, bytes] : kReplacements) {
        after[path] = bytes;
    }
    Tree done;
    ASSERT_EQ(cfbtest::ReadTree(file, done), 0);
    ASSERT_EQ(done, after);

    for (int n = 1; n <= total; ++n) {
        std::filesystem::copy_file(base, file, std::filesystem::copy_options::overwrite_existing);
        {
            FailingDisk disk(n);
            ReplaceAll(file);
        }
        cfb::CheckReport report;
        ASSERT_EQ(cfb::CheckFile(file, report), 0);
        EXPECT_TRUE(report.problems.empty()) << "write " << n << ": " << report.problems.front();
        Tree got;
        ASSERT_EQ(cfbtest::ReadTree(file, got), 0) << "write " << n;
        for (const auto& [path, bytes] : before) {
            const bool touched = after.at(path) != bytes;
            auto it = got.find(path);
            if (!touched) {
                ASSERT_NE(it, got.end()) << path << " lost at write " << n;
                EXPECT_EQ(it->second, bytes) << path << " changed at write " << n;
            } else if (it != got.end()) {
                EXPECT_TRUE(it->second == bytes || it->second == after.at(path) ||
                            it->second.empty())
                    << path << " half written at write " << n;
            }
        }
        // A later read-write open takes back any sectors the failed change had claimed.
        {
            wz::CompoundStorage storage;
            ASSERT_TRUE(storage.Open(file, false, false)) << "write " << n;
        }
        ASSERT_EQ(cfb::CheckFile(file, report), 0);
        EXPECT_TRUE(report.problems.empty());
        EXPECT_EQ(report.strayedSectors, 0u) << "write " << n;
    }
}

// A failed write is reported, and the open file refuses further work instead of guessing.
TEST(CfbFault, AFailedWriteIsReportedAndStopsTheOpenFile) {
    cfbtest::ScratchDir dir;
    const auto file = dir / "f.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, BaseTree()), 0);
    wz::CompoundStorage storage;
    ASSERT_TRUE(storage.Open(file, false, false));
    ASSERT_TRUE(storage.OpenStorage(u"Images", false));
    ASSERT_TRUE(storage.CreateStream(u"New"));
    {
        FailingDisk disk(1);
        const auto bytes = Pattern(10000, 1);
        EXPECT_FALSE(storage.Write(bytes.data(), 10000));
    }
    EXPECT_FALSE(storage.Write("x", 1));
    EXPECT_FALSE(storage.CreateStream(u"Other"));
    EXPECT_FALSE(storage.DeleteStream(u"Love1"));
    storage.CloseAll();
    Tree got;
    ASSERT_EQ(cfbtest::ReadTree(file, got), 0);
    EXPECT_EQ(got["Images/New"].size(), 0u);
    EXPECT_EQ(got["Images/Love1"], BaseTree()["Images/Love1"]);
}

// Create never empties a file that another open holds, and a failed create leaves the old
// file whole.
TEST(CfbFault, CreateLeavesAHeldFileAlone) {
    cfbtest::ScratchDir dir;
    const auto file = dir / "c.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, BaseTree()), 0);
    const auto size = std::filesystem::file_size(file);
    wz::CompoundStorage reader, creator;
    ASSERT_TRUE(reader.Open(file, true, false));
    EXPECT_FALSE(creator.Open(file, false, true));
    EXPECT_EQ(std::filesystem::file_size(file), size);
}

// Closing a writable file waits for the disk, unless the caller takes that on itself; the
// data is in the file either way.
TEST(CfbFault, CloseFlushesUnlessToldNotTo) {
    cfbtest::ScratchDir dir;
    const auto file = dir / "s.stg";
    const Tree base = BaseTree();
    ASSERT_EQ(cfbtest::BuildFile(file, base), 0);
    for (const bool skip : {false, true}) {
        wz::CompoundStorage storage;
        ASSERT_TRUE(storage.Open(file, false, false));
        if (skip) {
            storage.Root()->SkipSyncOnClose();
        }
        ASSERT_TRUE(storage.OpenStorage(u"Sound", false));
        ASSERT_TRUE(storage.DeleteStream(u"Knock") && storage.CreateStream(u"Knock"));
        const auto bytes = Pattern(5000, skip ? 7 : 8);
        ASSERT_TRUE(storage.Write(bytes.data(), 5000));
        FailingDisk counting(0);
        storage.CloseAll();
        EXPECT_EQ(counting.calls, skip ? 0 : 1) << "skip " << skip;
        Tree got;
        ASSERT_EQ(cfbtest::ReadTree(file, got), 0);
        EXPECT_EQ(got["Sound/Knock"], bytes);
    }
}

} // namespace
