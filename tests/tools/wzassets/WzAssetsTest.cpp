#include "WzAssets.h"

#include "CfbTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

using cfbtest::Pattern;
using cfbtest::ScratchDir;

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

class WzAssetsTest : public ::testing::Test {
protected:
    void SetUp() override {
        file = (dir / "WinData.stg").string();
        ASSERT_EQ(cfbtest::BuildFile(file, {{"Images/Love1", Pattern(12345, 1)},
                                            {"Images/Jacket", Pattern(100, 2)},
                                            {"Sound/Knock", Pattern(4096, 3)},
                                            {"Music/Titles", Pattern(0, 4)},
                                            {"Readme", Pattern(10, 5)}}),
                  0);
    }
    ScratchDir dir;
    std::string file;
};

TEST_F(WzAssetsTest, ListsEveryElementSortedByPath) {
    const ToolRun r = Tool({"list", file});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "Images/\nImages/Jacket\t100\nImages/Love1\t12345\nMusic/\nMusic/Titles\t0\n"
                     "Readme\t10\nSound/\nSound/Knock\t4096\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(WzAssetsTest, ExtractsAStreamIntoAFile) {
    const std::string out = (dir / "love1.jpg").string();
    const ToolRun r = Tool({"extract", file, "Images/Love1", out});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(cfbtest::ReadFileBytes(out), Pattern(12345, 1));
    EXPECT_EQ(Tool({"extract", file, "Readme", out}).code, 0);
    EXPECT_EQ(cfbtest::ReadFileBytes(out), Pattern(10, 5));
}

// "-" writes the bytes to standard output, through the real program.
TEST_F(WzAssetsTest, ExtractsToStandardOutput) {
    std::string captured;
    const int code = cfbtest::RunProgram(
        {WZ_BINARY_DIR "/bin/wzassets", "extract", file, "Sound/Knock", "-"}, &captured);
    EXPECT_EQ(code, 0);
    const auto expected = Pattern(4096, 3);
    EXPECT_EQ(captured, std::string(expected.begin(), expected.end()));
}

// The structure alone: this file's streams are not real media, and the content checks have
// tests of their own.
TEST_F(WzAssetsTest, ChecksASoundFile) {
    std::ostringstream out, err;
    EXPECT_EQ(wz::assets::CheckWith({file}, {}, out, err), 0);
    EXPECT_EQ(out.str(), "");
}

// Wrong use and bad files: one clear line on standard error, exit 1 (2 for the command line).
TEST_F(WzAssetsTest, ErrorsAreOneLine) {
    cfbtest::WriteFileBytes(dir / "text.stg", std::vector<std::uint8_t>(600, 'x'));
    const std::string text = (dir / "text.stg").string();
    const std::string missing = (dir / "missing.stg").string();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string err;
    };
    const Case cases[] = {
        {{"list", missing}, 1, "wzassets: " + missing + ": file not found\n"},
        {{"list", text}, 1, "wzassets: " + text + ": not a compound file\n"},
        {{"extract", missing, "Images/Love1", "-"},
         1,
         "wzassets: " + missing + ": file not found\n"},
        {{"extract", file, "Images/Love9", "-"},
         1,
         "wzassets: " + file + ": Images/Love9: no such stream\n"},
        {{"extract", file, "Images", "-"}, 1, "wzassets: " + file + ": Images: no such stream\n"},
        {{"extract", file, "Nothing/Love1", "-"},
         1,
         "wzassets: " + file + ": Nothing/Love1: no such stream\n"},
        {{"extract", file, "Readme", (dir / "no/such/dir").string()},
         1,
         "wzassets: " + (dir / "no/such/dir").string() + ": cannot be created\n"},
        {{"check", missing}, 1, "wzassets: " + missing + ": file not found\n"},
        {{"list"}, 2, "Usage: wzassets list FILE\n"},
        {{"extract", file}, 2, "Usage: wzassets extract FILE PATH OUT\n"},
        {{"check", file, file}, 2, "Usage: wzassets check FILE\n"},
        {{"frobnicate"}, 2, "wzassets: unknown command \"frobnicate\" (try wzassets --help)\n"},
    };
    for (const Case& c : cases) {
        const ToolRun r = Tool(c.args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args.back();
        EXPECT_EQ(r.err, c.err);
    }
    const ToolRun check = Tool({"check", text});
    EXPECT_EQ(check.code, 1);
    EXPECT_EQ(check.out, "not a compound file: the signature is missing\n");
}

TEST_F(WzAssetsTest, HelpDescribesTheCommands) {
    for (const char* flag : {"--help", "-h"}) {
        const ToolRun r = Tool({flag});
        EXPECT_EQ(r.code, 0);
        for (const char* command : {"list FILE", "extract FILE PATH OUT", "check FILE"}) {
            EXPECT_NE(r.out.find(command), std::string::npos) << command;
        }
    }
    EXPECT_EQ(Tool({}).code, 2);
    EXPECT_EQ(Tool({"list", "--help"}).code, 0);
}

// Content checks run only on a structurally sound file, and their lines count as problems.
TEST_F(WzAssetsTest, ContentChecksPlugIn) {
    std::vector<wz::assets::ContentCheck> checks = {
        [](const std::filesystem::path&, std::vector<std::string>& problems) {
            problems.push_back("Images/Love1: not a JPEG picture");
        }};
    std::ostringstream out, err;
    EXPECT_EQ(wz::assets::CheckWith({file}, checks, out, err), 1);
    EXPECT_EQ(out.str(), "Images/Love1: not a JPEG picture\n");
    std::ostringstream out2;
    EXPECT_EQ(wz::assets::CheckWith({file}, {}, out2, err), 0);
}

// Every damaged file of the fixture corpus: list and extract either work or end with one line
// on standard error and exit 1; the structural check names at least one problem and exits 1.
TEST(WzAssetsCorpus, DamagedFilesGiveOneLineOrProblems) {
    for (const auto& item : std::filesystem::directory_iterator(WZ_TEST_DATA_DIR "/cfb")) {
        const std::string name = item.path().stem().string();
        const std::string file = item.path().string();
        SCOPED_TRACE(name);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"list", file},
              {"extract", file, "Images/Love1", "/dev/null"}}) {
            const ToolRun r = Tool(args);
            if (r.code != 0) {
                EXPECT_EQ(r.code, 1);
                EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
                EXPECT_EQ(r.err.rfind("wzassets: ", 0), 0u) << r.err;
            }
        }
        // The structure alone: these files are not asset files, so content checks stay out.
        std::ostringstream out, err;
        const int code = wz::assets::CheckWith({file}, {}, out, err);
        if (name.rfind("good-", 0) == 0) {
            EXPECT_EQ(code, 0) << out.str();
        } else {
            EXPECT_EQ(code, 1);
            EXPECT_FALSE(out.str().empty());
        }
    }
}

} // namespace
