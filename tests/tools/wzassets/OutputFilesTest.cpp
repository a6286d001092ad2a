// What the tool writes never costs the user a file: an output that is the command's own input
// is refused before anything is written, and a write that fails leaves the old output whole.

#include "CfbTestSupport.h"
#include "FileSizeLimit.h"

#include "ToolRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

namespace {

namespace fs = std::filesystem;
using cfbtest::Pattern;
using cfbtest::ReadFileBytes;
using cfbtest::WriteFileBytes;
using wztest::Tool;

std::size_t Entries(const fs::path& folder) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

// Each command with its output named as its input, as the same path, through a link and
// through another spelling of the path.
TEST(WzAssetsOutputs, AnOutputThatIsItsOwnInputIsRefused) {
    cfbtest::ScratchDir dir;
    // The asset file lies where unpack would write its Love1, and a picture of the build's
    // source folder is the build's output.
    const fs::path asset = dir / "pack" / "Images" / "Love1.jpg";
    const fs::path source = dir / "src" / "Images" / "Love1.jpg";
    fs::create_directories(asset.parent_path());
    fs::create_directories(source.parent_path());
    ASSERT_EQ(cfbtest::BuildFile(asset, {{"Images/Love1", Pattern(3000, 1)}}), 0);
    WriteFileBytes(source, Pattern(700, 2));
    fs::create_symlink(asset, dir / "asset-link");
    fs::create_symlink(source, dir / "source-link");

    struct Spelling {
        const char* what;
        fs::path asset;  // names the asset file
        fs::path source; // names the source picture
    };
    const Spelling spellings[] = {
        {"the same path", asset, source},
        {"a link", dir / "asset-link", dir / "source-link"},
        {"another path", dir / "pack" / "." / "Images" / "Love1.jpg",
         dir / "src" / "Images" / ".." / "Images" / "Love1.jpg"},
    };
    struct Command {
        const char* name;
        std::function<std::vector<std::string>(const Spelling&)> args;
        std::function<std::string(const Spelling&)> line;
        fs::path input;
    };
    const Command commands[] = {
        {"extract",
         [&](const Spelling& s) {
             return std::vector<std::string>{"extract", asset, "Images/Love1", s.asset};
         },
         [&](const Spelling& s) {
             return "wzassets: '" + asset.string() + "' and '" + s.asset.string() +
                    "' are the same file\n";
         },
         asset},
        {"unpack",
         [&](const Spelling& s) {
             return std::vector<std::string>{"unpack", s.asset, dir / "pack"};
         },
         [&](const Spelling& s) {
             return "wzassets: '" + s.asset.string() + "' and '" +
                    (dir / "pack" / "Images" / "Love1.jpg").string() +
                    "' are the same file; nothing written\n";
         },
         asset},
        {"build",
         [&](const Spelling& s) {
             return std::vector<std::string>{"build", s.source, "--from", dir / "src"};
         },
         [&](const Spelling& s) {
             return "wzassets: '" + source.string() + "' and '" + s.source.string() +
                    "' are the same file\n";
         },
         source},
    };
    for (const Command& c : commands) {
        for (const Spelling& s : spellings) {
            SCOPED_TRACE(std::string(c.name) + " onto " + s.what);
            const auto before = ReadFileBytes(c.input);
            const wztest::ToolRun r = Tool(c.args(s));
            EXPECT_EQ(r.code, 1);
            EXPECT_EQ(r.err, c.line(s));
            EXPECT_EQ(ReadFileBytes(c.input), before);
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(c.input)));
        }
    }
    EXPECT_EQ(Entries(dir / "pack" / "Images"), 1u) << "unpack wrote nothing";
    EXPECT_EQ(Entries(dir / "src" / "Images"), 1u) << "no temporary file is left";
}

// A write that fails midway or a name that cannot be replaced: the old output stays whole and
// no temporary file is left beside it.
TEST(WzAssetsOutputs, AFailedWriteKeepsTheOldOutput) {
    cfbtest::ScratchDir dir;
    const fs::path asset = dir / "WinData.stg";
    ASSERT_EQ(cfbtest::BuildFile(asset, {{"Images/Love1", Pattern(50000, 1)}}), 0);
    const fs::path out = dir / "out" / "Love1.jpg";
    struct Case {
        const char* what;
        std::function<void()> prepare;
        std::string line;
    };
    const Case cases[] = {
        {"the disk takes no more", [&] { WriteFileBytes(out, Pattern(900, 9)); },
         "wzassets: " + out.string() + ": write failed\n"},
        {"a folder holds the name", [&] { fs::create_directories(out / "inside"); },
         "wzassets: " + out.string() + ": cannot be replaced: Is a directory\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir / "out");
        fs::create_directories(dir / "out");
        c.prepare();
        // Files may not grow beyond 4096 bytes: the temporary one is made, its write fails.
        std::optional<wz::testkit::FileSizeLimit> limit;
        if (c.line.find("write failed") != std::string::npos) {
            limit.emplace(4096);
            ASSERT_TRUE(limit->ok());
        }
        const wztest::ToolRun r = Tool({"extract", asset, "Images/Love1", out});
        limit.reset();
        EXPECT_EQ(r.code, 1);
        EXPECT_EQ(r.err, c.line);
        if (fs::is_regular_file(out)) {
            EXPECT_EQ(ReadFileBytes(out), Pattern(900, 9));
        } else {
            EXPECT_TRUE(fs::is_directory(out / "inside"));
        }
        EXPECT_EQ(Entries(dir / "out"), 1u);
    }
}

} // namespace
