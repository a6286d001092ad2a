#pragma once

// Running the built game as a separate process: waiting on what it does, with a generous bound
// in place of a time to assert on.

#include <QProcess>

#include <chrono>
#include <filesystem>
#include <functional>

namespace wz::test {

// Polls the condition until it holds, the game has ended or the bound has passed; its last
// answer. Between polls it waits on the game itself: a QProcess learns that its program ended
// only while it waits or handles events, so a sleep here would let a game that failed at once
// keep the test waiting for the whole bound.
inline bool WaitFor(QProcess& game, const std::function<bool()>& condition, int milliseconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        if (game.state() == QProcess::NotRunning)
            break;
        game.waitForFinished(50);
    }
    return condition();
}

// Starts the built game in folder on the offscreen platform, with silent audio and its
// temporary files in tmp.
inline bool StartOffscreenGame(QProcess& game, const std::filesystem::path& folder,
                               const std::filesystem::path& tmp) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("SDL_AUDIODRIVER", "dummy");
    env.insert("TMPDIR", QString::fromStdString(tmp.string()));
    game.setProcessEnvironment(env);
    game.setWorkingDirectory(QString::fromStdString(folder.string()));
    game.start(WZ_BINARY_DIR "/bin/WinZolvik", {});
    return game.waitForStarted();
}

} // namespace wz::test
