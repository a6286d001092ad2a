#pragma once

// The one audio output of the game: SDL's audio with SDL2_mixer on top. The knock plays on a
// mixer channel and the music is rendered into the mixer's music hook, so both share this
// device. Without a sound card (or with SDL_AUDIODRIVER=dummy or disk) it opens all the same.

#include <atomic>
#include <cstdint>
#include <string>

namespace wz {

// Renders music into the mixer's buffer. Called on the audio thread for every buffer while
// it is the device's music source; it must fill the whole buffer (silence when idle).
class MusicSource {
public:
    virtual ~MusicSource() = default;
    // out holds frames * channels interleaved signed 16-bit samples.
    virtual void RenderMusic(std::int16_t* out, int frames, int channels) = 0;
};

struct AudioFormat {
    int frequency = 0;    // frames per second
    int channels = 0;     // interleaved, signed 16-bit in native byte order
    int bufferFrames = 0; // frames per mixer buffer
};

class AudioDevice {
public:
    static constexpr int kDefaultFrequency = 44100;
    // 512 frames at 44.1 kHz: 11.6 ms, so a knock reaches the device within that.
    static constexpr int kDefaultBufferFrames = 512;

    AudioDevice() = default;
    AudioDevice(const AudioDevice&) = delete;
    AudioDevice& operator=(const AudioDevice&) = delete;
    ~AudioDevice();

    // Starts SDL's audio and the mixer. False (with LastError) when there is no device. The
    // device may grant another rate or channel count than asked; Format() tells.
    bool Open(int frequency = kDefaultFrequency, int bufferFrames = kDefaultBufferFrames,
              int channels = 2);
    void Close();
    bool IsOpen() const { return open_; }
    const AudioFormat& Format() const { return format_; }
    const std::string& LastError() const { return lastError_; }

    // Makes source the music of the mixer, or none. When this returns, the audio thread no
    // longer runs the previous source, so it may be destroyed.
    void SetMusicSource(MusicSource* source);

    // Frames handed to the device since Open: the position in the output stream.
    std::uint64_t FramesMixed() const { return framesMixed_.load(std::memory_order_acquire); }

private:
    static void MusicHook(void* self, std::uint8_t* stream, int length);
    static void PostMix(void* self, std::uint8_t* stream, int length);

    bool open_ = false;
    AudioFormat format_;
    std::string lastError_;
    MusicSource* source_ = nullptr;
    std::atomic<std::uint64_t> framesMixed_{0};
};

} // namespace wz
