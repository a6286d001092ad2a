// The built game on a real X server (Xvfb), driven through the server as a player would: keys
// sent with xdotool, screenshots taken with ImageMagick's import.

#include "AssetLoader.h"
#include "BuiltGameSupport.h"
#include "GameState.h"
#include "MessageBox.h"
#include "VirtualDisplay.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace wz::test {
namespace {

namespace fs = std::filesystem;

bool HaveTools() {
    for (const char* tool : {"Xvfb", "xdotool", "import"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return false;
    }
    return fs::exists(WZ_BINARY_DIR "/bin/WinZolvik") && fs::exists(WZ_BINARY_DIR "/WinData.stg");
}

struct NoMessages : MessageBoxSink {
    void ShowMessage(const MessageBoxRequest&) override {}
};

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveTools())
            GTEST_SKIP() << "needs Xvfb, xdotool, ImageMagick and the built game";
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(QDir(work.path()).mkdir("tmp"));
        ASSERT_TRUE(QDir(work.path()).mkdir("log"));
        // The game is only started on a display that has taken a client.
        ASSERT_TRUE(xvfb.Start(kHangBound)) << xvfb.Report();
    }
    void TearDown() override {
        if (game.state() != QProcess::NotRunning) {
            game.kill();
            game.waitForFinished();
        }
        xvfb.Stop();
    }

    // Only against a hang: every wait ends on what the game or the server does, which under a
    // heavy load may take long, never on a time it is expected within.
    static constexpr int kHangBound = 240000;

    QString Display() const { return QString::fromStdString(xvfb.Name()); }
    QString Folder() const { return work.path(); }
    QString TempFolder() const { return work.path() + "/tmp"; }

    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", Display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("TMPDIR", TempFolder());
        env.insert("SDL_AUDIODRIVER", "dummy");
        env.remove("WAYLAND_DISPLAY");
        return env;
    }
    // Runs a tool against the test's display; its exit code and output.
    std::pair<int, QByteArray> Tool(const QString& program, const QStringList& args) {
        QProcess tool;
        tool.setProcessEnvironment(Environment());
        tool.start(program, args);
        if (!tool.waitForFinished(kHangBound))
            return {-1, {}};
        return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
                tool.readAllStandardOutput()};
    }
    void StartGame() {
        game.setWorkingDirectory(Folder());
        game.setProcessEnvironment(Environment());
        // Into files, not pipes: a pipe nobody reads could fill and stop the game.
        game.setStandardOutputFile(work.path() + "/log/out");
        game.setStandardErrorFile(work.path() + "/log/err");
        game.start(WZ_BINARY_DIR "/bin/WinZolvik", {});
        ASSERT_TRUE(game.waitForStarted());
    }
    // Whether the game has ended, waiting for it while it runs (a wait before may have seen
    // its end already).
    bool Ended() {
        return game.state() == QProcess::NotRunning || game.waitForFinished(kHangBound);
    }
    // The X window whose name matches, once it is on the screen; empty when the game ends
    // first.
    QString WaitForWindow(const QString& name) {
        QString id;
        WaitFor(
            game,
            [&] {
                const auto [code, out] =
                    Tool("xdotool", {"search", "--onlyvisible", "--name", name});
                id = QString::fromLatin1(out).split('\n', Qt::SkipEmptyParts).value(0);
                return code == 0 && !id.isEmpty();
            },
            kHangBound);
        return id;
    }
    QImage Screenshot(const QString& window) {
        const QString file = Folder() + "/shot.png";
        QFile::remove(file);
        Tool("import", {"-window", window, file});
        return QImage(file).convertToFormat(QImage::Format_RGB32);
    }
    void Keys(const QString& window, const QStringList& keys) {
        QStringList args = {"key", "--window", window, "--delay", "100"};
        Tool("xdotool", QStringList{"windowfocus", "--sync", window});
        Tool("xdotool", args + keys);
    }
    // What the game said and whether it still runs, for a failure's message.
    std::string GameReport() {
        QFile out(work.path() + "/log/out"), err(work.path() + "/log/err");
        out.open(QIODevice::ReadOnly);
        err.open(QIODevice::ReadOnly);
        const auto windows = Tool("xdotool", {"search", "--name", ".", "getwindowname", "%@"});
        const std::string state =
            game.state() != QProcess::NotRunning ? "the game runs"
            : game.exitStatus() == QProcess::CrashExit
                ? "the game has crashed"
                : "the game has ended with exit code " + std::to_string(game.exitCode());
        return state + ", on display " + Display().toStdString() +
               "; its output: " + (out.readAll() + err.readAll()).toStdString() +
               "; the windows there: " + windows.second.toStdString() + "\n" + xvfb.Report();
    }
    int TempFileCount() const {
        return static_cast<int>(QDir(TempFolder()).entryList(QDir::Files).size());
    }

    QTemporaryDir work;
    testkit::VirtualDisplay xvfb{(work.path() + "/log/xvfb").toStdString(), 640, 560};
    QProcess game;
};

