#pragma once

// The game's dialogs as Qt dialogs, each run modally over its owner. The game window's timers
// keep running behind them, as the event loop goes on while a dialog is open.

#include "GameDialogs.h"

namespace wz {

class QtGameDialogs : public GameDialogs {
public:
    bool RunSpeedDialog(QWidget* owner, GameState& state) override;
    void RunHighScoreDialog(QWidget* owner, GameState& state) override;
    void RunControlKeysDialog(QWidget* owner, GameState& state, GameServices& services) override;
    void RunAboutDialog(QWidget* owner) override;
};

} // namespace wz
