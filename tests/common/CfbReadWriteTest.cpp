#include "CfbCheck.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <gtest/gtest.h>

namespace {

using cfbtest::kRO;
using cfbtest::kRW;
using cfbtest::Pattern;
using cfbtest::ScratchDir;
using cfbtest::Tree;

constexpr std::uint32_t kCreate = cfb::kModeCreate | kRW;

Tree EdgeSizeTree() {
    Tree tree;
    const std::size_t sizes[] = {0, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 1 << 20};
    std::uint32_t seed = 1;
    for (const char* storage : {"Images", "Sound", "Music"}) {
        for (std::size_t size : sizes) {
            tree[std::string(storage) + "/S" + std::to_string(size)] = Pattern(size, seed++);
        }
    }
    return tree;
}

// Opens the file, destroys one stream and creates it anew with these bytes; everything is
// closed again on return.
void ReplaceStream(const std::filesystem::path& file, const std::u16string& storage,
                   const std::u16string& name, const std::vector<std::uint8_t>& bytes) {
    std::shared_ptr<cfb::Storage> root, parent;
    ASSERT_EQ(cfb::OpenCompoundFile(file, kRW, root), cfb::kOk);
    ASSERT_EQ(root->OpenStorage(storage, kRW, parent), cfb::kOk);
    ASSERT_EQ(parent->DestroyElement(name), cfb::kOk);
    std::shared_ptr<cfb::Stream> s;
    ASSERT_EQ(parent->CreateStream(name, kCreate, s), cfb::kOk);
    ASSERT_EQ(s->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr), cfb::kOk);
}

// Every stream reads back byte for byte, on both sides of the mini-stream cutoff.
TEST(CfbReadWrite, EdgeSizesRoundTrip) {
    ScratchDir dir;
    const Tree tree = EdgeSizeTree();
    ASSERT_EQ(cfbtest::BuildFile(dir / "a.stg", tree), cfb::kOk);
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "a.stg", back), cfb::kOk);
    EXPECT_EQ(back, tree);
    EXPECT_EQ(std::filesystem::file_size(dir / "a.stg") % 512, 0u);
}

// Reads in pieces and seeks return the same bytes as one whole read.
TEST(CfbReadWrite, PiecewiseReadsAndWrites) {
    ScratchDir dir;
    std::shared_ptr<cfb::Storage> root;
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "p.stg", kCreate, root), cfb::kOk);
    std::shared_ptr<cfb::Stream> s;
    ASSERT_EQ(root->CreateStream(u"S", kCreate, s), cfb::kOk);
    const auto bytes = Pattern(10000, 7);
    // Written in uneven pieces that cross the cutoff on the way.
    std::size_t at = 0;
    for (std::size_t piece : {1u, 62u, 1000u, 3000u, 33u, 5904u}) {
        ASSERT_EQ(s->Write(bytes.data() + at, static_cast<std::uint32_t>(piece), nullptr),
                  cfb::kOk);
        at += piece;
    }
    ASSERT_EQ(at, bytes.size());
    // Overwrite in the middle, then read back in pieces.
    const auto patch = Pattern(700, 8);
    s->Seek(4000);
    ASSERT_EQ(s->Write(patch.data(), 700, nullptr), cfb::kOk);
    auto expected = bytes;
    std::copy(patch.begin(), patch.end(), expected.begin() + 4000);
    std::vector<std::uint8_t> got(expected.size() + 10);
    s->Seek(0);
    std::uint32_t n = 0;
    ASSERT_EQ(s->Read(got.data(), 100, &n), cfb::kOk);
    ASSERT_EQ(n, 100u);
    ASSERT_EQ(s->Read(got.data() + 100, static_cast<std::uint32_t>(got.size() - 100), &n),
              cfb::kOk);
    EXPECT_EQ(n, expected.size() - 100);
    got.resize(expected.size());
    EXPECT_EQ(got, expected);
    // Reading at the end gives nothing, successfully.
    ASSERT_EQ(s->Read(got.data(), 10, &n), cfb::kOk);
    EXPECT_EQ(n, 0u);
}

