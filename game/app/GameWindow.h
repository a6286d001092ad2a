#pragma once

// The game's one main window: a fixed 296 x 432 client area under the menu bar, no resizing,
// no maximise. It is the host of the game flow: key presses, timer ticks, menu commands, the
// application losing activation and the window closing all reach the flow from here, and the
// flow's requests (repaint, timers, queued commands, check marks, close, dialogs, message
// boxes) are answered here.

#include "FrameWidget.h"
#include "GameHost.h"

#include <QBasicTimer>
#include <QMainWindow>
#include <QMap>

#include <cstdint>
#include <map>

class QAction;

namespace wz {

class AssetLoader;
class GameDialogs;
class GameFlow;
class GameServices;
struct GameState;

// The caption: the game's fixed title line.
inline constexpr const char* kWindowCaption = "WinZolvik - The Great Game - 2001 Edition";

class GameWindow : public QMainWindow, public GameHost {
    Q_OBJECT
public:
    GameWindow(GameState& state, MessageBoxSink& messages, GameDialogs& dialogs);
    ~GameWindow() override;

    // The flow and the components it works with; events before these are set are dropped.
    void Attach(GameFlow* flow, GameServices* services);
    // The pictures the screens draw with, read at every paint.
    void SetAssets(AssetLoader* assets) { assets_ = assets; }

    FrameWidget& Frame() { return *frame_; }
    QAction* MenuAction(std::uint32_t command) const { return actions_.value(command); }
    // True once the window has gone through its close: timers stopped, music closed.
    bool Destroyed() const { return destroyed_; }

    // GameHost
    void Repaint() override;
    std::int32_t SetTimer(std::int32_t id, std::int32_t periodMs) override;
    void KillTimer(std::int32_t id) override;
    void PostCommand(std::uint32_t command) override;
    void SetMenuCheck(std::uint32_t command, bool checked) override;
    void CloseWindow() override;
    bool RunSpeedDialog() override;
    void RunHighScoreDialog() override;
    void RunControlKeysDialog() override;
    void RunAboutDialog() override;
    std::uint32_t TimeInSeconds() override;
    void ShowMessage(const MessageBoxRequest& request) override;

    // The armed timers, for inspection: identifier to period in milliseconds.
    std::map<std::int32_t, std::int32_t> ArmedTimers() const;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    void OnApplicationStateChanged(Qt::ApplicationState state);
    void OnCommand(std::uint32_t command);

    struct ArmedTimer {
        QBasicTimer timer;
        std::int32_t periodMs = 0;
    };

    GameState& state_;
    MessageBoxSink& messages_;
    GameDialogs& dialogs_;
    GameFlow* flow_ = nullptr;
    GameServices* services_ = nullptr;
    AssetLoader* assets_ = nullptr;
    FrameWidget* frame_ = nullptr;
    QMap<std::uint32_t, QAction*> actions_;
    std::map<std::int32_t, ArmedTimer> timers_;
    bool destroyed_ = false;
};

} // namespace wz
