// The knock and the tracks played for real: SDL2_mixer loads the knock as the game's mixer
// does, and plays each track through the TimGM6mb SoundFont into SDL's disk audio driver; the
// recording must be music-loud, not clipped and not silent.

#include "DefaultContent.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

constexpr int kRate = 22050;
constexpr int kSeconds = 2;
constexpr std::uintmax_t kFrameBytes = 4; // 16-bit stereo

struct Level {
    double rms = 0;
    int peak = 0;
    double silentShare = 0; // share of 100 ms blocks below a whisper
};

Level Measure(const std::vector<std::int16_t>& s) {
    Level level;
    const std::size_t block = kRate / 10 * 2;
    int silent = 0;
    int blocks = 0;
    double total = 0;
    for (std::size_t start = 0; start + block <= s.size(); start += block) {
        double energy = 0;
        for (std::size_t i = start; i < start + block; ++i) {
            energy += static_cast<double>(s[i]) * s[i];
            level.peak = std::max(level.peak, std::abs(static_cast<int>(s[i])));
        }
        total += energy;
        silent += std::sqrt(energy / block) < 100 ? 1 : 0;
        ++blocks;
    }
    level.rms = std::sqrt(total / (static_cast<double>(blocks) * block));
    level.silentShare = static_cast<double>(silent) / blocks;
    return level;
}

// Plays the track from its start and returns the first kSeconds of what was heard.
std::vector<std::int16_t> Render(const std::vector<std::uint8_t>& midi,
                                 const std::filesystem::path& out) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1); // render as fast as the synthesizer can
    if (std::getenv("SDL_SOUNDFONTS") == nullptr) {
        setenv("SDL_SOUNDFONTS", "/usr/share/sounds/sf2/TimGM6mb.sf2", 1);
    }
    std::vector<std::int16_t> samples;
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        ADD_FAILURE() << SDL_GetError();
        return samples;
    }
    Mix_Init(MIX_INIT_MID);
    if (Mix_OpenAudio(kRate, AUDIO_S16LSB, 2, 1024) != 0) {
        ADD_FAILURE() << Mix_GetError();
        SDL_Quit();
        return samples;
    }
    Mix_Music* music =
        Mix_LoadMUS_RW(SDL_RWFromConstMem(midi.data(), static_cast<int>(midi.size())), 1);
    EXPECT_NE(music, nullptr) << Mix_GetError();
    std::uintmax_t start = 0;
    if (music != nullptr && Mix_PlayMusic(music, 0) == 0) {
        start = std::filesystem::file_size(out);
        const std::uintmax_t want = start + kRate * kFrameBytes * kSeconds + 8192;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::filesystem::file_size(out) < want &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        Mix_HaltMusic();
    }
    if (music != nullptr) {
        Mix_FreeMusic(music);
    }
    Mix_CloseAudio();
    Mix_Quit();
    SDL_Quit();

    std::ifstream in(out, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(start - start % kFrameBytes));
    samples.resize(static_cast<std::size_t>(kRate) * 2 * kSeconds);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<std::size_t>(in.gcount()) / 2);
    return samples;
}

TEST(KnockLoading, SdlMixerTakesTheKnockAsASoundEffect) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 1024), 0) << Mix_GetError();
    const auto wav = wz::content::MakeDefaultElement({u"Sound", u"Knock"});
    Mix_Chunk* chunk =
        Mix_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1);
    ASSERT_NE(chunk, nullptr) << Mix_GetError();
    // 120 ms, converted to 44.1 kHz 16-bit stereo.
    EXPECT_NEAR(chunk->alen / 4.0 / 44100, 0.120, 0.005);
    Mix_FreeChunk(chunk);
    Mix_CloseAudio();
    SDL_Quit();
}

TEST(MusicRendering, EveryTrackSoundsLikeMusicFromItsFirstBar) {
    const wz::testkit::ScratchFolder scratch("wz-music-render");
    const auto out = scratch / "render.raw";
    // Every track, since each has its own instruments.
    for (const auto& e : wz::content::AssetElements()) {
        if (e.storage != u"Music") {
            continue;
        }
        SCOPED_TRACE(std::string(e.name.begin(), e.name.end()));
        auto samples = Render(wz::content::MakeDefaultElement(e), out);
        ASSERT_EQ(samples.size(), static_cast<std::size_t>(kRate) * 2 * kSeconds);
        Level level = Measure(samples);
        EXPECT_GT(level.rms, 300.0);       // clearly audible
        EXPECT_LT(level.peak, 30000);      // headroom: never near clipping
        EXPECT_LT(level.silentShare, 0.2); // playing from the first bar on
    }
}

} // namespace
