#pragma once

// The components the game flow calls outside its rules, joined for the running program:
// pictures and music tracks from the asset loader, the settings file, the landing knock and
// the music on the one audio device.

#include "AudioDevice.h"
#include "FluidSequencer.h"
#include "GameServices.h"
#include "KnockPlayer.h"
#include "Music.h"
#include "MusicNotices.h"

#include <filesystem>
#include <functional>
#include <utility>

namespace wz {

struct GameState;
class AssetLoader;
class GameHost;

class AppServices : public GameServices {
public:
    // Runs a call later on the game's thread; used from the audio thread.
    using PostToGameThread = std::function<void(std::function<void()>)>;

    AppServices(GameState& state, AssetLoader& assets, GameHost& host,
                std::filesystem::path settingsFile, PostToGameThread post);
    ~AppServices() override;

    // Opens the audio device and starts loading the synthesizer in the background, so that the
    // first track finds it ready. Without a device the knock stays silent and the first track
    // reports that music cannot play.
    void OpenAudio();

    // A picture that cannot be read ends the game: the window is asked to close.
    void LoadBackgroundPicture(std::u16string_view name) override;
    void ExtractMusicTrack(std::u16string_view name) override;
    void StartMusic() override;
    void CloseMusic() override;
    void PlayKnock() override;
    // Writes nothing once StopSavingSettings has been called.
    bool SaveSettings() override;
    // The program is being ended from outside: whatever the player was in the middle of (a name
    // being entered, keys being defined) does not reach the settings file.
    void StopSavingSettings() { savingStopped_ = true; }

private:
    // Hands the music's end-of-play notices to the music, on the game's thread.
    void DeliverMusicNotices();

    GameState& state_;
    AssetLoader& assets_;
    GameHost& host_;
    std::filesystem::path settingsFile_;
    PostToGameThread post_;
    bool savingStopped_ = false;

    AudioDevice device_;
    MusicNoticeQueue notices_;
    FluidSequencer sequencer_;
    Music music_;
    KnockPlayer knock_;
};

} // namespace wz
