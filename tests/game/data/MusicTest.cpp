// The game's music operations over the real sequencer, played through SDL's disk driver, and
// driven by the game flow where the flow decides when they run.

#include "AudioFlowRig.h"
#include "MenuCommands.h"

#include <gtest/gtest.h>

namespace wz::test {
namespace {

const MessageBoxRequest kMusicError{"WinZolvik",
                                    "Error: Can't play MIDI file !!!\nYou not have a music !!!",
                                    MessageIcon::Stop, MessageOwner::ActiveWindow};

class MusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("SDL_SOUNDFONTS");
        ASSERT_TRUE(audio.Open()) << audio.device.LastError();
    }

    // The program's start-up, as far as music goes: the title track is written, defaults set,
    // the title entered (which starts the music).
    void StartUp(AudioServices& services, GameFlow& flow) {
        services.ExtractMusicTrack(u"Titles");
        flow.ApplyStartupDefaults();
        flow.EnterTitleAtStartup();
    }

    // What the Qt program does when woken: hand every queued notice to OnMusicNotify.
    int DeliverNotices(Music& music) {
        auto taken = notices.TakeAll();
        for (const auto& notice : taken) {
            music.OnMusicNotify(notice.outcome, notice.deviceId);
        }
        return static_cast<int>(taken.size());
    }

    TempFolder folder;
    DiskAudio audio{folder};
    MusicNoticeQueue notices;
    GameState state;
    QuietHost host;
};

// A track that plays to its end starts again from its beginning, with no gap but the time the
// notice takes to reach the game and the rewind. The song is a woodblock at its start and
// silence up to 400 ms, so each start shows as an onset in the output.
TEST_F(MusicTest, ATrackPlayedToItsEndStartsAgain) {
    AudioServices services(state, audio.device, notices, host, folder);
    GameFlow flow(state, host, services);
    const std::uint32_t songTicks = kTicksPerSecond * 2 / 5;
    services.song = WoodblockSong(songTicks);
    services.ExtractMusicTrack(u"Titles");
    flow.ApplyStartupDefaults();
    flow.EnterTitleAtStartup();
    ASSERT_EQ(state.musicOpen, 1);

    int restarts = 0;
    ASSERT_TRUE(WaitUntil([&] {
        restarts += DeliverNotices(services.music);
        return restarts >= 3;
    }));
    audio.WaitFrames(audio.Rate() / 10);
    services.music.CloseMusic();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.musicAllowed, 1);

    const auto output = audio.StopAndRead();
    const auto onsets = Onsets(output, audio.Channels(), audio.Rate() / 10);
    ASSERT_GE(onsets.size(), 4u) << "the first play and three repeats";
    double worstGapMs = 0;
    for (std::size_t i = 1; i < onsets.size(); ++i) {
        const double gapMs =
            audio.FramesToMs(static_cast<double>(onsets[i] - onsets[i - 1])) - 400.0;
        EXPECT_GE(gapMs, -2.0) << "a repeat never starts before the song has ended";
        worstGapMs = std::max(worstGapMs, gapMs);
    }
    RecordProperty("worst_restart_gap_ms", static_cast<int>(worstGapMs));
    // The gap is the notice's trip and the rewind, not the seconds a ringing voice takes to
    // die away.
    EXPECT_LT(worstGapMs, 1000.0);
}