// Pixels of the picture that the screenshot's frame area (its bottom 296 x 432) shows unchanged.
int MatchingPixels(const QImage& shot, const Picture& picture, int fromY = 0) {
    const int top = shot.height() - 432;
    int matching = 0;
    for (int y = fromY; y < 432; ++y) {
        const std::uint8_t* row = picture.Pixels() + std::size_t(431 - y) * picture.Stride();
        for (int x = 0; x < 296; ++x) {
            const QRgb p = shot.pixel(x, top + y);
            matching +=
                qBlue(p) == row[3 * x] && qGreen(p) == row[3 * x + 1] && qRed(p) == row[3 * x + 2];
        }
    }
    return matching;
}

// Title screen at start, a game with a falling piece after Space, and Exit Game ending the
// program with code 0, leaving the settings file and no temporary file.
TEST_F(EndToEndTest, PlaysFromTheTitleAndExits) {
    ASSERT_TRUE(QFile::copy(WZ_BINARY_DIR "/WinData.stg", Folder() + "/WinData.stg"));
    // The pictures the game shows, decoded as the game decodes them.
    GameState state;
    NoMessages quiet;
    AssetLoader pictures(state, quiet, (Folder() + "/WinData.stg").toStdString());
    ASSERT_TRUE(pictures.LoadStartupPictures());
    ASSERT_TRUE(pictures.LoadBackgroundPicture(u"Jacket"));
    StartGame();
    const QString window = WaitForWindow("^WinZolvik - ");
    ASSERT_FALSE(window.isEmpty()) << GameReport();
    // The knock's and the music's files, made while the game starts.
    EXPECT_TRUE(WaitFor(
        game, [&] { return TempFileCount() == 2; }, kHangBound))
        << TempFileCount() << "; " << GameReport();

    // Each screen is taken once the game has drawn it, however long that takes.
    QImage title;
    WaitFor(
        game,
        [&] {
            title = Screenshot(window);
            return title.height() >= 432 && title.width() == 296 &&
                   MatchingPixels(title, *pictures.BackgroundPicture()) == 296 * 432;
        },
        kHangBound);
    ASSERT_GE(title.height(), 432) << GameReport();
    ASSERT_EQ(title.width(), 296);
    EXPECT_EQ(MatchingPixels(title, *pictures.BackgroundPicture()), 296 * 432);

    Keys(window, {"space"});
    ASSERT_TRUE(pictures.LoadBackgroundPicture(u"Love1"));
    // The level picture, with the labels and the piece over its top rows and nothing else.
    QImage play;
    WaitFor(
        game,
        [&] {
            play = Screenshot(window);
            return play.height() >= 432 &&
                   MatchingPixels(play, *pictures.BackgroundPicture(), 100) == 296 * 332;
        },
        kHangBound);
    EXPECT_EQ(MatchingPixels(play, *pictures.BackgroundPicture(), 100), 296 * 332);
    EXPECT_LT(MatchingPixels(play, *pictures.BackgroundPicture()), 296 * 432 - 4 * 400);
    pictures.FreePictures();

    Keys(window, {"alt+g", "x"});
    ASSERT_TRUE(Ended()) << GameReport();
    EXPECT_EQ(game.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(game.exitCode(), 0);
    EXPECT_EQ(QFileInfo(Folder() + "/WinZolvik.cfg").size(), 358);
    EXPECT_EQ(TempFileCount(), 0);
}

// Without the asset file the game shows its fatal message, never its window, and ends with
// -1 once the player has read it; no file is left anywhere.
TEST_F(EndToEndTest, MissingAssetFileEndsWithMinusOne) {
    StartGame();
    const QString box = WaitForWindow("^WinZolvik$");
    ASSERT_FALSE(box.isEmpty()) << GameReport();
    EXPECT_EQ(Tool("xdotool", {"search", "--onlyvisible", "--name", "^WinZolvik - "}).first, 1);
    Keys(box, {"Return"});
    ASSERT_TRUE(Ended()) << GameReport();
    EXPECT_EQ(game.exitCode(), 255);
    EXPECT_EQ(TempFileCount(), 0);
    EXPECT_EQ(QDir(Folder()).entryList(QDir::Files).size(), 0);
}

// With no display at all the program says so in one line instead of failing in the toolkit.
TEST(GameWithoutDisplay, SaysSoInOneLine) {
    if (!fs::exists(WZ_BINARY_DIR "/bin/WinZolvik"))
        GTEST_SKIP() << "needs the built game";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(variable);
    QTemporaryDir folder;
    QProcess game;
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(folder.path());
    game.start(WZ_BINARY_DIR "/bin/WinZolvik", {});
    ASSERT_TRUE(game.waitForFinished(10000));
    EXPECT_EQ(game.exitCode(), 1);
    const QString error = QString::fromLocal8Bit(game.readAllStandardError());
    EXPECT_TRUE(error.startsWith("WinZolvik: no display found")) << error.toStdString();
    EXPECT_EQ(error.count('\n'), 1);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

} // namespace
} // namespace wz::test
