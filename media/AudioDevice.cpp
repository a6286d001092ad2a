#include "AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

namespace wz {

AudioDevice::~AudioDevice() {
    Close();
}

bool AudioDevice::Open(int frequency, int bufferFrames, int channels) {
    if (open_) {
        return true;
    }
    // SDL would otherwise turn SIGINT and SIGTERM into a quit event that the game never reads,
    // and the program could not be stopped from a terminal or by the session ending.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        lastError_ = SDL_GetError();
        return false;
    }
    // Signed 16-bit is what both the knock's chunks and the synthesizer render; the mixer may
    // change the rate and the channel count to suit the device, so they are read back below.
    if (Mix_OpenAudio(frequency, AUDIO_S16SYS, channels, bufferFrames) != 0) {
        lastError_ = Mix_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    int actualFrequency = 0;
    Uint16 actualFormat = 0;
    int actualChannels = 0;
    Mix_QuerySpec(&actualFrequency, &actualFormat, &actualChannels);
    if (actualFormat != AUDIO_S16SYS || actualChannels < 1) {
        lastError_ = "the audio device does not take signed 16-bit samples";
        Mix_CloseAudio();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    format_ = {actualFrequency, actualChannels, bufferFrames};
    framesMixed_.store(0, std::memory_order_release);
    Mix_SetPostMix(&AudioDevice::PostMix, this);
    open_ = true;
    return true;
}

void AudioDevice::Close() {
    if (!open_) {
        return;
    }
    Mix_HookMusic(nullptr, nullptr);
    Mix_SetPostMix(nullptr, nullptr);
    source_ = nullptr;
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open_ = false;
    format_ = {};
}

void AudioDevice::SetMusicSource(MusicSource* source) {
    if (!open_) {
        return;
    }
    // Mix_HookMusic takes the device's lock: once the hook is removed no buffer is being
    // rendered, and the source can change without the audio thread seeing half of it.
    Mix_HookMusic(nullptr, nullptr);
    source_ = source;
    if (source != nullptr) {
        Mix_HookMusic(&AudioDevice::MusicHook, this);
    }
}

void AudioDevice::MusicHook(void* self, std::uint8_t* stream, int length) {
    auto* device = static_cast<AudioDevice*>(self);
    const int channels = device->format_.channels;
    const int frames = length / static_cast<int>(sizeof(std::int16_t) * channels);
    if (device->source_ != nullptr && frames > 0) {
        device->source_->RenderMusic(reinterpret_cast<std::int16_t*>(stream), frames, channels);
    }
}

void AudioDevice::PostMix(void* self, std::uint8_t* /*stream*/, int length) {
    auto* device = static_cast<AudioDevice*>(self);
    const auto frameBytes = static_cast<std::uint64_t>(sizeof(std::int16_t)) *
                            static_cast<std::uint64_t>(device->format_.channels);
    device->framesMixed_.fetch_add(static_cast<std::uint64_t>(length) / frameBytes,
                                   std::memory_order_acq_rel);
}

} // namespace wz
