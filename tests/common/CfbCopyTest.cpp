#include "CfbCheck.h"
#include "CfbFormat.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using cfbtest::kRW;
using cfbtest::Pattern;
using cfbtest::ScratchDir;
using cfbtest::Tree;

constexpr std::uint32_t kReadShared = cfb::kModeRead | cfb::kShareDenyWrite;

std::uint64_t CeilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

Tree AssetLikeTree() {
    Tree tree;
    for (int i = 1; i <= 21; ++i) {
        tree["Images/Love" + std::to_string(i)] = Pattern(20000 + 1000 * i, i);
        tree["Music/Love" + std::to_string(i)] = Pattern(i % 3 ? 1500 * i : 100 * i, 100 + i);
    }
    tree["Images/Titles"] = Pattern(60000, 200);
    tree["Sound/Knock"] = Pattern(3000, 201);
    tree["Music/Empty"] = {};
    return tree;
}

// The smallest version 3 file for a tree of one storage level: data, mini stream, MiniFAT,
// directory, and a FAT that covers them all with the DIFAT sectors that list its sectors past
// the header's 109 (127 each: their last entry links the next).
std::uint64_t MinimalSectors(const Tree& tree) {
    std::uint64_t data = 0, mini = 0;
    std::set<std::string> storages;
    for (const auto& [path, bytes] : tree) {
        storages.insert(path.substr(0, path.find('/')));
        if (bytes.size() >= 4096) {
            data += CeilDiv(bytes.size(), 512);
        } else {
            mini += CeilDiv(bytes.size(), 64);
        }
    }
    const std::uint64_t entries = 1 + storages.size() + tree.size();
    const std::uint64_t fixed =
        data + CeilDiv(mini * 64, 512) + CeilDiv(mini * 4, 512) + CeilDiv(entries, 4);
    std::uint64_t fat = 1, difat = 0;
    while (CeilDiv(fixed + fat + difat, 128) > fat) {
        ++fat;
        difat = fat > 109 ? CeilDiv(fat - 109, 127) : 0;
    }
    return fixed + fat + difat;
}

void Replace(const std::filesystem::path& file, const std::string& storage, const std::string& name,
             const std::vector<std::uint8_t>& bytes) {
    std::shared_ptr<cfb::Storage> root, child;
    ASSERT_EQ(cfb::OpenCompoundFile(file, kRW, root), 0);
    ASSERT_EQ(root->OpenStorage(cfbtest::U16(storage), kRW, child), 0);
    ASSERT_EQ(child->DestroyElement(cfbtest::U16(name)), 0);
    std::shared_ptr<cfb::Stream> s;
    ASSERT_EQ(child->CreateStream(cfbtest::U16(name), cfb::kModeCreate | kRW, s), 0);
    ASSERT_EQ(s->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr), 0);
}

