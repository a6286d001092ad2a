// Our compound files against readers and writers that nobody here wrote: gsf (libgsf),
// olefile in strict mode, 7-Zip and the SheetJS cfb package. Each runs as a child process on
// real files.

#include "CfbCheck.h"
#include "CfbFormat.h"
#include "CfbStorage.h"
#include "CfbTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using cfbtest::kRW;
using cfbtest::Pattern;
using cfbtest::RunProgram;
using cfbtest::ScratchDir;
using cfbtest::Tree;

// Dumps every stream with olefile in strict mode (any format defect raises) into a folder.
const char* const kOlefileDump = R"(
import os, sys
import olefile
f = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
for entry in f.listdir(streams=True, storages=False):
    dest = os.path.join(sys.argv[2], *entry)
    os.makedirs(os.path.dirname(dest), exist_ok=True)
    with open(dest, 'wb') as out:
        out.write(f.openstream(entry).read())
print('ok')
)";

// Every regular file under folder, by its path relative to folder.
Tree FolderTree(const std::filesystem::path& folder) {
    Tree tree;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            tree[std::filesystem::relative(item.path(), folder).generic_string()] =
                cfbtest::ReadFileBytes(item.path());
        }
    }
    return tree;
}

Tree EdgeSizes() {
    Tree tree;
    std::uint32_t seed = 1;
    for (const char* storage : {"Images", "Sound", "Music"}) {
        for (std::size_t size : {0, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097, 1 << 20}) {
            tree[std::string(storage) + "/S" + std::to_string(size)] = Pattern(size, seed++);
        }
    }
    return tree;
}

// Reads a file we wrote with all four tools and expects exactly tree.
void ExpectOthersRead(const std::filesystem::path& file, const Tree& tree, const ScratchDir& dir) {
    SCOPED_TRACE(file.filename().string());
    const auto ole = dir / "olefile-out";
    std::filesystem::remove_all(ole);
    std::string said;
    ASSERT_EQ(
        RunProgram({"/usr/bin/python3", "-c", kOlefileDump, file.string(), ole.string()}, &said),
        0);
    EXPECT_EQ(said, "ok\n");
    Tree fromOle = FolderTree(ole);
    // olefile skips nothing, but an empty stream still makes a file; compare all.
    EXPECT_EQ(fromOle, tree);

    std::string test;
    EXPECT_EQ(RunProgram({"7zz", "t", "-tCompound", file.string()}, &test), 0);
    EXPECT_NE(test.find("Everything is Ok"), std::string::npos) << test;
    const auto seven = dir / "7z-out";
    std::filesystem::remove_all(seven);
    ASSERT_EQ(
        RunProgram({"7zz", "x", "-tCompound", "-y", "-o" + seven.string(), file.string()}, &test),
        0);
    EXPECT_EQ(FolderTree(seven), tree);

    const auto sheet = dir / "sheetjs-out";
    std::filesystem::remove_all(sheet);
    ASSERT_EQ(cfbtest::RunSheetJs({"read", file.string(), sheet.string()}), 0);
    EXPECT_EQ(FolderTree(sheet), tree);

    std::string listing;
    ASSERT_EQ(RunProgram({"gsf", "list", file.string()}, &listing), 0);
    std::size_t index = 0;
    for (const auto& [path, bytes] : tree) {
        EXPECT_NE(listing.find(" " + path + "\n"), std::string::npos) << path;
        // One gsf process per stream: a sample is enough for a storage of many.
        if (tree.size() > 100 && index++ % 50 != 0) {
            continue;
        }
        std::string cat;
        ASSERT_EQ(RunProgram({"gsf", "cat", file.string(), path}, &cat), 0);
        EXPECT_TRUE(cat == std::string(bytes.begin(), bytes.end())) << "gsf cat " << path;
    }
}