// A write past the end fills the gap with zeros, for small and large streams.
TEST(CfbReadWrite, WritePastEndZeroFills) {
    ScratchDir dir;
    std::shared_ptr<cfb::Storage> root;
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "g.stg", kCreate, root), cfb::kOk);
    for (std::uint64_t gap : {100u, 9000u}) {
        std::shared_ptr<cfb::Stream> s;
        ASSERT_EQ(root->CreateStream(u"G" + cfbtest::U16(std::to_string(gap)), kCreate, s),
                  cfb::kOk);
        const std::uint8_t x = 0xAB;
        s->Seek(gap);
        ASSERT_EQ(s->Write(&x, 1, nullptr), cfb::kOk);
        std::uint64_t size = 0;
        s->GetSize(size);
        EXPECT_EQ(size, gap + 1);
        std::vector<std::uint8_t> got(gap + 1, 0x55);
        s->Seek(0);
        std::uint32_t n = 0;
        ASSERT_EQ(s->Read(got.data(), static_cast<std::uint32_t>(got.size()), &n), cfb::kOk);
        std::vector<std::uint8_t> expected(gap + 1, 0);
        expected[gap] = 0xAB;
        EXPECT_EQ(got, expected);
    }
}

// Replacing a stream by delete and create moves it across the cutoff in both directions, and
// leaves its neighbours alone.
TEST(CfbReadWrite, ReplaceAcrossCutoff) {
    ScratchDir dir;
    Tree tree = EdgeSizeTree();
    ASSERT_EQ(cfbtest::BuildFile(dir / "r.stg", tree), cfb::kOk);
    const std::size_t sizes[] = {100, 5000, 4095, 4096, 0, 70000, 64};
    std::uint32_t seed = 100;
    for (std::size_t size : sizes) {
        const auto bytes = Pattern(size, seed++);
        ASSERT_NO_FATAL_FAILURE(ReplaceStream(dir / "r.stg", u"Images", u"S4095", bytes));
        tree["Images/S4095"] = bytes;
        Tree back;
        ASSERT_EQ(cfbtest::ReadTree(dir / "r.stg", back), cfb::kOk);
        ASSERT_EQ(back, tree) << "after replacing with " << size << " bytes";
    }
}

// The same stream replaced a hundred times keeps the file within one stream's size of where
// it started: freed sectors are reused.
TEST(CfbReadWrite, RepeatedReplacementKeepsSizeBounded) {
    for (std::size_t size : {3000u, 300000u}) {
        ScratchDir dir;
        Tree tree = EdgeSizeTree();
        tree["Music/Love6"] = Pattern(size, 1);
        ASSERT_EQ(cfbtest::BuildFile(dir / "b.stg", tree), cfb::kOk);
        const auto before = std::filesystem::file_size(dir / "b.stg");
        for (int i = 0; i < 100; ++i) {
            tree["Music/Love6"] = Pattern(size, static_cast<std::uint32_t>(i + 2));
            ASSERT_NO_FATAL_FAILURE(
                ReplaceStream(dir / "b.stg", u"Music", u"Love6", tree["Music/Love6"]));
        }
        EXPECT_LE(std::filesystem::file_size(dir / "b.stg"), before + size + 4096) << size;
        // The tables grew into sectors the replacements freed; the file must still check clean.
        cfb::CheckReport report;
        ASSERT_EQ(cfb::CheckFile(dir / "b.stg", report), 0);
        EXPECT_TRUE(report.problems.empty()) << report.problems.front();
        Tree back;
        ASSERT_EQ(cfbtest::ReadTree(dir / "b.stg", back), cfb::kOk);
        EXPECT_EQ(back, tree);
    }
}

// Names: what the format forbids is refused; lookups ignore case as other readers do.
TEST(CfbReadWrite, ElementNames) {
    ScratchDir dir;
    std::shared_ptr<cfb::Storage> root;
    ASSERT_EQ(cfb::OpenCompoundFile(dir / "n.stg", kCreate, root), cfb::kOk);
    std::shared_ptr<cfb::Stream> s;
    const std::u16string bad[] = {u"",    u"a/b", u"a\\b",
                                  u"a:b", u"a!b", u"0123456789012345678901234567890123"};
    for (const auto& name : bad) {
        EXPECT_EQ(root->CreateStream(name, kCreate, s), cfb::kErrInvalidName);
    }
    ASSERT_EQ(root->CreateStream(u"0123456789012345678901234567890", kCreate, s), cfb::kOk);
    s.reset();
    ASSERT_EQ(root->CreateStream(u"Love1", kCreate, s), cfb::kOk);
    s.reset();
    EXPECT_EQ(root->OpenStream(u"LOVE1", kRO, s), cfb::kOk);
    s.reset();
    EXPECT_EQ(root->CreateStream(u"love1", kRW, s), cfb::kErrAlreadyExists);
    EXPECT_EQ(root->OpenStream(u"Love2", kRO, s), cfb::kErrNotFound);
    EXPECT_EQ(root->DestroyElement(u"Love2"), cfb::kErrNotFound);
    std::shared_ptr<cfb::Storage> storage;
    EXPECT_EQ(root->OpenStorage(u"Love1", kRO, storage), cfb::kErrNotFound);
}

