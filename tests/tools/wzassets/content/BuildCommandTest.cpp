// `wzassets build`: the default file as every reader sees it, the same bytes on every build,
// a folder's files taken byte for byte, and failures that leave the old file alone. And
// `wzassets unpack`, whose folder build takes back.

#include "BuildCommand.h"
#include "CfbTestSupport.h"
#include "CompoundStorage.h"
#include "DefaultContent.h"
#include "WzAssets.h"

#include "../ToolRun.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using cfbtest::Pattern;
using cfbtest::ReadFileBytes;
using cfbtest::ScratchDir;
using cfbtest::WriteFileBytes;

using wztest::Tool;
using wztest::ToolRun;

std::string PathOf(const wz::content::AssetElement& e) {
    return cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name);
}

// The default file is built once, by the first test that asks for it.
class BuildCommand : public ::testing::Test {
protected:
    static void TearDownTestSuite() {
        delete dir_;
        delete expected_;
        dir_ = nullptr;
        expected_ = nullptr;
    }
    static fs::path DefaultFile() {
        if (dir_ == nullptr) {
            dir_ = new ScratchDir;
            const ToolRun r = Tool({"build", (*dir_ / "WinData.stg").string()});
            EXPECT_EQ(r.code, 0) << r.err;
        }
        return *dir_ / "WinData.stg";
    }
    static const cfbtest::Tree& Expected() {
        if (expected_ == nullptr) {
            expected_ = new cfbtest::Tree;
            for (const auto& e : wz::content::AssetElements()) {
                (*expected_)[PathOf(e)] = wz::content::MakeDefaultElement(e);
            }
        }
        return *expected_;
    }

    static ScratchDir* dir_;
    static cfbtest::Tree* expected_;
    ScratchDir scratch;
};

ScratchDir* BuildCommand::dir_ = nullptr;
cfbtest::Tree* BuildCommand::expected_ = nullptr;

TEST_F(BuildCommand, DefaultFileHoldsEveryElementForEveryReader) {
    cfbtest::Tree tree;
    ASSERT_EQ(cfbtest::ReadTree(DefaultFile(), tree), 0);
    EXPECT_EQ(tree, Expected());

    // The game's own way in: read-only, storage by storage.
    wz::CompoundStorage storage;
    ASSERT_TRUE(storage.Open(DefaultFile(), true, false));
    for (const auto& e : wz::content::AssetElements()) {
        std::vector<std::uint8_t> bytes;
        ASSERT_TRUE(storage.OpenStorage(e.storage, true));
        ASSERT_TRUE(storage.ReadWholeStream(e.name, bytes)) << PathOf(e);
    }
    storage.CloseAll();

    // olefile in strict mode, a reader nobody here wrote.
    std::string listing;
    ASSERT_EQ(
        cfbtest::RunProgram(
            {"/usr/bin/python3", "-c",
             "import olefile,sys\n"
             "ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
             "for p in sorted(ole.listdir()): print('/'.join(p), ole.get_size('/'.join(p)))\n",
             DefaultFile().string()},
            &listing),
        0);
    std::string want;
    for (const auto& [path, bytes] : Expected()) {
        want += path + " " + std::to_string(bytes.size()) + "\n";
    }
    EXPECT_EQ(listing, want);

    // And the tool's own check, through the real program.
    std::string said;
    EXPECT_EQ(
        cfbtest::RunProgram(
            {WZ_BINARY_DIR "/bin/wzassets", "check", "--strict", DefaultFile().string()}, &said),
        0);
    EXPECT_EQ(said, DefaultFile().string() + ": OK, 46 streams in 3 storages\n");
}

TEST_F(BuildCommand, TwoBuildsWriteTheSameBytes) {
    const fs::path again = scratch / "again.stg";
    ASSERT_EQ(Tool({"build", again.string(), "--quiet"}).code, 0);
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(DefaultFile()));
}

