#include "AppServices.h"

#include "AssetLoader.h"
#include "GameHost.h"
#include "GameState.h"
#include "SettingsFile.h"

namespace wz {

AppServices::AppServices(GameState& state, AssetLoader& assets, GameHost& host,
                         std::filesystem::path settingsFile, PostToGameThread post)
    : state_(state), assets_(assets), host_(host), settingsFile_(std::move(settingsFile)),
      post_(std::move(post)), sequencer_(device_, notices_), music_(state, sequencer_, host),
      knock_(device_) {
    // The wake-up runs on the audio thread: it only queues the delivery.
    notices_.SetWakeUp([this] { post_([this] { DeliverMusicNotices(); }); });
}

AppServices::~AppServices() {
    // The sequencer goes before the queue; its last notices are not delivered any more.
    notices_.SetWakeUp({});
}

void AppServices::OpenAudio() {
    if (device_.Open()) {
        sequencer_.PreloadSynthesizer();
    }
}

void AppServices::DeliverMusicNotices() {
    for (const MusicNotice& notice : notices_.TakeAll()) {
        music_.OnMusicNotify(notice.outcome, notice.deviceId);
    }
}

void AppServices::LoadBackgroundPicture(std::u16string_view name) {
    if (!assets_.LoadBackgroundPicture(name)) {
        host_.CloseWindow();
    }
}

void AppServices::ExtractMusicTrack(std::u16string_view name) {
    assets_.ExtractMusicTrack(name);
}

void AppServices::StartMusic() {
    music_.StartMusic(assets_.MusicTempPath());
}

void AppServices::CloseMusic() {
    music_.CloseMusic();
}

void AppServices::PlayKnock() {
    wz::PlayKnock(state_, knock_, assets_.KnockTempPath());
}

bool AppServices::SaveSettings() {
    if (savingStopped_) {
        return false;
    }
    return wz::SaveSettings(state_, host_, settingsFile_);
}

} // namespace wz
