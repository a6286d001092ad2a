#include "GameProgram.h"

#include "DisplayCheck.h"
#include "HighScores.h"
#include "SettingsFile.h"
#include "TerminationSignals.h"

#include <QApplication>
#include <QScreen>

#include <utility>

namespace wz {
namespace {

// Puts the window, frame included, in the middle of its screen.
void CentreWindow(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    const QRect area = screen->geometry();
    const QRect outer = window.frameGeometry();
    const QPoint target(area.x() + area.width() / 2 - outer.width() / 2,
                        area.y() + area.height() / 2 - outer.height() / 2);
    if (outer.topLeft() != target) {
        window.move(target);
    }
}

} // namespace

GameProgram::GameProgram(MessageBoxSink& messages, GameDialogs& dialogs, GameProgramSetup setup)
    : setup_(std::move(setup)), messages_(messages), dialogs_(dialogs),
      assets_(state_, messages, setup_.assetFile, setup_.assetName) {}

GameProgram::~GameProgram() {
    // The flow and the services refer to the window; they go first.
    flow_.reset();
    services_.reset();
    window_.reset();
}

bool GameProgram::Start() {
    window_ = std::make_unique<GameWindow>(state_, messages_, dialogs_);
    GameWindow* window = window_.get();
    services_ = std::make_unique<AppServices>(
        state_, assets_, *window_, setup_.settingsFile, [window](std::function<void()> call) {
            // Dropped when the window has gone; the call then has nothing left to do.
            QMetaObject::invokeMethod(window, std::move(call), Qt::QueuedConnection);
        });
    flow_ = std::make_unique<GameFlow>(state_, *window_, *services_);

    // Centred on its screen, at the size its menu bar and frame need.
    window_->adjustSize();
    QScreen* screen = window_->screen();
    CentreWindow(*window_);

    const int depth = setup_.displayDepth.value_or(screen != nullptr ? screen->depth() : 32);
    if (!CheckDisplayDepth(depth, messages_)) {
        return false;
    }

    // The synthesizer loads in the background while the pictures are decoded.
    services_->OpenAudio();

    state_.knockReady = 0;
    state_.musicReady = 0;
    state_.musicAllowed = 0;
    state_.musicOpen = 0;
    state_.musicTempExists = 0;
    if (!assets_.LoadStartupPictures()) {
        return false;
    }
    assets_.ExtractKnockSound();
    assets_.ExtractTitleMusic();

    flow_->ApplyStartupDefaults();
    LoadSettings(state_, *window_, setup_.settingsFile);
    CopyHighScoreLinesToCredits(state_);

    window_->SetAssets(&assets_);
    window_->Attach(flow_.get(), services_.get());
    window_->show();
    // Only a shown window knows the size of its frame; the caption and borders count.
    CentreWindow(*window_);
    window_->activateWindow();
    if (setup_.startLevel > 0) {
        flow_->EnterGameAtStartup(setup_.startLevel);
    } else {
        flow_->EnterTitleAtStartup();
    }
    return true;
}

int GameProgram::Finish(int loopResult) {
    if (window_ != nullptr) {
        // Stops the timers and closes the music; a window closed already has done so.
        window_->close();
    }
    assets_.FreePictures();
    assets_.RemoveKnockSound();
    assets_.RemoveMusicTrack();
    return loopResult;
}

void GameProgram::EndOnSignal() {
    if (services_ != nullptr) {
        services_->StopSavingSettings();
    }
    QApplication::exit(0);
}

int RunGameProgram(MessageBoxSink& messages, GameDialogs& dialogs, GameProgramSetup setup,
                   int* endedBySignal) {
    GameProgram program(messages, dialogs, std::move(setup));
    const TerminationSignals stopSignals([&program](int) { program.EndOnSignal(); });
    int result = -1;
    if (program.Start()) {
        // A signal taken while starting has left no loop to end; the loop is not entered then.
        result = program.Finish(stopSignals.Received() != 0 ? 0 : QApplication::exec());
    }
    if (endedBySignal != nullptr) {
        *endedBySignal = stopSignals.Received();
    }
    return result;
}

} // namespace wz
