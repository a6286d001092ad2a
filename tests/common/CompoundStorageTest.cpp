#include "CompoundStorage.h"

#include "AllocationCounter.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using cfbtest::Pattern;
using cfbtest::ScratchDir;

class CompoundStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = dir / "WinData.stg";
        ASSERT_EQ(cfbtest::BuildFile(file, {{"Images/Jacket", Pattern(5000, 1)},
                                            {"Images/Love1", Pattern(300, 2)},
                                            {"Sound/Knock", Pattern(2000, 3)},
                                            {"Music/Titles", Pattern(9000, 4)}}),
                  cfb::kOk);
    }
    ScratchDir dir;
    std::filesystem::path file;
};

TEST_F(CompoundStorageTest, ModeFlagsHaveTheirPlatformValues) {
    EXPECT_EQ(wz::STGM_READ, 0x0u);
    EXPECT_EQ(wz::STGM_READWRITE, 0x2u);
    EXPECT_EQ(wz::STGM_SHARE_EXCLUSIVE, 0x10u);
    EXPECT_EQ(wz::STGM_SHARE_DENY_WRITE, 0x20u);
    EXPECT_EQ(wz::STGM_CREATE, 0x1000u);
}

// The game's path: open read-only, child storage, stream, size, whole read.
TEST_F(CompoundStorageTest, ReadsAStreamWhole) {
    wz::CompoundStorage storage;
    EXPECT_FALSE(storage.failed());
    EXPECT_EQ(storage.Root(), nullptr);
    ASSERT_TRUE(storage.Open(file, true, false));
    EXPECT_NE(storage.Root(), nullptr);
    ASSERT_TRUE(storage.OpenStorage(u"Images", true));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(storage.ReadWholeStream(u"Jacket", bytes));
    EXPECT_EQ(bytes, Pattern(5000, 1));
    ASSERT_TRUE(storage.ReadWholeStream(u"Love1", bytes));
    EXPECT_EQ(bytes, Pattern(300, 2));
    std::uint32_t size = 99;
    ASSERT_TRUE(storage.GetStreamSize(&size));
    EXPECT_EQ(size, 300u);
    EXPECT_FALSE(storage.ReadWholeStream(u"Love2", bytes));
    EXPECT_TRUE(storage.failed());
    EXPECT_TRUE(bytes.empty());
}

// Every operation that reports a result sets failed to its opposite; what needs a child or a
// stream fails at once without one.
TEST_F(CompoundStorageTest, ResultsAndTheFailedFlag) {
    wz::CompoundStorage storage;
    std::uint32_t size = 7;
    std::uint8_t buffer[4];
    std::uint32_t got = 5;
    struct Case {
        const char* what;
        bool result;
    };
    const Case withoutFile[] = {
        {"OpenStorage", storage.OpenStorage(u"Images", true)},
        {"OpenStream", storage.OpenStream(u"Jacket", true)},
        {"CreateStream", storage.CreateStream(u"X")},
        {"DeleteStream", storage.DeleteStream(u"X")},
        {"Write", storage.Write("ab", 2)},
        {"Read", storage.Read(buffer, 4, &got)},
        {"GetStreamSize", storage.GetStreamSize(&size)},
    };
    for (const Case& c : withoutFile) {
        EXPECT_FALSE(c.result) << c.what;
    }
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(storage.failed());
    EXPECT_TRUE(storage.CloseAll());
    EXPECT_TRUE(storage.failed()) << "CloseAll keeps the flag";
    EXPECT_TRUE(storage.CloseStream());
    EXPECT_FALSE(storage.failed()) << "CloseStream clears it";

    EXPECT_FALSE(storage.Open(dir / "missing.stg", true, false));
    EXPECT_TRUE(storage.failed());
    ASSERT_TRUE(storage.Open(file, false, false));
    EXPECT_FALSE(storage.failed());
    EXPECT_FALSE(storage.OpenStorage(u"Nothing", false));
    EXPECT_TRUE(storage.failed());
    EXPECT_FALSE(storage.OpenStream(u"Jacket", false)) << "the failed OpenStorage left no child";
    ASSERT_TRUE(storage.OpenStorage(u"Images", false));
    EXPECT_FALSE(storage.DeleteStream(u"Love7"));
    EXPECT_TRUE(storage.DeleteStream(u"Love1"));
    EXPECT_FALSE(storage.OpenStream(u"Love1", true));
}

// The editor's replacement of a stream: delete, create, write, close, and the stream reads
// back in a later open.
TEST_F(CompoundStorageTest, ReplacesAStream) {
    const auto replacement = Pattern(70000, 9);
    {
        wz::CompoundStorage storage;
        ASSERT_TRUE(storage.Open(file, false, false));
        ASSERT_TRUE(storage.OpenStorage(u"Images", false));
        ASSERT_TRUE(storage.DeleteStream(u"Love1"));
        ASSERT_TRUE(storage.CreateStream(u"Love1"));
        ASSERT_TRUE(
            storage.Write(replacement.data(), static_cast<std::uint32_t>(replacement.size())));
        ASSERT_TRUE(storage.CloseStream());
        // A create that fails keeps the current stream: here there is none, so Write fails.
        EXPECT_FALSE(storage.CreateStream(u"bad/name"));
        EXPECT_FALSE(storage.Write("x", 1));
        storage.CloseAll();
    }
    wz::CompoundStorage reader;
    ASSERT_TRUE(reader.Open(file, true, false));
    ASSERT_TRUE(reader.OpenStorage(u"Images", true));
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(reader.ReadWholeStream(u"Love1", bytes));
    EXPECT_EQ(bytes, replacement);
    ASSERT_TRUE(reader.ReadWholeStream(u"Jacket", bytes));
    EXPECT_EQ(bytes, Pattern(5000, 1));
}