// Files written by gsf createole (one storage per folder) read byte for byte, including a
// storage of 1500 streams in gsf's list-shaped trees and a file large enough for DIFAT sectors.
TEST(CfbInterop, ReadsWhatGsfWrites) {
    ScratchDir dir;
    Tree tree = EdgeSizes();
    for (int i = 0; i < 1500; ++i) {
        tree["Many/N" + std::to_string(i)] = Pattern(i % 7 == 0 ? 5000 : i % 300, 1000 + i);
    }
    tree["Big/Huge"] = Pattern(9 << 20, 7);
    for (const auto& [path, bytes] : tree) {
        std::filesystem::create_directories((dir / path).parent_path());
        cfbtest::WriteFileBytes(dir / path, bytes);
    }
    const auto file = dir / "gsf.stg";
    const std::string script = "cd '" + dir.path().string() +
                               "' && gsf createole gsf.stg Images Sound Music Many Big >/dev/null";
    ASSERT_EQ(RunProgram({"/bin/sh", "-c", script}), 0);
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(file, back), cfb::kOk);
    EXPECT_EQ(back.size(), tree.size());
    EXPECT_TRUE(back == tree);
    // Its list-shaped trees are not balanced: notes, not errors.
    cfb::CheckReport gsf;
    ASSERT_EQ(cfb::CheckFile(file, gsf), 0);
    EXPECT_TRUE(gsf.problems.empty()) << gsf.problems.front();
    EXPECT_FALSE(gsf.notes.empty());
    // gsf's file needs DIFAT sectors: more than 109 FAT sectors.
    const auto bytes = cfbtest::ReadFileBytes(file);
    EXPECT_GT(cfb::Load32(bytes.data() + 0x2C), 109u);
    EXPECT_GT(cfb::Load32(bytes.data() + 0x48), 0u);

    // Our whole-tree copy of it is read by the others exactly, with balanced trees.
    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "copy.stg", cfb::kModeCreate | kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to), 0);
    }
    cfb::CheckReport report;
    ASSERT_EQ(cfb::CheckFile(dir / "copy.stg", report), 0);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    EXPECT_TRUE(report.notes.empty()) << report.notes.front();
    EXPECT_EQ(report.freeSectors, 0u);
    ExpectOthersRead(dir / "copy.stg", tree, dir);
}

// The tree of tests/data/sheetjs/edge-sizes.stg, as scripts/sheetjs-cfb.sh writes it.
Tree SheetJsEdgeSizes() {
    Tree tree;
    std::uint32_t seed = 1;
    for (const char* storage : {"Images", "Sound", "Music"}) {
        for (std::size_t size : {0, 1, 63, 64, 65, 511, 512, 513, 4095, 4096, 4097}) {
            tree[std::string(storage) + "/S" + std::to_string(size)] = Pattern(size, seed++);
        }
    }
    tree["Music/Long"] = Pattern(66000, 100);
    return tree;
}

// Files of the SheetJS writer read byte for byte. Its sibling trees are lists, all black, and
// it ends the FAT's last sector with end-of-chain marks where free ones belong: notes, which
// every reader takes. Our compact copy of such a file has none, and SheetJS reads it back.
TEST(CfbInterop, ReadsWhatSheetJsWrites) {
    ScratchDir dir;
    const std::filesystem::path file = WZ_TEST_DATA_DIR "/sheetjs/edge-sizes.stg";
    Tree tree = SheetJsEdgeSizes();
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(file, back), cfb::kOk);
    // SheetJS marks its files with a small stream of its own.
    const std::string mark = "\x01Sh33tJ5";
    ASSERT_EQ(back.count(mark), 1u);
    EXPECT_EQ(back[mark], (std::vector<std::uint8_t>{'7', '2', '6', '2'}));
    back.erase(mark);
    EXPECT_TRUE(back == tree);

    cfb::CheckReport report;
    ASSERT_EQ(cfb::CheckFile(file, report), 0);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    EXPECT_EQ(report.streams, tree.size() + 1);
    std::string notes;
    for (const std::string& line : report.notes) {
        notes += line + "\n";
    }
    EXPECT_NE(notes.find("entries past the end of the file are not free"), std::string::npos)
        << notes;
    EXPECT_NE(notes.find("the tree of Music: paths down the tree pass different numbers of "
                         "black entries"),
              std::string::npos)
        << notes;

    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "copy.stg", cfb::kModeCreate | kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to), 0);
    }
    ASSERT_EQ(cfb::CheckFile(dir / "copy.stg", report), 0);
    EXPECT_TRUE(report.problems.empty()) << report.problems.front();
    EXPECT_TRUE(report.notes.empty()) << report.notes.front();
    // olefile leaves out names that start with a control character: the mark goes first.
    {
        std::shared_ptr<cfb::Storage> root;
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "copy.stg", kRW, root), 0);
        ASSERT_EQ(root->DestroyElement(u"\x01Sh33tJ5"), 0);
    }
    ExpectOthersRead(dir / "copy.stg", tree, dir);
}

