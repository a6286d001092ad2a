#pragma once

// The game's sound and music as one component: the audio device, the knock, the sequencer and
// the music operations, made and torn down in the order they depend on each other. The
// program owns one; everything but the wake-up runs on the game's thread.
//
// Start-up: Open() as early as possible (the SoundFont then loads while the pictures decode),
// SetWakeUp() with a function that queues a call of DeliverMusicNotices() on the game's
// thread, PrepareKnock() once the knock's file is written.

#include "AudioDevice.h"
#include "FluidSequencer.h"
#include "KnockPlayer.h"
#include "Music.h"
#include "MusicNotices.h"

#include <functional>
#include <string>

namespace wz {

class MessageBoxSink;
struct GameState;

class GameAudio {
public:
    GameAudio(GameState& state, MessageBoxSink& messages);
    GameAudio(const GameAudio&) = delete;
    GameAudio& operator=(const GameAudio&) = delete;
    ~GameAudio();

    // Opens the audio device and starts loading the SoundFont on a thread of its own. False
    // when there is no device: the game then runs silent (the knock is skipped, and the first
    // music start fails its port check and reports once).
    bool Open();

    // Called on the audio thread whenever an end-of-play notice is queued. It must only queue
    // a call to DeliverMusicNotices on the game's thread, never call it directly.
    void SetWakeUp(std::function<void()> wake);
    // Hands every queued notice to Music::OnMusicNotify.
    void DeliverMusicNotices();

    // Reads the knock's wave file ahead of the first landing.
    void PrepareKnock(const std::string& knockTempPath);
    // The landing sound: played when knockReady and soundOption are both 1.
    void PlayKnock(const std::string& knockTempPath);
    void StartMusic(const std::string& musicTempPath);
    // Called only while musicOpen is 1.
    void CloseMusic();

    Music& GetMusic() { return music_; }
    AudioDevice& Device() { return device_; }

private:
    GameState& state_;
    AudioDevice device_;
    MusicNoticeQueue notices_;
    KnockPlayer knock_;
    FluidSequencer sequencer_;
    Music music_;
};

} // namespace wz