// After replacements leave free space behind, the whole-tree copy into a new file carries
// every element and is as small as the format allows: no free sector, minimal tables. Also
// for a file of 237 FAT sectors, which need two DIFAT sectors (one more than 109 + 128 would
// suggest).
TEST(CfbCopy, CopyIntoANewFileIsCompact) {
    struct Case {
        const char* name;
        std::size_t bigStream; // 0: none
        std::uint32_t fatSectors, difatSectors;
    };
    const Case cases[] = {
        {"asset file", 0, 13, 0},
        {"over 15 MB", 28383 * 512, 237, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        Tree tree = AssetLikeTree();
        if (c.bigStream > 0) {
            tree["Images/Big"] = Pattern(c.bigStream, 7);
        }
        const auto file = dir / "WinData.stg";
        ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
        for (int i = 1; i <= 21; i += 2) {
            tree["Images/Love" + std::to_string(i)] = Pattern(i % 4 == 1 ? 500 : 45000, 300 + i);
            Replace(file, "Images", "Love" + std::to_string(i),
                    tree["Images/Love" + std::to_string(i)]);
        }
        cfb::CheckReport before;
        ASSERT_EQ(cfb::CheckFile(file, before), 0);
        EXPECT_GT(before.freeSectors, 0u) << "replacements leave free sectors";

        const auto copy = dir / "WinData38746834.stg";
        {
            std::shared_ptr<cfb::Storage> from, to;
            ASSERT_EQ(cfb::OpenCompoundFile(file, kReadShared, from), 0);
            ASSERT_EQ(cfb::OpenCompoundFile(copy, cfb::kModeCreate | kRW, to), 0);
            ASSERT_EQ(from->CopyTo(*to), 0);
        }
        cfb::CheckReport after;
        ASSERT_EQ(cfb::CheckFile(copy, after), 0);
        EXPECT_TRUE(after.problems.empty()) << after.problems.front();
        EXPECT_EQ(after.freeSectors, 0u);
        EXPECT_EQ(after.strayedSectors, 0u);
        EXPECT_EQ(after.sectors, MinimalSectors(tree));
        const auto bytes = cfbtest::ReadFileBytes(copy);
        cfb::Header header;
        ASSERT_GE(bytes.size(), cfb::kHeaderSize);
        ASSERT_EQ(cfb::ParseHeader(bytes.data(), header), 0);
        EXPECT_EQ(header.fatSectorCount, c.fatSectors);
        EXPECT_EQ(header.difatSectorCount, c.difatSectors);
        Tree back;
        ASSERT_EQ(cfbtest::ReadTree(copy, back), 0);
        EXPECT_EQ(back, tree);
    }
}

// Into a destination that holds elements already, the copy merges: streams of the same name
// are replaced, others stay.
// The compact copy can take some streams from memory: replaced ones keep their place, missing
// ones are added in name order, and the result is as compact as any other copy.
TEST(CfbCopy, CopyWithReplacementsIsCompactAndExact) {
    ScratchDir dir;
    Tree tree = AssetLikeTree();
    tree.erase("Images/Love7");
    const auto file = dir / "WinData.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
    const auto big = Pattern(70000, 400);
    const auto small = Pattern(100, 401);
    const auto added = Pattern(4096, 402);
    const cfb::StreamReplacement replacements[] = {
        {u"Images", u"Love1", big},   // ordinary sectors to ordinary sectors
        {u"Music", u"Love3", small},  // into the mini stream
        {u"Images", u"Love7", added}, // missing: added
        {u"Music", u"Empty", big},    // an empty stream gains bytes
    };
    const auto copy = dir / "WinData38746834.stg";
    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(file, kReadShared, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(copy, cfb::kModeCreate | kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to, replacements), 0);
    }
    tree["Images/Love1"] = big;
    tree["Music/Love3"] = small;
    tree["Images/Love7"] = added;
    tree["Music/Empty"] = big;
    cfb::CheckReport after;
    ASSERT_EQ(cfb::CheckFile(copy, after), 0);
    EXPECT_TRUE(after.problems.empty()) << after.problems.front();
    EXPECT_EQ(after.freeSectors, 0u);
    EXPECT_EQ(after.sectors, MinimalSectors(tree));
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(copy, back), 0);
    EXPECT_TRUE(back == tree);
}

TEST(CfbCopy, ReplacementsThatCannotBeMadeAreRefused) {
    ScratchDir dir;
    ASSERT_EQ(cfbtest::BuildFile(dir / "a.stg", {{"Images/Love1", Pattern(5000, 1)}}), 0);
    const auto bytes = Pattern(10, 2);
    struct Row {
        const char* what;
        std::vector<cfb::StreamReplacement> replacements;
        int result;
    };
    const Row rows[] = {
        {"no such storage", {{u"Music", u"Love1", bytes}}, cfb::kErrNotFound},
        {"the same stream twice",
         {{u"Images", u"Love1", bytes}, {u"Images", u"Love1", bytes}},
         cfb::kErrInvalidArgument},
        {"the same new stream twice",
         {{u"Images", u"Win", bytes}, {u"Images", u"WIN", bytes}},
         cfb::kErrInvalidArgument},
        {"a bad name", {{u"Images", u"a/b!", bytes}}, cfb::kErrInvalidName},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "a.stg", kReadShared, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "b.stg", cfb::kModeCreate | kRW, to), 0);
        EXPECT_EQ(from->CopyTo(*to, r.replacements), r.result);
    }
    // Only into the empty root of another file.
    std::shared_ptr<cfb::Storage> from, to, images;
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "a.stg", kReadShared, from), 0);
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "c.stg", cfb::kModeCreate | kRW, to), 0);
    ASSERT_EQ(to->CreateStorage(u"Images", cfb::kModeCreate | kRW, images), 0);
    const cfb::StreamReplacement one[] = {{u"Images", u"Love1", bytes}};
    EXPECT_EQ(from->CopyTo(*to, one), cfb::kErrInvalidArgument);
}

