// `wzassets build`: the default file as every reader sees it, the same bytes on every build,
// a folder's files taken byte for byte, and failures that leave the old file alone.

#include "BuildCommand.h"
#include "CfbTestSupport.h"
#include "CompoundStorage.h"
#include "DefaultContent.h"
#include "WzAssets.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using cfbtest::Pattern;
using cfbtest::ReadFileBytes;
using cfbtest::ScratchDir;
using cfbtest::WriteFileBytes;

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun Tool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = wz::assets::RunWzAssets(args, out, err);
    return {code, out.str(), err.str()};
}

std::string PathOf(const wz::content::AssetElement& e) {
    return wz::assets::ToUtf8(e.storage) + "/" + wz::assets::ToUtf8(e.name);
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
    std::string problems;
    EXPECT_EQ(cfbtest::RunProgram({WZ_BINARY_DIR "/bin/wzassets", "check", DefaultFile().string()},
                                  &problems),
              0);
    EXPECT_EQ(problems, "");
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
        EXPECT_EQ(r.err, "Usage: wzassets build OUT [--from DIR] [--quiet]\n");
    }
}

} // namespace
