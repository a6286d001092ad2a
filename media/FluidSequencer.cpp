#include "FluidSequencer.h"

#include "MidiFile.h"
#include "MusicNotices.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace wz {
namespace {

constexpr const char* kDebianSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
constexpr int kScratchFrames = 256;

bool FileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// Reads a whole file of at most maxSize bytes; false when it cannot be read or is larger.
bool ReadSmallFile(const std::string& path, std::size_t maxSize, std::vector<std::uint8_t>& bytes,
                   bool& tooLarge) {
    tooLarge = false;
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) {
        return false;
    }
    const std::streamoff size = file.tellg();
    if (size < 0) {
        return false;
    }
    if (static_cast<std::uint64_t>(size) > maxSize) {
        tooLarge = true;
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.data()), size);
    return static_cast<bool>(file);
}

} // namespace

std::string FluidSequencer::DefaultSoundFontPath() {
    const char* list = std::getenv("SDL_SOUNDFONTS");
    if (list == nullptr || *list == '\0') {
        return kDebianSoundFont;
    }
    std::string entries(list);
    std::string first;
    std::size_t start = 0;
    while (start <= entries.size()) {
        std::size_t end = entries.find_first_of(":;", start);
        if (end == std::string::npos) {
            end = entries.size();
        }
        std::string entry = entries.substr(start, end - start);
        if (!entry.empty()) {
            if (FileExists(entry)) {
                return entry;
            }
            if (first.empty()) {
                first = entry;
            }
        }
        start = end + 1;
    }
    // None exists: keep the user's choice, so that the failure shows rather than a silent
    // fallback to another SoundFont.
    return first;
}

FluidSequencer::FluidSequencer(AudioDevice& device, MusicNoticeQueue& notices,
                               std::string soundFontPath)
    : device_(device), notices_(notices), soundFontPath_(std::move(soundFontPath)),
      scratch_(static_cast<std::size_t>(kScratchFrames) * 2) {}

FluidSequencer::~FluidSequencer() {
    if (loading_.valid()) {
        LoadSynthesizer(); // takes the loader's result, so that it is freed below
    }
    if (hooked_) {
        device_.SetMusicSource(nullptr);
    }
    std::lock_guard lock(mutex_);
    DeletePlayer();
    if (synth_ != nullptr) {
        delete_fluid_synth(synth_);
    }
    if (settings_ != nullptr) {
        delete_fluid_settings(settings_);
    }
}

