// The assembled sound component as the program uses it: a wake-up from the audio thread, the
// notices delivered on the game's thread, the music repeating, the knock on top.

#include "GameAudio.h"
#include "AudioTestSupport.h"
#include "GameState.h"

#include <gtest/gtest.h>

#include <atomic>

namespace wz::test {
namespace {

TEST(GameAudioTest, WakesTheGameAndRepeatsTheTrack) {
    ::unsetenv("SDL_SOUNDFONTS");
    TempFolder folder;
    DiskAudio output(folder); // only sets the driver up; the component opens its own device
    GameState state;
    RecordingMessages messages;
    GameAudio audio(state, messages);
    ASSERT_TRUE(audio.Open());

    std::atomic<int> wakes{0};
    std::atomic<bool> onAudioThread{false};
    const auto gameThread = std::this_thread::get_id();
    audio.SetWakeUp([&] {
        onAudioThread = std::this_thread::get_id() != gameThread;
        ++wakes;
    });
    const std::string song = folder.File("tmpmusic");
    WriteBytes(song, WoodblockSong(kTicksPerSecond / 5));
    const std::string knock = folder.File("tmpknock");
    WriteBytes(knock, SineWave(audio.Device().Format().frequency, 0.05, 440, 8000));
    state.musicAllowed = state.musicReady = state.knockReady = 1;
    audio.PrepareKnock(knock);

    audio.StartMusic(song);
    ASSERT_EQ(state.musicOpen, 1);
    audio.PlayKnock(knock);
    for (int repeats = 0; repeats < 2; ++repeats) {
        ASSERT_TRUE(WaitUntil([&] { return wakes > repeats; }));
        audio.DeliverMusicNotices();
    }
    EXPECT_TRUE(onAudioThread);
    EXPECT_EQ(state.musicOpen, 1);
    audio.CloseMusic();
    EXPECT_EQ(state.musicOpen, 0);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace wz::test
