// The built game's command line: bad arguments are refused before anything is shown or made,
// and a pack named relative to the folder the game starts in is played from there.

#include "BuiltGameSupport.h"
#include "CompoundStorage.h"
#include "GameProgramFixture.h"
#include "SettingsFile.h"

#include <QProcess>

#include <csignal>

namespace wz::test {
namespace {

namespace fs = std::filesystem;

bool HaveBuiltGame() {
    return fs::exists(WZ_BINARY_DIR "/bin/WinZolvik") && fs::exists(WZ_BINARY_DIR "/WinData.stg");
}

// Each bad argument: exit status 2 and one line naming it, with no display to open a window on
// (which would end the game with status 1), and nothing made in the folder. --help answers
// on the standard output.
TEST_F(GameProgramTest, BuiltGameRefusesBadArgumentsBeforeAnyWindow) {
    if (!HaveBuiltGame())
        GTEST_SKIP() << "needs the built game";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(variable);
    struct Case {
        QStringList arguments;
        int status;
        const char* said; // in the one line of stderr, or at the start of stdout for --help
    };
    const std::vector<Case> cases = {
        {{"--level", "0"}, 2, "\"0\""},
        {{"--level", "21"}, 2, "\"21\""},
        {{"--level", "x", "WinData.stg"}, 2, "\"x\""},
        {{"one.stg", "two.stg"}, 2, "\"two.stg\""},
        {{"--fullscreen"}, 2, "\"--fullscreen\""},
        {{"--help"}, 0, "Usage: WinZolvik [--level N] [PACK]\n"},
    };
    for (const Case& c : cases) {
        const std::string shown = c.arguments.join(' ').toStdString();
        QProcess game;
        game.setProcessEnvironment(env);
        game.setWorkingDirectory(QString::fromStdString(folder.string()));
        game.start(WZ_BINARY_DIR "/bin/WinZolvik", c.arguments);
        ASSERT_TRUE(game.waitForFinished(60000)) << shown;
        EXPECT_EQ(game.exitStatus(), QProcess::NormalExit) << shown;
        EXPECT_EQ(game.exitCode(), c.status) << shown;
        const QString out = QString::fromLocal8Bit(game.readAllStandardOutput());
        const QString error = QString::fromLocal8Bit(game.readAllStandardError());
        if (c.status == 0) {
            EXPECT_TRUE(out.startsWith(c.said)) << shown;
            EXPECT_TRUE(error.isEmpty()) << shown;
        } else {
            EXPECT_TRUE(error.startsWith("WinZolvik: ")) << error.toStdString();
            EXPECT_TRUE(error.contains(c.said)) << error.toStdString();
            EXPECT_EQ(error.count('\n'), 1) << error.toStdString();
            EXPECT_TRUE(out.isEmpty()) << shown;
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << shown << ": only the temporary folder";
    }
}

// Started in the player's folder with "../packs/Spring.stg": the game holds the pack as it holds
// its asset file, leaves the player's own "WinData.stg" alone, and keeps the player's settings
// in the folder it started in. Ended by a signal, it has written neither file.
TEST_F(GameProgramTest, BuiltGamePlaysARelativePackFromAnotherFolder) {
    if (!HaveBuiltGame())
        GTEST_SKIP() << "needs the built game and its asset file";
    const fs::path player = folder / "player";
    const fs::path pack = folder / "packs" / "Spring.stg";
    fs::create_directories(player);
    fs::create_directories(pack.parent_path());
    fs::copy_file(WZ_BINARY_DIR "/WinData.stg", player / "WinData.stg");
    fs::copy_file(WZ_BINARY_DIR "/WinData.stg", pack);
    GameState own;
    own.highScores[0] = 777;
    ASSERT_TRUE(WriteSettingsFile(player / "WinZolvik.cfg", own));
    const std::vector<std::uint8_t> ownAssets = FileBytes(player / "WinData.stg");
    const std::vector<std::uint8_t> packBytes = FileBytes(pack);
    const std::vector<std::uint8_t> settings = FileBytes(player / "WinZolvik.cfg");

    QProcess game;
    ASSERT_TRUE(StartOffscreenGame(game, player, tmp, {"--level", "7", "../packs/Spring.stg"}));
    // The knock and the music are copied out once the pictures are read.
    ASSERT_TRUE(WaitFor(
        [&] {
            return std::distance(fs::directory_iterator(tmp), fs::directory_iterator()) >= 2 ||
                   game.state() == QProcess::NotRunning;
        },
        60000));
    ASSERT_EQ(game.state(), QProcess::Running) << game.readAllStandardError().toStdString();
    CompoundStorage writer;
    EXPECT_FALSE(writer.Open(pack, false, false)) << "the pack is held with writers denied";
    EXPECT_TRUE(writer.Open(player / "WinData.stg", false, false));
    writer.CloseAll();

    ASSERT_EQ(::kill(static_cast<pid_t>(game.processId()), SIGTERM), 0);
    const bool ended = game.waitForFinished(60000);
    if (!ended) {
        game.kill();
        game.waitForFinished();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(FileBytes(pack), packBytes);
    EXPECT_EQ(FileBytes(player / "WinData.stg"), ownAssets);
    EXPECT_EQ(FileBytes(player / "WinZolvik.cfg"), settings);
    EXPECT_EQ(std::distance(fs::directory_iterator(pack.parent_path()), fs::directory_iterator()),
              1)
        << "nothing made beside the pack";
}

} // namespace
} // namespace wz::test
