#pragma once

// Plays a track of the preview through the game's own sequencer and SoundFont, so that the
// owner hears a track as the game will play it. The audio device is opened at the first Play
// and kept until the player is destroyed; nothing sounds until then.

#include "AudioDevice.h"
#include "MusicNotices.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace wz {

class FluidSequencer;

class TrackPlayer {
public:
    // The SoundFont the game loads unless told another.
    explicit TrackPlayer(std::string soundFontPath = {});
    TrackPlayer(const TrackPlayer&) = delete;
    TrackPlayer& operator=(const TrackPlayer&) = delete;
    ~TrackPlayer();

    // Stops what plays and plays the MIDI bytes from their start, once. Empty on success, else
    // why the track cannot play.
    std::string Play(std::span<const std::uint8_t> bytes);
    // Stops at once; nothing happens when nothing plays.
    void Stop();
    // Playing from Play until Stop, or until the end of the track has been taken by
    // TakeNotices.
    bool IsPlaying() const { return deviceId_ != 0; }

    // Runs on the audio thread when the track ends; it must only queue a call of TakeNotices
    // on the caller's thread.
    void SetWakeUp(std::function<void()> wake) { notices_.SetWakeUp(std::move(wake)); }
    // Takes the end-of-play notices; true when the playing track has ended (it is then
    // closed and IsPlaying is false).
    bool TakeNotices();

    const AudioDevice& Device() const { return device_; }

private:
    std::string soundFontPath_;
    AudioDevice device_;
    MusicNoticeQueue notices_;
    std::unique_ptr<FluidSequencer> sequencer_;
    std::uint32_t deviceId_ = 0; // the open device while playing, else 0
};

} // namespace wz