// Create replaces any file of that name with an empty compound file.
TEST_F(CompoundStorageTest, CreateReplacesTheFile) {
    wz::CompoundStorage storage;
    ASSERT_TRUE(storage.Open(file, true, true)); // readOnly is ignored with create
    ASSERT_NE(storage.Root(), nullptr);
    std::vector<cfb::ElementInfo> children;
    ASSERT_EQ(storage.Root()->List(children), cfb::kOk);
    EXPECT_TRUE(children.empty());
    EXPECT_FALSE(storage.OpenStorage(u"Images", true));
    storage.CloseAll();
    EXPECT_EQ(std::filesystem::file_size(file), 3u * 512);
}

// The sharing rules the two programs rely on, between objects of one process.
TEST_F(CompoundStorageTest, SharingModes) {
    wz::CompoundStorage a, b, c, writer;
    ASSERT_TRUE(a.Open(file, true, false));
    ASSERT_TRUE(b.Open(file, true, false));
    ASSERT_TRUE(c.Open(file, true, false));
    EXPECT_FALSE(writer.Open(file, false, false));
    EXPECT_FALSE(writer.Open(file, false, true)) << "create must not empty a file in use";
    a.CloseAll();
    b.CloseAll();
    EXPECT_FALSE(writer.Open(file, false, false));
    c.CloseAll();
    ASSERT_TRUE(writer.Open(file, false, false));
    EXPECT_FALSE(a.Open(file, true, false));
    wz::CompoundStorage second;
    EXPECT_FALSE(second.Open(file, false, false));
    writer.CloseAll();
    EXPECT_TRUE(a.Open(file, true, false));
    ASSERT_TRUE(a.OpenStorage(u"Images", true));
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(a.ReadWholeStream(u"Jacket", bytes));
}

// Releasing the root first (as CloseAll does) keeps open children usable until they go.
TEST_F(CompoundStorageTest, WholeTreeCopyThroughRoots) {
    wz::CompoundStorage main, scratch;
    ASSERT_TRUE(main.Open(file, true, false));
    ASSERT_TRUE(scratch.Open(dir / "WinData38746834.stg", false, true));
    ASSERT_EQ(main.Root()->CopyTo(*scratch.Root()), cfb::kOk);
    main.CloseAll();
    scratch.CloseAll();
    cfbtest::Tree a, b;
    ASSERT_EQ(cfbtest::ReadTree(file, a), cfb::kOk);
    ASSERT_EQ(cfbtest::ReadTree(dir / "WinData38746834.stg", b), cfb::kOk);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.size(), 4u);
}

// A stream whose size says more than its chain holds is refused when it is opened, before any
// reader sizes a buffer by it, and nothing near that size is ever asked for.
TEST(CompoundStorageSize, ADamagedSizeFailsAtOnceWithoutAHugeAllocation) {
    ScratchDir dir;
    struct Row {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::u16string storage;
        std::u16string stream;
    };
    std::vector<Row> rows;
    // Version 4, Images/Big of 5000 bytes (entry 1 of the directory in sector 1): 4 GiB more.
    rows.push_back({"version 4, over 4 GiB",
                    cfbtest::ReadFileBytes(WZ_TEST_DATA_DIR "/cfb/good-version4.stg"), u"Images",
                    u"Big"});
    rows.back().bytes[2 * 4096 + 128 + 0x7C] = 1;
    // Version 3, a size field of 0xFFFFFFFF.
    ASSERT_EQ(cfbtest::BuildFile(dir / "v3.stg", {{"Images/Love2", cfbtest::Pattern(5000, 2)}}),
              cfb::kOk);
    rows.push_back(
        {"version 3, 0xFFFFFFFF", cfbtest::ReadFileBytes(dir / "v3.stg"), u"Images", u"Love2"});
    const std::u16string name = u"Love2";
    const auto* raw = reinterpret_cast<const std::uint8_t*>(name.data());
    auto& v3 = rows.back().bytes;
    auto at = std::search(v3.begin() + 512, v3.end(), raw, raw + name.size() * 2);
    ASSERT_NE(at, v3.end());
    std::fill_n(at + 0x78, 4, 0xFF);

    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        cfbtest::WriteFileBytes(dir / "damaged.stg", r.bytes);
        wz::CompoundStorage storage;
        ASSERT_TRUE(storage.Open(dir / "damaged.stg", true, false));
        ASSERT_TRUE(storage.OpenStorage(r.storage, true));
        wz::testkit::TakeLargestAllocation();
        std::vector<std::uint8_t> out;
        EXPECT_FALSE(storage.ReadWholeStream(r.stream, out));
        EXPECT_EQ(storage.result(), cfb::kErrCorrupt);
        EXPECT_TRUE(out.empty());
        EXPECT_LT(wz::testkit::TakeLargestAllocation(), r.bytes.size());
    }
}

} // namespace