// What we write passes strict olefile, 7-Zip's test and gsf, fresh, after a hundred
// replacements, and after the whole-tree copy.
TEST(CfbInterop, OthersReadWhatWeWrite) {
    ScratchDir dir;
    Tree tree = EdgeSizes();
    const auto file = dir / "ours.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
    ExpectOthersRead(file, tree, dir);

    for (int i = 0; i < 100; ++i) {
        std::shared_ptr<cfb::Storage> root, music;
        ASSERT_EQ(cfb::OpenCompoundFile(file, kRW, root), 0);
        ASSERT_EQ(root->OpenStorage(u"Music", kRW, music), 0);
        const std::string name = i % 2 ? "S4095" : "S4097";
        ASSERT_EQ(music->DestroyElement(cfbtest::U16(name)), 0);
        std::shared_ptr<cfb::Stream> s;
        ASSERT_EQ(music->CreateStream(cfbtest::U16(name), cfb::kModeCreate | kRW, s), 0);
        // Alternate sizes so the streams cross the mini-stream cutoff both ways.
        auto bytes = Pattern(i % 3 == 0 ? 100 + i : 5000 + 37 * i, 500 + i);
        ASSERT_EQ(s->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr), 0);
        tree["Music/" + name] = std::move(bytes);
    }
    ExpectOthersRead(file, tree, dir);

    {
        std::shared_ptr<cfb::Storage> from, to;
        ASSERT_EQ(cfb::OpenCompoundFile(file, cfb::kModeRead | cfb::kShareDenyWrite, from), 0);
        ASSERT_EQ(cfb::OpenCompoundFile(dir / "copy.stg", cfb::kModeCreate | kRW, to), 0);
        ASSERT_EQ(from->CopyTo(*to), 0);
    }
    ExpectOthersRead(dir / "copy.stg", tree, dir);
}

// A file of ours over 8 MiB carries DIFAT sectors that the others follow.
TEST(CfbInterop, OthersReadOurDifat) {
    ScratchDir dir;
    Tree tree = {{"Music/Long", Pattern(9 << 20, 3)}, {"Images/Small", Pattern(10, 4)}};
    const auto file = dir / "big.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
    const auto bytes = cfbtest::ReadFileBytes(file);
    EXPECT_GT(cfb::Load32(bytes.data() + 0x48), 0u) << "DIFAT sectors";
    ExpectOthersRead(file, tree, dir);
}

// Our version 4 fixture is a version 4 file to olefile as well, with the same content.
TEST(CfbInterop, VersionFourFixtureAgreesWithOlefile) {
    ScratchDir dir;
    const std::filesystem::path file = WZ_TEST_DATA_DIR "/cfb/good-version4.stg";
    std::string said;
    ASSERT_EQ(
        RunProgram({"/usr/bin/python3", "-c", kOlefileDump, file.string(), (dir / "o").string()},
                   &said),
        0);
    Tree back;
    ASSERT_EQ(cfbtest::ReadTree(file, back), 0);
    EXPECT_EQ(FolderTree(dir / "o"), back);
    EXPECT_EQ(back.at("Images/Big"), Pattern(5000, 77));
}

} // namespace
