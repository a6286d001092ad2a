// The knock as the game's mixer loads it: SDL2_mixer takes the generated WAV file as a sound
// effect. (The tracks are played through the game's own sequencer in MusicLoudnessTest.)

#include "DefaultContent.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

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

} // namespace