TEST_F(BuildCommand, FolderFilesReplaceExactlyTheirElements) {
    const fs::path from = scratch / "mine";
    fs::create_directories(from / "Images");
    fs::create_directories(from / "Sound");
    fs::create_directories(from / "Music");
    fs::create_directories(from / "Video");
    cfbtest::Tree expected = Expected();
    const std::pair<const char*, const char*> given[] = {
        {"Images/Love3", "Images/Love3.jpg"},  {"Images/Jacket", "Images/Jacket.JPEG"},
        {"Sound/Knock", "Sound/Knock.wav"},    {"Music/Win", "Music/Win.mid"},
        {"Music/Love18", "Music/Love18.midi"},
    };
    std::uint32_t seed = 1;
    for (auto [element, file] : given) {
        expected[element] = Pattern(1000 * seed, seed);
        WriteFileBytes(from / file, expected[element]);
        ++seed;
    }
    WriteFileBytes(from / "Images/Love3.txt.bak", Pattern(5, 9)); // stem "Love3.txt"
    WriteFileBytes(from / "Images/Love21.jpg", Pattern(5, 9));
    WriteFileBytes(from / "Video/Love1.mpg", Pattern(5, 9)); // not a storage of the file

    const fs::path out = scratch / "WinData.stg";
    const ToolRun r = Tool({"build", out.string(), "--from", from.string()});
    ASSERT_EQ(r.code, 0) << r.err;
    cfbtest::Tree tree;
    ASSERT_EQ(cfbtest::ReadTree(out, tree), 0);
    EXPECT_EQ(tree, expected);
    EXPECT_NE(r.out.find("Images/Love3\t1000\t" + (from / "Images/Love3.jpg").string() + "\n"),
              std::string::npos);
    EXPECT_NE(r.out.find("5 from files and 41 generated"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("ignored " + (from / "Images/Love21.jpg").string()), std::string::npos);
    EXPECT_NE(r.err.find("ignored " + (from / "Images/Love3.txt.bak").string()), std::string::npos);
    EXPECT_EQ(r.err.find("Video"), std::string::npos);
}

TEST_F(BuildCommand, FailuresNameTheCauseAndLeaveTheOldFileAlone) {
    struct Case {
        const char* name;
        void (*prepare)(const fs::path& from);
        std::string fromArg; // relative to the scratch folder
        const char* outFolder;
        const char* expected;
    };
    const Case cases[] = {
        {"a folder where a picture should be",
         [](const fs::path& f) { fs::create_directories(f / "Images/Love3.jpg"); }, "src", ".",
         "cannot read"},
        {"two files for one element",
         [](const fs::path& f) {
             fs::create_directories(f / "Music");
             WriteFileBytes(f / "Music/Love2.mid", Pattern(10, 1));
             WriteFileBytes(f / "Music/Love2.midi", Pattern(10, 2));
         },
         "src", ".", "two files for Music/Love2"},
        {"no such folder", [](const fs::path&) {}, "nowhere", ".", "not a folder"},
        {"output folder missing", [](const fs::path& f) { fs::create_directories(f); }, "src",
         "gone", "cannot write in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        c.prepare(dir / "src");
        const fs::path out = dir.path() / c.outFolder / "WinData.stg";
        if (fs::exists(out.parent_path())) {
            WriteFileBytes(out, Pattern(77, 7));
        }
        const ToolRun r = Tool({"build", out.string(), "--from", (dir / c.fromArg).string()});
        EXPECT_EQ(r.code, 1);
        EXPECT_NE(r.err.find(c.expected), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line";
        if (fs::exists(out.parent_path())) {
            EXPECT_EQ(ReadFileBytes(out), Pattern(77, 7));
            // Nothing else was left beside it: no scratch file.
            int entries = 0;
            for ([[maybe_unused]] const auto& e : fs::directory_iterator(out.parent_path())) {
                ++entries;
            }
            // The old file, and the source folder when the case made one there.
            const bool srcBeside = std::string(c.outFolder) == "." && fs::exists(dir / "src");
            EXPECT_EQ(entries, srcBeside ? 2 : 1);
        }
    }
}

TEST_F(BuildCommand, CommandLinesItDoesNotUnderstand) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"build"},
                                               {"build", "a", "b"},
                                               {"build", "a", "--from"},
                                               {"build", "a", "--bogus"},
                                               {"build", "a", "--from", "x", "--from", "y"}}) {
        const ToolRun r = Tool(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.err, "Usage: wzassets build OUT [--from DIR [--fit]] [--quiet]\n");
    }
}