FluidSequencer::Synthesizer FluidSequencer::CreateSynthesizer(const std::string& soundFontPath,
                                                              int frequency) {
    Synthesizer made;
    if (soundFontPath.empty() || !FileExists(soundFontPath)) {
        return made;
    }
    made.settings = new_fluid_settings();
    if (made.settings == nullptr) {
        return made;
    }
    fluid_settings_setnum(made.settings, "synth.sample-rate", frequency);
    fluid_settings_setnum(made.settings, "synth.gain", 0.5);
    // The player advances with the rendered samples, so its notion of time is the device's.
    fluid_settings_setstr(made.settings, "player.timing-source", "sample");
    // Let the last notes of a track ring out instead of cutting them when its data ends.
    fluid_settings_setint(made.settings, "player.reset-synth", 0);
    // Every call into the synthesizer runs under mutex_.
    fluid_settings_setint(made.settings, "synth.threadsafe-api", 0);
    made.synth = new_fluid_synth(made.settings);
    if (made.synth != nullptr &&
        fluid_synth_sfload(made.synth, soundFontPath.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(made.synth);
        made.synth = nullptr;
    }
    return made;
}

void FluidSequencer::PreloadSynthesizer() {
    if (synthState_ != SynthState::NotTried || loading_.valid() || !device_.IsOpen()) {
        return;
    }
    loading_ = std::async(std::launch::async, &FluidSequencer::CreateSynthesizer, soundFontPath_,
                          device_.Format().frequency);
}

bool FluidSequencer::LoadSynthesizer() {
    if (synthState_ != SynthState::NotTried) {
        return synthState_ == SynthState::Ready;
    }
    if (!loading_.valid()) {
        if (!device_.IsOpen()) {
            return false; // nothing to render into; tried again once a device is open
        }
        PreloadSynthesizer();
    }
    const Synthesizer made = loading_.get();
    settings_ = made.settings;
    if (made.synth == nullptr) {
        synthState_ = SynthState::Failed;
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        synth_ = made.synth;
    }
    // Hooking takes the audio device's lock, which the audio thread holds while it takes
    // mutex_; so never hook with mutex_ held.
    device_.SetMusicSource(this);
    hooked_ = true;
    synthState_ = SynthState::Ready;
    return true;
}

std::uint32_t FluidSequencer::Open(const std::string& path, std::uint32_t& deviceId) {
    std::vector<std::uint8_t> bytes;
    bool tooLarge = false;
    if (!ReadSmallFile(path, kMaxMidiFileSize, bytes, tooLarge)) {
        return tooLarge ? kSeqErrorInvalidFile : kSeqErrorFileNotFound;
    }
    if (!CheckMidiFile(bytes).ok()) {
        return kSeqErrorInvalidFile;
    }
    std::lock_guard lock(mutex_);
    if (openDeviceId_ != 0) {
        return kSeqErrorDeviceOpen;
    }
    // Identifiers are never reused in a run, so a late notice of a closed device can never be
    // taken for one of the device opened after it.
    if (++lastDeviceId_ == 0) {
        ++lastDeviceId_;
    }
    openDeviceId_ = lastDeviceId_;
    song_ = std::move(bytes);
    playing_ = false;
    atEnd_ = false;
    deviceId = openDeviceId_;
    return 0;
}

std::uint32_t FluidSequencer::CheckPort(std::uint32_t deviceId) {
    {
        std::lock_guard lock(mutex_);
        if (!IsOpenDevice(deviceId)) {
            return kSeqErrorInvalidDevice;
        }
    }
    if (!device_.IsOpen()) {
        return kSeqErrorHardware;
    }
    return LoadSynthesizer() ? 0 : kSeqErrorNoSynthesizer;
}

std::uint32_t FluidSequencer::Play(std::uint32_t deviceId) {
    if (!LoadSynthesizer()) {
        std::lock_guard lock(mutex_);
        return IsOpenDevice(deviceId) ? kSeqErrorNoSynthesizer : kSeqErrorInvalidDevice;
    }
    std::lock_guard lock(mutex_);
    if (!IsOpenDevice(deviceId)) {
        return kSeqErrorInvalidDevice;
    }
    if (playing_) {
        // Already playing: the new notice takes over from the old one.
        notices_.Post({kNotifySuperseded, openDeviceId_});
        return 0;
    }
    if (atEnd_) {
        // Playing from the end to the end is over at once.
        notices_.Post({kNotifySuccessful, openDeviceId_});
        return 0;
    }
    if (player_ == nullptr && !CreatePlayer()) {
        return kSeqErrorOutOfMemory;
    }
    if (fluid_player_play(player_) != FLUID_OK) {
        return kSeqErrorHardware;
    }
    playing_ = true;
    tickSeen_ = false;
    endReached_ = false;
    return 0;
}

std::uint32_t FluidSequencer::SeekToStart(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    if (!IsOpenDevice(deviceId)) {
        return kSeqErrorInvalidDevice;
    }
    Stop();
    // Sounding notes are released, as a sequencer does when it stops.
    if (synth_ != nullptr) {
        fluid_synth_all_notes_off(synth_, -1);
    }
    return 0;
}

std::uint32_t FluidSequencer::Close(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    if (!IsOpenDevice(deviceId)) {
        return kSeqErrorInvalidDevice;
    }
    Stop();
    if (synth_ != nullptr) {
        // The next track starts from a synthesizer in its initial state, and nothing of this
        // one sounds on: the reset only releases the notes, which would ring on, so the voices
        // are cut after it (cut first, the reset's release would bring them back).
        fluid_synth_system_reset(synth_);
        fluid_synth_all_sounds_off(synth_, -1);
    }
    openDeviceId_ = 0;
    song_.clear();
    song_.shrink_to_fit();
    return 0;
}

bool FluidSequencer::IsOpenDevice(std::uint32_t deviceId) const {
    return deviceId != 0 && deviceId == openDeviceId_;
}

void FluidSequencer::EndPlay(std::uint32_t outcome) {
    playing_ = false;
    notices_.Post({outcome, openDeviceId_});
}

void FluidSequencer::Stop() {
    if (playing_) {
        EndPlay(kNotifyAborted);
    }
    // A fresh player stands at the start; the player's own seek cannot go back once its
    // tracks have ended, so the next play makes a new one.
    DeletePlayer();
    atEnd_ = false;
}

void FluidSequencer::DeletePlayer() {
    if (player_ != nullptr) {
        delete_fluid_player(player_);
        player_ = nullptr;
    }
}

bool FluidSequencer::CreatePlayer() {
    player_ = new_fluid_player(synth_);
    if (player_ == nullptr) {
        return false;
    }
    if (fluid_player_add_mem(player_, song_.data(), song_.size()) != FLUID_OK) {
        DeletePlayer();
        return false;
    }
    fluid_player_set_tick_callback(player_, &FluidSequencer::OnTick, this);
    return true;
}

int FluidSequencer::OnTick(void* self, int tick) {
    // Runs inside fluid_synth_write_s16, on the audio thread, with mutex_ held.
    auto* sequencer = static_cast<FluidSequencer*>(self);
    sequencer->tickSeen_ = true;
    if (sequencer->player_ != nullptr && tick >= fluid_player_get_total_ticks(sequencer->player_)) {
        sequencer->endReached_ = true;
    }
    return FLUID_OK;
}

void FluidSequencer::CheckEndOfPlay() {
    if (!playing_ || player_ == nullptr) {
        return;
    }
    if (endReached_) {
        atEnd_ = true;
        EndPlay(kNotifySuccessful);
    } else if (fluid_player_get_status(player_) == FLUID_PLAYER_DONE) {
        // The player gave up without reaching the end: it could not read the data.
        atEnd_ = true;
        EndPlay(tickSeen_ ? kNotifySuccessful : kNotifyFailure);
    }
}

void FluidSequencer::RenderMusic(std::int16_t* out, int frames, int channels) {
    std::lock_guard lock(mutex_);
    if (synth_ == nullptr) {
        std::memset(out, 0, sizeof(std::int16_t) * static_cast<std::size_t>(frames) * channels);
        return;
    }
    if (channels >= 2) {
        if (channels > 2) {
            std::memset(out, 0, sizeof(std::int16_t) * static_cast<std::size_t>(frames) * channels);
        }
        fluid_synth_write_s16(synth_, frames, out, 0, channels, out, 1, channels);
    } else {
        // One channel: render stereo in pieces and average the two sides.
        for (int done = 0; done < frames;) {
            const int count = std::min(frames - done, kScratchFrames);
            fluid_synth_write_s16(synth_, count, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
            for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
                out[static_cast<std::size_t>(done) + i] =
                    static_cast<std::int16_t>((scratch_[2 * i] + scratch_[2 * i + 1]) / 2);
            }
            done += count;
        }
    }
    CheckEndOfPlay();
}

} // namespace wz
