#include "GameAudio.h"

#include <utility>

namespace wz {

GameAudio::GameAudio(GameState& state, MessageBoxSink& messages)
    : state_(state), knock_(device_), sequencer_(device_, notices_),
      music_(state, sequencer_, messages) {}

GameAudio::~GameAudio() {
    // The window the wake-up talks to may already be gone; closing the sequencer below can
    // still post a notice.
    notices_.SetWakeUp(nullptr);
}

bool GameAudio::Open() {
    if (!device_.Open()) {
        return false;
    }
    sequencer_.PreloadSynthesizer();
    return true;
}

void GameAudio::SetWakeUp(std::function<void()> wake) {
    notices_.SetWakeUp(std::move(wake));
}

void GameAudio::DeliverMusicNotices() {
    for (const MusicNotice& notice : notices_.TakeAll()) {
        music_.OnMusicNotify(notice.outcome, notice.deviceId);
    }
}

void GameAudio::PrepareKnock(const std::string& knockTempPath) {
    knock_.Load(knockTempPath);
}

void GameAudio::PlayKnock(const std::string& knockTempPath) {
    wz::PlayKnock(state_, knock_, knockTempPath);
}

void GameAudio::StartMusic(const std::string& musicTempPath) {
    music_.StartMusic(musicTempPath);
}

void GameAudio::CloseMusic() {
    music_.CloseMusic();
}

} // namespace wz
