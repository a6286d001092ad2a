#pragma once

// The game's MIDI sequencer: FluidSynth's player and synthesizer with a General MIDI SoundFont,
// rendered into the audio device's music hook, so that music and knock share one output.
//
// Threads: the operations run on the game's thread; rendering, the player's tick callback and
// the posting of notices run on the audio thread. One mutex covers the synthesizer, the player
// and the state below; the audio thread holds it for one buffer's rendering (about a
// millisecond), so the game's thread never waits longer than that.
//
// The end-of-play notice comes when the player's tick reaches the end of the MIDI data, as a
// sequencer's does. FluidSynth's own status (like SDL2_mixer's MIDI music) reports the end only
// once the last voice has died away, seconds after the last note, which would leave a gap at
// every repeat of a track.

#include "AudioDevice.h"
#include "Sequencer.h"

#include <cstdint>
#include <future>
#include <mutex>
#include <string>
#include <vector>

// FluidSynth's own declarations of its opaque types, repeated word for word so that this header
// need not include FluidSynth's.
// NOLINTBEGIN(modernize-use-using, bugprone-reserved-identifier, readability-identifier-naming)
typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;
typedef struct _fluid_player_t fluid_player_t;
// NOLINTEND(modernize-use-using, bugprone-reserved-identifier, readability-identifier-naming)

namespace wz {

class MusicNoticeQueue;

class FluidSequencer final : public Sequencer, private MusicSource {
public:
    // Larger MIDI files are not taken; the game's tracks are a few kilobytes.
    static constexpr std::size_t kMaxMidiFileSize = 16u << 20;

    // The SoundFont to load: the first existing entry of SDL_SOUNDFONTS (a list separated by
    // ':' or ';', as SDL2_mixer reads it) when that is set, else Debian's TimGM6mb.
    static std::string DefaultSoundFontPath();

    FluidSequencer(AudioDevice& device, MusicNoticeQueue& notices,
                   std::string soundFontPath = DefaultSoundFontPath());
    FluidSequencer(const FluidSequencer&) = delete;
    FluidSequencer& operator=(const FluidSequencer&) = delete;
    ~FluidSequencer() override;

    std::uint32_t Open(const std::string& path, std::uint32_t& deviceId) override;
    std::uint32_t CheckPort(std::uint32_t deviceId) override;
    std::uint32_t Play(std::uint32_t deviceId) override;
    std::uint32_t SeekToStart(std::uint32_t deviceId) override;
    std::uint32_t Close(std::uint32_t deviceId) override;

    // Starts loading the SoundFont on a thread of its own (it takes a fifth of a second), so
    // that the first port check finds it ready instead of holding up the game's thread. Needs
    // the device open; does nothing once loading has begun.
    void PreloadSynthesizer();
    // Makes the synthesizer ready, waiting for a preload or loading now. It is loaded once and
    // kept for the whole run; a failure is remembered and not tried again. True when ready.
    bool LoadSynthesizer();

private:
    enum class SynthState { NotTried, Ready, Failed };
    struct Synthesizer {
        fluid_settings_t* settings = nullptr;
        fluid_synth_t* synth = nullptr; // none when the SoundFont could not be loaded
    };

    static Synthesizer CreateSynthesizer(const std::string& soundFontPath, int frequency);

    void RenderMusic(std::int16_t* out, int frames, int channels) override;
    static int OnTick(void* self, int tick);

    // The helpers below run with mutex_ held.
    bool IsOpenDevice(std::uint32_t deviceId) const;
    void EndPlay(std::uint32_t outcome);
    // Ends a play (its notice aborted) and goes back to the start.
    void Stop();
    void DeletePlayer();
    bool CreatePlayer();
    void CheckEndOfPlay();

    AudioDevice& device_;
    MusicNoticeQueue& notices_;
    const std::string soundFontPath_;
    SynthState synthState_ = SynthState::NotTried;
    std::future<Synthesizer> loading_;
    fluid_settings_t* settings_ = nullptr;
    bool hooked_ = false;

    std::mutex mutex_;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    std::uint32_t lastDeviceId_ = 0;
    std::uint32_t openDeviceId_ = 0;    // 0 while no file is open
    std::vector<std::uint8_t> song_;    // the open file's bytes
    bool playing_ = false;              // a play runs and its notice is pending
    bool atEnd_ = false;                // positioned at the end of the data
    bool tickSeen_ = false;             // the player has started on the data since the last play
    bool endReached_ = false;           // the player's tick reached the end of the data
    std::vector<std::int16_t> scratch_; // stereo frames for devices with one channel
};

} // namespace wz
