// SIGTERM, SIGINT and SIGHUP end the game through its ordinary shutdown: the built program is
// stopped by each of them, and in process the signal reaches a modal dialog's loop.

#include "TerminationSignals.h"
#include "BuiltGameSupport.h"
#include "DialogTestSupport.h"
#include "SettingsFile.h"

#include <csignal>
#include <sys/stat.h>

namespace wz::test {
namespace {

namespace fs = std::filesystem;

// The game's temporary files in the folder; the offscreen platform keeps a runtime folder there.
std::size_t TempFiles(const fs::path& folder) {
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.is_regular_file() ? 1 : 0;
    return count;
}

ino_t Inode(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// The built game, started on the offscreen platform with its temporary files in a folder of the
// test, is sent the signal once both files are there. It ends by that signal, having removed
// them, and its settings file is the very file it found.
TEST_F(GameProgramTest, BuiltGameEndsCleanlyOnEachSignal) {
    if (!fs::exists(WZ_BINARY_DIR "/bin/WinZolvik") || !fs::exists(WZ_BINARY_DIR "/WinData.stg"))
        GTEST_SKIP() << "needs the built game and its asset file";
    fs::copy_file(WZ_BINARY_DIR "/WinData.stg", setup.assetFile);
    GameState stored;
    stored.musicOption = 0;
    stored.highScores[0] = 777;
    ASSERT_TRUE(WriteSettingsFile(setup.settingsFile, stored));
    const std::vector<std::uint8_t> settings = FileBytes(setup.settingsFile);

    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const ino_t inode = Inode(setup.settingsFile);
        QProcess game;
        ASSERT_TRUE(StartOffscreenGame(game, folder, tmp)) << signal;
        ASSERT_TRUE(WaitFor(
            game, [&] { return TempFiles(tmp) == 2; }, 60000))
            << signal;

        ASSERT_EQ(::kill(static_cast<pid_t>(game.processId()), signal), 0);
        const bool ended = game.waitForFinished(60000);
        if (!ended) {
            game.kill();
            game.waitForFinished();
        }
        ASSERT_TRUE(ended) << "signal " << signal;
        EXPECT_EQ(game.exitStatus(), QProcess::CrashExit) << signal;
        EXPECT_EQ(game.exitCode(), signal);
        EXPECT_EQ(TempFiles(tmp), 0u) << signal;
        EXPECT_EQ(FileBytes(setup.settingsFile), settings) << signal;
        EXPECT_EQ(Inode(setup.settingsFile), inode) << signal;
        // The asset file, the settings file and the temporary folder, nothing else.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3)
            << signal;
    }
}

// Without its asset file the built game says why on its standard error stream, in one line,
// while its fatal message waits to be read; a signal then ends it with nothing left behind.
TEST_F(GameProgramTest, BuiltGameTellsAFatalErrorOnStderr) {
    if (!fs::exists(WZ_BINARY_DIR "/bin/WinZolvik"))
        GTEST_SKIP() << "needs the built game";
    QProcess game;
    ASSERT_TRUE(StartOffscreenGame(game, folder, tmp));
    QByteArray error;
    WaitFor(
        game,
        [&] {
            error += game.readAllStandardError();
            return error.contains("WinZolvik: fatal error:");
        },
        60000);
    ::kill(static_cast<pid_t>(game.processId()), SIGTERM);
    ASSERT_TRUE(game.waitForFinished(60000));
    error += game.readAllStandardError();
    const QString expected =
        "WinZolvik: fatal error: " + QString::fromStdString((folder / "WinData.stg").string()) +
        ": file not found";
    EXPECT_TRUE(QString::fromLocal8Bit(error).split('\n').contains(expected))
        << error.toStdString();
    EXPECT_EQ(TempFiles(tmp), 0u);
    EXPECT_FALSE(fs::exists(setup.settingsFile));
}

// A signal while the high-score name is being entered: the dialog's loop ends, the save that
// follows the dialog writes nothing, and the shutdown closes the music and removes the files.
TEST_F(DialogProgramTest, SignalDuringADialogSavesNothing) {
    ASSERT_TRUE(StartWithDialogs());
    const TerminationSignals stopSignals([this](int) { program->EndOnSignal(); });
    StartGame();
    ASSERT_EQ(State().musicOpen, 1);
    const std::vector<std::uint8_t> settings = FileBytes(setup.settingsFile);
    const ino_t inode = Inode(setup.settingsFile);
    State().board.score = 4300;
    State().board.gameOver = 1;

    QTimer raiser;
    QObject::connect(&raiser, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != nullptr) {
            raiser.stop();
            ::raise(SIGTERM);
        }
    });
    raiser.start(5);
    Press(Qt::Key_Space);

    EXPECT_EQ(stopSignals.Received(), SIGTERM);
    EXPECT_EQ(program->Finish(0), 0);
    EXPECT_TRUE(Window().Destroyed());
    EXPECT_EQ(State().musicOpen, 0);
    EXPECT_EQ(TempFileCount(), 0u);
    EXPECT_EQ(FileBytes(setup.settingsFile), settings);
    EXPECT_EQ(Inode(setup.settingsFile), inode);

    // The application's exit still stands for every loop started later; one loop of its own
    // takes it back, so the next tests' dialogs run.
    QTimer::singleShot(0, [] { QApplication::exit(0); });
    QApplication::exec();
}

} // namespace
} // namespace wz::test
