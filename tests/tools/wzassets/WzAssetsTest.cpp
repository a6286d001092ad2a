#include "WzAssets.h"

#include "CfbTestSupport.h"

#include "ToolRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>

namespace {

using cfbtest::Pattern;
using cfbtest::ScratchDir;

using wztest::Tool;
using wztest::ToolRun;

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

// A stream whose chain is damaged, or shared with another chain or a table, is refused with
// one line before anything is written; the file's sound streams still come out.
TEST_F(WzAssetsTest, ExtractRefusesAStreamWhoseChainIsDamaged) {
    using Damage = std::function<void(cfbtest::Layout&)>;
    const auto love1 = [](const cfbtest::Layout& f) { return f.Chain(f.StartOf(u"Love1")); };
    struct Case {
        const char* what;
        Damage damage;
        std::vector<std::string> refused;
    };
    const Case cases[] = {
        {"runs into the directory",
         [&](cfbtest::Layout& f) { f.Set32(f.FatAt(love1(f)[1]), f.Get32(0x30)); },
         {"Images/Love1"}},
        {"runs into the FAT",
         [&](cfbtest::Layout& f) { f.Set32(f.FatAt(love1(f)[1]), f.Get32(0x4C)); },
         {"Images/Love1"}},
        {"shares sectors with another stream",
         [&](cfbtest::Layout& f) { f.Set32(f.EntryAt(f.Find(u"Knock")) + 0x74, love1(f)[3]); },
         {"Images/Love1", "Sound/Knock"}},
        {"loops",
         [&](cfbtest::Layout& f) { f.Set32(f.FatAt(love1(f)[5]), love1(f)[2]); },
         {"Images/Love1"}},
        {"is shorter than the size",
         [](cfbtest::Layout& f) { f.Set32(f.EntryAt(f.Find(u"Love1")) + 0x78, 12345 + 5000); },
         {"Images/Love1"}},
        {"loops in the MiniFAT",
         [](cfbtest::Layout& f) {
             const std::uint32_t start = f.StartOf(u"Jacket");
             f.Set32(f.MiniFatAt(start), start);
         },
         {"Images/Jacket"}},
    };
    const std::string damaged = (dir / "damaged.stg").string();
    const std::string target = (dir / "out.bin").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cfbtest::Layout f{cfbtest::ReadFileBytes(file)};
        c.damage(f);
        cfbtest::WriteFileBytes(damaged, f.bytes);
        for (const std::string& path : c.refused) {
            const ToolRun r = Tool({"extract", damaged, path, target});
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err.rfind("wzassets: " + damaged + ": " + path + ": damaged: ", 0), 0u)
                << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
            EXPECT_FALSE(std::filesystem::exists(target));
        }
        const ToolRun sound = Tool({"extract", damaged, "Readme", target});
        EXPECT_EQ(sound.code, 0) << sound.err;
        EXPECT_EQ(cfbtest::ReadFileBytes(target), Pattern(10, 5));
        std::filesystem::remove(target);
    }
}

// "-" writes the bytes to standard output, through the real program.
TEST_F(WzAssetsTest, ExtractsToStandardOutput) {
    std::string captured;
    const int code = cfbtest::RunProgram(
        // NOLINTNEXTLINE(bugprone-suspicious-missing-comma): the folder and name are one path
        {WZ_BINARY_DIR "/bin/wzassets", "extract", file, "Sound/Knock", "-"}, &captured);
    EXPECT_EQ(code, 0);
    const auto expected = Pattern(4096, 3);
    EXPECT_EQ(captured, std::string(expected.begin(), expected.end()));
}

// The structure alone: this file's streams are not real media, and the content checks have
// tests of their own.
TEST_F(WzAssetsTest, ChecksASoundFile) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{file}, {"--strict", file}, {file, "--strict"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(wz::assets::CheckWith(args, {}, out, err), 0);
        EXPECT_EQ(out.str(), file + ": OK, 5 streams in 3 storages\n");
    }
}

// Oddities every reader takes are notes: printed, but only --strict fails on them. Errors
// fail either way and get no summary.
TEST_F(WzAssetsTest, NotesFailOnlyWithStrict) {
    cfbtest::Layout f{cfbtest::ReadFileBytes(file)};
    f.bytes[0x08] = 1; // a class id in the header
    const std::string odd = (dir / "odd.stg").string();
    cfbtest::WriteFileBytes(odd, f.bytes);
    const std::uint32_t love1 = f.StartOf(u"Love1");
    f.Set32(f.FatAt(love1), cfb::kFreeSect);
    const std::string bad = (dir / "bad.stg").string();
    cfbtest::WriteFileBytes(bad, f.bytes);
    // A FAT sector with the wrong mark still reads; marked free, a writer would reuse it.
    cfbtest::Layout g{cfbtest::ReadFileBytes(file)};
    const std::uint32_t fat = g.Get32(0x4C);
    const std::string fatLine =
        "FAT: sector " + std::to_string(fat) + " holds the FAT but is not marked as a FAT sector";
    g.Set32(g.FatAt(fat), cfb::kEndOfChain);
    const std::string fatEnd = (dir / "fat-end.stg").string();
    cfbtest::WriteFileBytes(fatEnd, g.bytes);
    g.Set32(g.FatAt(fat), cfb::kFreeSect);
    const std::string fatFree = (dir / "fat-free.stg").string();
    cfbtest::WriteFileBytes(fatFree, g.bytes);
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string out;
    };
    const Case cases[] = {
        {{odd},
         0,
         "note: header: the class id is not zero\n" + odd +
             ": OK, 5 streams in 3 storages, 1 note\n"},
        {{"--strict", odd}, 1, "note: header: the class id is not zero\n"},
        {{bad},
         1,
         "Images/Love1: the chain runs into sector " + std::to_string(love1) +
             " whose entry is not a link\n"
             "note: header: the class id is not zero\n"},
        {{fatEnd},
         0,
         "note: " + fatLine + "\n" + fatEnd + ": OK, 5 streams in 3 storages, 1 note\n"},
        {{fatFree}, 1, fatLine + ", it is marked free\n"},
    };
    for (const Case& c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(wz::assets::CheckWith(c.args, {}, out, err), c.code) << c.args[0];
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), "");
    }
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
        {{"check", file, file}, 2, "Usage: wzassets check [--strict] FILE\n"},
        {{"check", "--strict", "--strict", file}, 2, "Usage: wzassets check [--strict] FILE\n"},
        {{"unpack", file}, 2, "Usage: wzassets unpack FILE DIR\n"},
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
        for (const char* command : {"list FILE", "extract FILE PATH OUT", "unpack FILE DIR",
                                    "check [--strict] FILE", "note: "}) {
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
// on standard error and exit 1; the structural check names at least one error and exits 1.
// The odd files read, and --strict fails them on their notes.
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
        const bool good = name.rfind("good-", 0) == 0;
        // Our reader finds elements whose names are out of order, but a reader that searches
        // the tree, as the format means it to, misses some: an error too.
        const bool bad = name.rfind("bad-", 0) == 0 || name == "odd-names-out-of-order";
        const int code = wz::assets::CheckWith({file}, {}, out, err);
        std::ostringstream strictOut;
        const int strict = wz::assets::CheckWith({"--strict", file}, {}, strictOut, err);
        EXPECT_EQ(code, bad ? 1 : 0) << out.str();
        EXPECT_EQ(strict, good ? 0 : 1) << strictOut.str();
        if (bad) {
            EXPECT_NE(out.str().rfind("note: ", 0), 0u) << "an error comes first";
        }
    }
}

} // namespace