// Inside one open file an element cannot be open twice, nor destroyed or replaced while open;
// a read-only open writes nothing.
TEST(CfbReadWrite, OpenElementsAreExclusive) {
    ScratchDir dir;
    ASSERT_EQ(cfbtest::BuildFile(dir / "e.stg", EdgeSizeTree()), cfb::kOk);
    {
        std::shared_ptr<cfb::Storage> root, images, again;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "e.stg", kRW, root), cfb::kOk);
        ASSERT_EQ(root->OpenStorage(u"Images", kRW, images), cfb::kOk);
        EXPECT_EQ(root->OpenStorage(u"Images", kRO, again), cfb::kErrAlreadyOpen);
        std::shared_ptr<cfb::Stream> s, t;
        ASSERT_EQ(images->OpenStream(u"S63", kRW, s), cfb::kOk);
        EXPECT_EQ(images->OpenStream(u"S63", kRO, t), cfb::kErrAlreadyOpen);
        EXPECT_EQ(images->DestroyElement(u"S63"), cfb::kErrAccessDenied);
        EXPECT_EQ(images->CreateStream(u"S63", kCreate, t), cfb::kErrAccessDenied);
        EXPECT_EQ(root->DestroyElement(u"Images"), cfb::kErrAccessDenied);
        s.reset();
        EXPECT_EQ(images->OpenStream(u"S63", kRO, t), cfb::kOk);
        EXPECT_EQ(images->OpenStream(u"S64", cfb::kModeRead | cfb::kShareDenyWrite, s),
                  cfb::kErrInvalidFlag);
    }
    {
        std::shared_ptr<cfb::Storage> root, images;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "e.stg", cfb::kModeRead | cfb::kShareDenyWrite, root),
                  cfb::kOk);
        EXPECT_EQ(root->OpenStorage(u"Images", kRW, images), cfb::kErrAccessDenied);
        ASSERT_EQ(root->OpenStorage(u"Images", kRO, images), cfb::kOk);
        std::shared_ptr<cfb::Stream> s;
        EXPECT_EQ(images->CreateStream(u"New", kCreate, s), cfb::kErrAccessDenied);
        EXPECT_EQ(images->DestroyElement(u"S63"), cfb::kErrAccessDenied);
        ASSERT_EQ(images->OpenStream(u"S63", kRO, s), cfb::kOk);
        EXPECT_EQ(s->Write("x", 1, nullptr), cfb::kErrAccessDenied);
    }
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "e.stg", back), cfb::kOk);
    EXPECT_EQ(back, EdgeSizeTree());
}

// Destroying a storage takes everything under it and frees its space for reuse.
TEST(CfbReadWrite, DestroyStorageSubtree) {
    ScratchDir dir;
    Tree tree = EdgeSizeTree();
    ASSERT_EQ(cfbtest::BuildFile(dir / "d.stg", tree), cfb::kOk);
    {
        std::shared_ptr<cfb::Storage> root;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "d.stg", kRW, root), cfb::kOk);
        ASSERT_EQ(root->DestroyElement(u"Sound"), cfb::kOk);
    }
    for (auto it = tree.begin(); it != tree.end();) {
        it = it->first.rfind("Sound/", 0) == 0 ? tree.erase(it) : std::next(it);
    }
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(dir / "d.stg", back), cfb::kOk);
    EXPECT_EQ(back, tree);
    const auto size = std::filesystem::file_size(dir / "d.stg");
    ASSERT_EQ(cfbtest::BuildFile(dir / "d2.stg", {{"X/Y", Pattern(1 << 20, 3)}}), cfb::kOk);
    {
        // Re-adding a storage of the same size does not grow the file by much.
        std::shared_ptr<cfb::Storage> root, sound;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "d.stg", kRW, root), cfb::kOk);
        ASSERT_EQ(root->CreateStorage(u"Sound", kRW, sound), cfb::kOk);
        std::shared_ptr<cfb::Stream> s;
        ASSERT_EQ(sound->CreateStream(u"Big", kCreate, s), cfb::kOk);
        const auto bytes = Pattern(1 << 20, 9);
        ASSERT_EQ(s->Write(bytes.data(), 1 << 20, nullptr), cfb::kOk);
    }
    EXPECT_LE(std::filesystem::file_size(dir / "d.stg"), size + 8192);
}

} // namespace
