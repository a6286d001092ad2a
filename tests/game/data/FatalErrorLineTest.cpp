// A picture that cannot be read ends the game; besides its message box, one line on the
// standard error stream names the file, the element and the reason, for a terminal or a
// launcher's log.

#include "AssetFileSamples.h"
#include "AssetLoader.h"
#include "ErrorLine.h"
#include "GameState.h"
#include "MessageBox.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <unistd.h>

namespace wz::test {
namespace {

namespace fs = std::filesystem;

struct QuietSink : MessageBoxSink {
    int shown = 0;
    void ShowMessage(const MessageBoxRequest&) override { ++shown; }
};

// What the process writes to its standard error stream while this lives.
class CapturedStderr {
public:
    explicit CapturedStderr(const fs::path& file) : file_(file) {
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~CapturedStderr() { Restore(); }
    std::string Text() {
        Restore();
        std::ifstream in(file_);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

private:
    void Restore() {
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
            saved_ = -1;
        }
    }
    fs::path file_;
    int saved_ = -1;
};

class FatalErrorLineTest : public ::testing::Test {
protected:
    wz::testkit::ScratchFolder scratch{"fatal"};
    fs::path folder = scratch.path();
    fs::path assetFile = folder / "WinData.stg";
    GameState state;
    QuietSink sink;
};

TEST_F(FatalErrorLineTest, StartupFailureNamesFileElementAndReason) {
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string detail;
    };
    const auto all = SampleAssets();
    const Case cases[] = {
        {"no asset file", [] {}, "file not found"},
        {"not a compound file", [&] { std::ofstream(assetFile) << "hello"; },
         "not a compound file"},
        {"no Images", [&] { WriteAssetFile(assetFile, Without(all, u"Images")); },
         "Images: no such element"},
        {"no Love1", [&] { WriteAssetFile(assetFile, Without(all, u"Images", u"Love1")); },
         "Images/Love1: no such element"},
        {"no Titles", [&] { WriteAssetFile(assetFile, Without(all, u"Images", u"Titles")); },
         "Images/Titles: no such element"},
    };
    for (const Case& c : cases) {
        fs::remove(assetFile);
        c.make();
        AssetLoader loader(state, sink, assetFile);
        CapturedStderr captured(folder / "stderr");
        EXPECT_FALSE(loader.LoadStartupPictures()) << c.name;
        EXPECT_EQ(captured.Text(),
                  "WinZolvik: fatal error: " + assetFile.string() + ": " + c.detail + "\n")
            << c.name;
    }
}

// A level picture missing in play: the same line, for that picture.
TEST_F(FatalErrorLineTest, PictureMissingInPlay) {
    ASSERT_TRUE(WriteAssetFile(assetFile, Without(SampleAssets(), u"Images", u"Love7")));
    AssetLoader loader(state, sink, assetFile);
    ASSERT_TRUE(loader.LoadStartupPictures());
    CapturedStderr captured(folder / "stderr");
    EXPECT_FALSE(loader.LoadBackgroundPicture(u"Love7"));
    EXPECT_EQ(captured.Text(), "WinZolvik: fatal error: " + assetFile.string() +
                                   ": Images/Love7: no such element\n");
    EXPECT_EQ(sink.shown, 1);
}

// Whatever the name holds, the line stays one line.
TEST_F(FatalErrorLineTest, LineBreaksInTheTextBecomeBlanks) {
    CapturedStderr captured(folder / "stderr");
    WriteErrorLine("fatal error: /a\nb\r\tc: file not found");
    EXPECT_EQ(captured.Text(), "WinZolvik: fatal error: /a b  c: file not found\n");
}

} // namespace
} // namespace wz::test
