#pragma once

// The game's modal dialogs, owned by the main window: the speed chooser, the high-score name
// entry, the Control Keys dialog and About. The window runs them through this interface so the
// dialogs can be replaced without touching the flow or the window.

class QWidget;

namespace wz {

struct GameState;
class GameServices;

class GameDialogs {
public:
    virtual ~GameDialogs() = default;

    // Stores the chosen speed into state.speed when closed with OK; returns true for OK.
    virtual bool RunSpeedDialog(QWidget* owner, GameState& state) = 0;
    // Enters state.pendingScore under the typed name (InsertHighScore), closed either way.
    virtual void RunHighScoreDialog(QWidget* owner, GameState& state) = 0;
    // Lets the player define the control keys; saves the settings when closed with OK.
    virtual void RunControlKeysDialog(QWidget* owner, GameState& state, GameServices& services) = 0;
    virtual void RunAboutDialog(QWidget* owner) = 0;
};

// Stand-ins that open nothing and change nothing, for a program without its dialogs.
class NoDialogs : public GameDialogs {
public:
    bool RunSpeedDialog(QWidget*, GameState&) override { return false; }
    void RunHighScoreDialog(QWidget*, GameState&) override {}
    void RunControlKeysDialog(QWidget*, GameState&, GameServices&) override {}
    void RunAboutDialog(QWidget*) override {}
};

} // namespace wz
