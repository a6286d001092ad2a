#include "AppServices.h"

#include "AssetLoader.h"
#include "GameHost.h"
#include "GameState.h"
#include "SettingsFile.h"

namespace wz {

void AppServices::LoadBackgroundPicture(std::u16string_view name) {
    if (!assets_.LoadBackgroundPicture(name)) {
        host_.CloseWindow();
    }
}

void AppServices::ExtractMusicTrack(std::u16string_view name) {
    assets_.ExtractMusicTrack(name);
}

// No player is attached yet: the music is opened and closed silently, so the flags follow the
// game as they will with a player.
void AppServices::StartMusic() {
    if (state_.musicAllowed && state_.musicOption && state_.musicReady) {
        state_.musicOpen = 1;
    }
}

void AppServices::CloseMusic() {
    state_.musicOpen = 0;
}

void AppServices::PlayKnock() {}

bool AppServices::SaveSettings() {
    return wz::SaveSettings(state_, host_, settingsFile_);
}

} // namespace wz