// Unpack, then build from the folder: every stream comes back byte for byte, and so does the
// whole file. An edited file in the folder changes its element and nothing else.
TEST_F(BuildCommand, UnpackAndBuildMakeARoundTrip) {
    const fs::path folder = scratch / "unpacked";
    const ToolRun unpack = Tool({"unpack", DefaultFile().string(), folder.string()});
    ASSERT_EQ(unpack.code, 0) << unpack.err;
    EXPECT_EQ(unpack.err, "");
    EXPECT_NE(unpack.out.find(": 46 streams, "), std::string::npos) << unpack.out;
    EXPECT_TRUE(fs::is_regular_file(folder / "Images/Love3.jpg"));
    EXPECT_TRUE(fs::is_regular_file(folder / "Sound/Knock.wav"));
    EXPECT_TRUE(fs::is_regular_file(folder / "Music/Titles.mid"));

    const fs::path again = scratch / "again.stg";
    const ToolRun build = Tool({"build", again.string(), "--from", folder.string(), "--quiet"});
    ASSERT_EQ(build.code, 0) << build.err;
    EXPECT_EQ(build.err, "");
    EXPECT_NE(build.out.find("46 from files and 0 generated"), std::string::npos) << build.out;
    cfbtest::Tree tree;
    ASSERT_EQ(cfbtest::ReadTree(again, tree), 0);
    EXPECT_EQ(tree, Expected());
    EXPECT_EQ(ReadFileBytes(again), ReadFileBytes(DefaultFile()));

    cfbtest::Tree edited = Expected();
    edited["Music/Love6"] = Pattern(5000, 6);
    WriteFileBytes(folder / "Music/Love6.mid", edited["Music/Love6"]);
    ASSERT_EQ(Tool({"build", again.string(), "--from", folder.string(), "--quiet"}).code, 0);
    ASSERT_EQ(cfbtest::ReadTree(again, tree), 0);
    EXPECT_EQ(tree, edited);
}

// A file with more than the game's tree, and less: what is not the game's is named and left
// out, a missing element is named and exits 1 (build --from then generates it); a damaged
// chain stops unpack before it writes anything.
TEST_F(BuildCommand, UnpackNamesWhatItLeavesOut) {
    cfbtest::Tree tree;
    std::uint32_t seed = 1;
    for (const auto& e : wz::content::AssetElements()) {
        if (PathOf(e) != "Music/Love5") {
            tree[PathOf(e)] = Pattern(seed * 397 % 9000, seed);
        }
        ++seed;
    }
    tree["Readme"] = Pattern(10, 1);
    tree["Images/Extra"] = Pattern(5000, 2);
    tree["Video/Intro"] = Pattern(20, 3);
    const fs::path file = scratch / "more.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
    const fs::path folder = scratch / "out";
    const ToolRun r = Tool({"unpack", file.string(), folder.string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "wzassets: left out Images/Extra: not an element of the game's tree\n"
                     "wzassets: left out Readme: not an element of the game's tree\n"
                     "wzassets: left out Video/: not an element of the game's tree\n"
                     "wzassets: " +
                         file.string() +
                         ": Music/Love5: missing; build --from generates the default\n");
    EXPECT_NE(r.out.find(": 45 streams, "), std::string::npos) << r.out;
    for (const auto& e : wz::content::AssetElements()) {
        const char* extension = e.storage == u"Images"  ? ".jpg"
                                : e.storage == u"Sound" ? ".wav"
                                                        : ".mid";
        const fs::path written = folder / (PathOf(e) + extension);
        if (PathOf(e) == "Music/Love5") {
            EXPECT_FALSE(fs::exists(written));
        } else {
            EXPECT_EQ(ReadFileBytes(written), tree[PathOf(e)]) << PathOf(e);
        }
    }

    // Images/Jacket and Sound/Knock share their sectors: nothing is written.
    cfbtest::Layout f{ReadFileBytes(file)};
    f.Set32(f.EntryAt(f.Find(u"Knock")) + 0x74, f.StartOf(u"Jacket"));
    const fs::path damaged = scratch / "damaged.stg";
    WriteFileBytes(damaged, f.bytes);
    const fs::path untouched = scratch / "untouched";
    const ToolRun refused = Tool({"unpack", damaged.string(), untouched.string()});
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.err.rfind("wzassets: " + damaged.string() + ": Images/Jacket: damaged: ", 0),
              0u)
        << refused.err;
    EXPECT_EQ(refused.err.find('\n'), refused.err.size() - 1) << "one line";
    EXPECT_FALSE(fs::exists(untouched));
}

} // namespace
