#include "GameWindow.h"

#include "AssetLoader.h"
#include "GameArt.h"
#include "GameDialogs.h"
#include "GameFlow.h"
#include "GameMenu.h"
#include "GameState.h"
#include "KeyMapping.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QMenuBar>
#include <QTimerEvent>

#include <ctime>

namespace wz {

GameWindow::GameWindow(GameState& state, MessageBoxSink& messages, GameDialogs& dialogs)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                               Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                               Qt::WindowCloseButtonHint),
      state_(state), messages_(messages), dialogs_(dialogs) {
    setWindowTitle(QString::fromLatin1(kWindowCaption));
    setWindowIcon(GameIcon());
    frame_ = new FrameWidget(this);
    frame_->SetCompose([this](FramePresenter& presenter) {
        if (flow_ != nullptr && assets_ != nullptr) {
            PaintWindow(
                state_,
                {assets_->FramePicture(), assets_->BackgroundPicture(), assets_->TilePicture()},
                presenter);
        }
    });
    setCentralWidget(frame_);
    actions_ = BuildGameMenu(*menuBar(), [this](std::uint32_t command) { OnCommand(command); });
    // The window takes the size of the menu bar and the frame, and keeps it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setFocusPolicy(Qt::StrongFocus);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &GameWindow::OnApplicationStateChanged);
}

GameWindow::~GameWindow() = default;

void GameWindow::Attach(GameFlow* flow, GameServices* services) {
    flow_ = flow;
    services_ = services;
}

void GameWindow::OnCommand(std::uint32_t command) {
    if (flow_ != nullptr && !destroyed_) {
        flow_->OnCommand(command);
    }
}

void GameWindow::OnApplicationStateChanged(Qt::ApplicationState state) {
    // Another program taking the keyboard pauses a running game; coming back does not resume.
    if (state != Qt::ApplicationActive && flow_ != nullptr && !destroyed_ && isVisible()) {
        flow_->OnDeactivated();
    }
}

bool GameWindow::event(QEvent* event) {
    // Tab and Backtab would move the focus; they are keys of the game like any other.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QMainWindow::event(event);
}

bool GameWindow::focusNextPrevChild(bool /*next*/) {
    return false;
}

void GameWindow::keyPressEvent(QKeyEvent* event) {
    // Auto-repeated presses count as fresh ones: holding a key keeps the piece moving.
    const int code = VirtualKeyFor(*event);
    if (code != 0 && flow_ != nullptr && !destroyed_) {
        flow_->OnKeyDown(static_cast<std::uint32_t>(code));
    }
    event->accept();
}

void GameWindow::timerEvent(QTimerEvent* event) {
    for (auto& [id, armed] : timers_) {
        if (armed.timer.isActive() && armed.timer.timerId() == event->timerId()) {
            if (flow_ != nullptr && !destroyed_) {
                flow_->OnTimer(id);
            }
            return;
        }
    }
    QMainWindow::timerEvent(event);
}

void GameWindow::closeEvent(QCloseEvent* event) {
    // Every way of closing (Exit Game, the close button, the system menu) ends here once.
    if (!destroyed_) {
        if (flow_ != nullptr) {
            flow_->OnWindowDestroyed();
        }
        for (auto& [id, armed] : timers_) {
            armed.timer.stop();
        }
        destroyed_ = true;
    }
    event->accept();
}

void GameWindow::Repaint() {
    frame_->update();
}

std::int32_t GameWindow::SetTimer(std::int32_t id, std::int32_t periodMs) {
    if (id == 0 || periodMs < 0 || destroyed_) {
        return 0;
    }
    // Arming an armed identifier replaces its timer, as window timers do.
    ArmedTimer& armed = timers_[id];
    armed.timer.start(periodMs, Qt::PreciseTimer, this);
    armed.periodMs = periodMs;
    return id;
}

void GameWindow::KillTimer(std::int32_t id) {
    const auto it = timers_.find(id);
    if (it != timers_.end()) {
        it->second.timer.stop();
    }
}

std::map<std::int32_t, std::int32_t> GameWindow::ArmedTimers() const {
    std::map<std::int32_t, std::int32_t> armed;
    for (const auto& [id, timer] : timers_) {
        if (timer.timer.isActive()) {
            armed[id] = timer.periodMs;
        }
    }
    return armed;
}

void GameWindow::PostCommand(std::uint32_t command) {
    QMetaObject::invokeMethod(
        this, [this, command] { OnCommand(command); }, Qt::QueuedConnection);
}

void GameWindow::SetMenuCheck(std::uint32_t command, bool checked) {
    if (QAction* action = actions_.value(command)) {
        action->setChecked(checked);
    }
}

void GameWindow::CloseWindow() {
    // The close comes after the event being handled, whose remaining steps still run.
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

bool GameWindow::RunSpeedDialog() {
    return dialogs_.RunSpeedDialog(this, state_);
}

void GameWindow::RunHighScoreDialog() {
    dialogs_.RunHighScoreDialog(this, state_);
}

void GameWindow::RunControlKeysDialog() {
    if (services_ != nullptr) {
        dialogs_.RunControlKeysDialog(this, state_, *services_);
    }
}

void GameWindow::RunAboutDialog() {
    dialogs_.RunAboutDialog(this);
}

std::uint32_t GameWindow::TimeInSeconds() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

void GameWindow::ShowMessage(const MessageBoxRequest& request) {
    messages_.ShowMessage(request);
}

} // namespace wz
