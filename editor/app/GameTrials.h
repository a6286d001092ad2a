#pragma once

// The games that Try in Game starts, each on a pack of its own that the editor wrote into the
// temporary folder. A game's pack goes when that game ends. When the editor ends (also by a
// signal, which ends it the ordinary way), the games it started to try end with it and their
// packs go too: a pack is of no use once the editor that made it is gone.

#include <QObject>
#include <QString>
#include <QStringList>

#include <map>
#include <string>

class QProcess;

// The game's program: beside the editor (programFolder), then in the current folder, then
// along the search path. Empty when there is none.
QString FindGameProgram(const QString& programFolder);

class GameTrials : public QObject {
    Q_OBJECT
public:
    explicit GameTrials(QObject* parent = nullptr);
    ~GameTrials() override;
    GameTrials(const GameTrials&) = delete;
    GameTrials& operator=(const GameTrials&) = delete;

    // Starts program with arguments in folder, a game that plays pack. The pack is this
    // object's from now on: when the game cannot start it is removed at once and false is
    // returned.
    bool Start(const QString& program, const QStringList& arguments, const std::string& pack,
               const QString& folder);

    // The games started here that have not ended yet.
    int running() const { return static_cast<int>(games_.size()); }

private:
    void Ended(QProcess* game);

    std::map<QProcess*, std::string> games_; // each running game and its pack
};
