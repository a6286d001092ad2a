#include "GameTrials.h"

#include "TempFiles.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The game's program, by its bare name.
constexpr auto kGameProgram = "WinZolvik";

// How long a game asked to end at the editor's end is given before it is stopped outright.
constexpr int kEndGraceMs = 3000;

} // namespace

QString FindGameProgram(const QString& programFolder) {
    const QString name = QString::fromLatin1(kGameProgram);
    const QString program =
        QStandardPaths::findExecutable(name, {programFolder, QDir::currentPath()});
    return program.isEmpty() ? QStandardPaths::findExecutable(name) : program;
}

GameTrials::GameTrials(QObject* parent) : QObject(parent) {}

// Every game is asked first and waited for after, so that they end side by side. A game that
// ends on the request removes its own temporary files; one that does not is stopped.
GameTrials::~GameTrials() {
    for (const auto& [game, pack] : games_) {
        game->disconnect(this);
        game->terminate();
    }
    for (const auto& [game, pack] : games_) {
        if (!game->waitForFinished(kEndGraceMs)) {
            game->kill();
            game->waitForFinished();
        }
        wz::RemoveFile(pack);
    }
}

bool GameTrials::Start(const QString& program, const QStringList& arguments,
                       const std::string& pack, const QString& folder) {
    auto* game = new QProcess(this);
    // What the game prints reaches the editor's own streams; it reads nothing.
    game->setProcessChannelMode(QProcess::ForwardedChannels);
    game->setWorkingDirectory(folder);
    games_[game] = pack;
    connect(game, &QProcess::finished, this, [this, game] { Ended(game); });
    game->start(program, arguments);
    if (!game->waitForStarted()) {
        games_.erase(game);
        delete game;
        wz::RemoveFile(pack);
        return false;
    }
    return true;
}

void GameTrials::Ended(QProcess* game) {
    const auto found = games_.find(game);
    if (found == games_.end()) {
        return;
    }
    wz::RemoveFile(found->second);
    games_.erase(found);
    game->deleteLater();
}