TEST(CfbCopy, CopyIntoAFilledStorageMerges) {
    ScratchDir dir;
    ASSERT_EQ(cfbtest::BuildFile(dir / "a.stg", {{"Images/Love1", Pattern(5000, 1)},
                                                 {"Images/Win", Pattern(10, 2)}}),
              0);
    ASSERT_EQ(cfbtest::BuildFile(dir / "b.stg", {{"Images/Love1", Pattern(70, 3)},
                                                 {"Music/Love1", Pattern(9, 4)}}),
              0);
    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "a.stg", kReadShared, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "b.stg", kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to), 0);
    }
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "b.stg", back), 0);
    const Tree expected = {{"Images/Love1", Pattern(5000, 1)},
                           {"Images/Win", Pattern(10, 2)},
                           {"Music/Love1", Pattern(9, 4)}};
    EXPECT_EQ(back, expected);
    cfb::CheckReport report;
    ASSERT_EQ(cfb::CheckFile(dir / "b.stg", report), 0);
    EXPECT_TRUE(report.problems.empty());
}

// A child storage copies into the root of another file; refused targets say why.
TEST(CfbCopy, CopyOfAChildAndRefusedTargets) {
    ScratchDir dir;
    ASSERT_EQ(cfbtest::BuildFile(dir / "a.stg", AssetLikeTree()), 0);
    std::shared_ptr<cfb::Storage> from, music, to, readOnly, sameFile;
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "a.stg", kReadShared, from), 0);
    ASSERT_EQ(from->OpenStorage(u"Music", cfb::kModeRead | cfb::kShareExclusive, music), 0);
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "m.stg", cfb::kModeCreate | kRW, to), 0);
    ASSERT_EQ(music->CopyTo(*to), 0);
    EXPECT_EQ(to->CopyTo(*to), cfb::kErrInvalidArgument);
    EXPECT_EQ(music->CopyTo(*from), cfb::kErrAccessDenied);
    to.reset();
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "m.stg", back), 0);
    EXPECT_EQ(back.size(), 22u);
    EXPECT_EQ(back.at("Love2"), Pattern(3000, 102));
}

// A storage of 1500 streams copies into balanced trees that the checker accepts.
TEST(CfbCopy, ManyElementsGetABalancedTree) {
    ScratchDir dir;
    Tree tree;
    for (int i = 0; i < 1500; ++i) {
        tree["Many/N" + std::to_string(i)] = Pattern(i % 200, i);
    }
    ASSERT_EQ(cfbtest::BuildFile(dir / "a.stg", tree), 0);
    cfb::CheckReport built;
    ASSERT_EQ(cfb::CheckFile(dir / "a.stg", built), 0);
    EXPECT_TRUE(built.problems.empty()) << built.problems.front();
    EXPECT_EQ(built.elements, 1501u);
    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "a.stg", kReadShared, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "b.stg", cfb::kModeCreate | kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to), 0);
    }
    cfb::CheckReport copied;
    ASSERT_EQ(cfb::CheckFile(dir / "b.stg", copied), 0);
    EXPECT_TRUE(copied.problems.empty()) << copied.problems.front();
    EXPECT_EQ(copied.freeSectors, 0u);
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "b.stg", back), 0);
    EXPECT_EQ(back, tree);
}

} // namespace