// One failure of the sequencer: one message, music off for the run, and no more attempts and
// no more messages, even across new games.
TEST_F(MusicTest, SequencerFailureReportsOnceForTheRun) {
    const struct {
        const char* name;
        bool soundFontMissing;
        std::vector<std::uint8_t> song;
    } cases[] = {
        {"SoundFont missing", true, OneNoteSong(0, 96, 192)},
        {"broken MIDI file", false, {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0}},
        {"not a MIDI file", false, SineWave(8000, 0.01, 440, 100)},
        {"empty MIDI file", false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GameState fresh;
        state = fresh;
        host.messages.clear();
        AudioServices services(state, audio.device, notices, host, folder,
                               c.soundFontMissing ? folder.File("none.sf2")
                                                  : FluidSequencer::DefaultSoundFontPath());
        GameFlow flow(state, host, services);
        services.song = c.song;
        services.ExtractMusicTrack(u"Titles");
        flow.ApplyStartupDefaults();
        flow.EnterTitleAtStartup();
        EXPECT_EQ(host.messages, (std::vector<MessageBoxRequest>{kMusicError}));
        EXPECT_EQ(state.musicAllowed, 0);
        EXPECT_EQ(state.musicOpen, 0);

        // New games, music off and on, a good track: nothing more is tried or said.
        services.song = OneNoteSong(0, 96, 192);
        flow.StartNewGame();
        flow.OnCommand(kCommandMusic);
        flow.OnCommand(kCommandMusic);
        flow.StartNewGame();
        EXPECT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(state.musicOpen, 0);
        EXPECT_EQ(state.musicOption, 1);
        EXPECT_EQ(services.saves, 2) << "the Music item still flips and saves";
        std::uint32_t id = 0;
        EXPECT_EQ(services.sequencer.Open(services.musicTempPath, id), 0u)
            << "the failure left no device open";
        services.sequencer.Close(id);
        EXPECT_TRUE(notices.TakeAll().empty());
    }
}

// Only the successful end of the open device's play restarts the music.
TEST_F(MusicTest, OtherNoticesChangeNothing) {
    AudioServices services(state, audio.device, notices, host, folder);
    GameFlow flow(state, host, services);
    services.song = OneNoteSong(0, kTicksPerSecond, 10 * kTicksPerSecond);
    StartUp(services, flow);
    ASSERT_EQ(state.musicOpen, 1);
    const std::uint32_t id = services.music.DeviceId();

    const MusicNotice ignored[] = {
        {kNotifySuccessful, id + 1}, {kNotifySuccessful, 0}, {kNotifySuperseded, id},
        {kNotifyAborted, id},        {kNotifyFailure, id},   {0, id},
    };
    for (const auto& notice : ignored) {
        SCOPED_TRACE(::testing::Message() << notice.outcome << " " << notice.deviceId);
        services.music.OnMusicNotify(notice.outcome, notice.deviceId);
        // A rewind of the playing device would have posted its play's notice as aborted.
        EXPECT_TRUE(notices.TakeAll().empty());
        EXPECT_EQ(state.musicOpen, 1);
    }

    // The same notice is taken when music is wanted, and ignored when it is not.
    state.musicOption = 0;
    services.music.OnMusicNotify(kNotifySuccessful, id);
    EXPECT_TRUE(notices.TakeAll().empty());
    state.musicOption = 1;
    services.music.OnMusicNotify(kNotifySuccessful, id);
    EXPECT_EQ(notices.TakeAll(), (std::vector<MusicNotice>{{kNotifyAborted, id}}));
    EXPECT_TRUE(host.messages.empty());
}

// A track can end just before the music is closed; its notice then arrives for a device that
// is gone, and must not be taken for a sequencer failure.
TEST_F(MusicTest, ANoticeArrivingAfterTheCloseIsIgnored) {
    AudioServices services(state, audio.device, notices, host, folder);
    GameFlow flow(state, host, services);
    services.song = WoodblockSong(kTicksPerSecond / 10);
    StartUp(services, flow);
    std::vector<MusicNotice> late;
    ASSERT_TRUE(WaitUntil([&] {
        late = notices.TakeAll();
        return !late.empty();
    }));
    flow.OnWindowDestroyed();
    ASSERT_EQ(state.musicOpen, 0);
    for (const auto& notice : late) {
        services.music.OnMusicNotify(notice.outcome, notice.deviceId);
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.musicAllowed, 1);
}

// The Music item: off stops the music at once, on starts the current track from its start.
TEST_F(MusicTest, MusicItemStopsAtOnceAndRestartsTheTrack) {
    AudioServices services(state, audio.device, notices, host, folder);
    GameFlow flow(state, host, services);
    // A woodblock, then a held organ note to the end: sound all the way through.
    services.song = MidiSong({{0, {0x99, 76, 120}},
                              {0, {0xC0, 19}},
                              {0, {0x90, 60, 100}},
                              {5 * kTicksPerSecond, {0x80, 60, 0}},
                              {0, {0xFF, 0x2F, 0x00}}});
    StartUp(services, flow);
    ASSERT_EQ(state.musicOpen, 1);
    audio.WaitFrames(audio.Rate() / 4);

    flow.OnCommand(kCommandMusic);
    const std::uint64_t offAt = audio.device.FramesMixed();
    EXPECT_EQ(state.musicOption, 0);
    EXPECT_EQ(state.musicOpen, 0);
    EXPECT_FALSE(host.checks[kCommandMusic]);
    audio.WaitFrames(audio.Rate() / 4);

    const std::uint64_t onAt = audio.device.FramesMixed();
    flow.OnCommand(kCommandMusic);
    EXPECT_EQ(state.musicOpen, 1);
    EXPECT_TRUE(host.checks[kCommandMusic]);
    audio.WaitFrames(audio.Rate() / 4);
    EXPECT_EQ(services.saves, 2);

    const auto output = audio.StopAndRead();
    const int channels = audio.Channels();
    const std::size_t buffer = static_cast<std::size_t>(audio.BufferFrames());
    const long first = FirstLoudFrame(output, channels);
    ASSERT_GE(first, 0);
    EXPECT_LT(first, static_cast<long>(offAt));
    const long afterOff = FirstLoudFrame(output, channels, offAt + buffer);
    ASSERT_GE(afterOff, 0) << "music came back";
    EXPECT_GE(afterOff, static_cast<long>(onAt)) << "silent from the Music item until it is on";
    const auto onsets = Onsets(output, channels, buffer);
    ASSERT_EQ(onsets.size(), 2u);
    EXPECT_EQ(onsets[1], afterOff) << "the track starts again from its beginning";
    EXPECT_TRUE(host.messages.empty());
}

} // namespace
} // namespace wz::test
