#include "KnockPlayer.h"

#include "AudioDevice.h"
#include "GameState.h"

#include <SDL_mixer.h>

namespace wz {

KnockPlayer::~KnockPlayer() {
    Unload();
}

bool KnockPlayer::Load(const std::string& path) {
    if (chunk_ != nullptr && path == loadedPath_) {
        return true;
    }
    Unload();
    if (!device_.IsOpen()) {
        return false;
    }
    chunk_ = Mix_LoadWAV(path.c_str());
    if (chunk_ == nullptr) {
        return false;
    }
    loadedPath_ = path;
    return true;
}

bool KnockPlayer::Play(const std::string& path) {
    if (!Load(path)) {
        return false;
    }
    // Starting a chunk on a busy channel halts what it was playing.
    return Mix_PlayChannel(kChannel, chunk_, 0) == kChannel;
}

void KnockPlayer::Unload() {
    if (chunk_ == nullptr) {
        return;
    }
    // Freeing a chunk halts every channel still playing it first (and is safe once the
    // device is closed).
    Mix_FreeChunk(chunk_);
    chunk_ = nullptr;
    loadedPath_.clear();
}

void PlayKnock(const GameState& state, KnockPlayer& player, const std::string& knockTempPath) {
    if (state.knockReady && state.soundOption) {
        player.Play(knockTempPath);
    }
}

} // namespace wz
