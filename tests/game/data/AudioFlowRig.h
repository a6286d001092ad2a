#pragma once

// The game flow wired to the real knock and music on the disk driver, with a window that only
// records and a music file that the rig writes itself, as the asset loader would.

#include "AudioTestSupport.h"
#include "FluidSequencer.h"
#include "GameFlow.h"
#include "KnockPlayer.h"
#include "Music.h"
#include "MusicNotices.h"

#include <map>

namespace wz::test {

class QuietHost : public GameHost {
public:
    void ShowMessage(const MessageBoxRequest& request) override { messages.push_back(request); }
    void Repaint() override {}
    std::int32_t SetTimer(std::int32_t id, std::int32_t) override { return id; }
    void KillTimer(std::int32_t) override {}
    void PostCommand(std::uint32_t) override {}
    void SetMenuCheck(std::uint32_t command, bool checked) override { checks[command] = checked; }
    void CloseWindow() override {}
    bool RunSpeedDialog() override { return false; }
    void RunHighScoreDialog() override {}
    void RunControlKeysDialog() override {}
    void RunAboutDialog() override {}
    std::uint32_t TimeInSeconds() override { return 1; }

    std::vector<MessageBoxRequest> messages;
    std::map<std::uint32_t, bool> checks;
};

// The components of the game as the program wires them, except that "extracting" a track
// writes the song the test chose into the music file.
class AudioServices : public GameServices {
public:
    AudioServices(GameState& state, AudioDevice& device, MusicNoticeQueue& notices,
                  MessageBoxSink& messages, const TempFolder& folder,
                  std::string soundFont = FluidSequencer::DefaultSoundFontPath())
        : state(state), sequencer(device, notices, std::move(soundFont)),
          music(state, sequencer, messages), knock(device), musicTempPath(folder.File("tmpmusic")),
          knockTempPath(folder.File("tmpknock")) {}

    void LoadBackgroundPicture(std::u16string_view) override {}
    void ExtractMusicTrack(std::u16string_view) override {
        WriteBytes(musicTempPath, song);
        state.musicReady = 1;
        state.musicTempExists = 1;
    }
    void StartMusic() override { music.StartMusic(musicTempPath); }
    void CloseMusic() override { music.CloseMusic(); }
    void PlayKnock() override { wz::PlayKnock(state, knock, knockTempPath); }
    bool SaveSettings() override {
        ++saves;
        return true;
    }

    GameState& state;
    FluidSequencer sequencer;
    Music music;
    KnockPlayer knock;
    std::string musicTempPath;
    std::string knockTempPath;
    std::vector<std::uint8_t> song; // what ExtractMusicTrack writes
    int saves = 0;
};

} // namespace wz::test
