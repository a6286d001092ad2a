// The sequencer over FluidSynth, played for real through SDL's disk driver.

#include "FluidSequencer.h"
#include "AudioTestSupport.h"
#include "MusicNotices.h"

#include <gtest/gtest.h>

#include <atomic>

namespace wz::test {
namespace {

class FluidSequencerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::unsetenv("SDL_SOUNDFONTS");
        ASSERT_TRUE(audio.Open()) << audio.device.LastError();
    }

    std::string WriteSong(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::string path = folder.File(name);
        WriteBytes(path, bytes);
        return path;
    }

    // Opens a song and checks its port, as the game does before playing.
    std::uint32_t OpenChecked(FluidSequencer& sequencer, const std::string& path) {
        std::uint32_t id = 0;
        EXPECT_EQ(sequencer.Open(path, id), 0u);
        EXPECT_EQ(sequencer.CheckPort(id), 0u);
        return id;
    }

    TempFolder folder;
    DiskAudio audio{folder};
    MusicNoticeQueue notices;
};

TEST_F(FluidSequencerTest, OpenRefusesWhatCannotBePlayed) {
    FluidSequencer sequencer(audio.device, notices);
    auto good = MidiSong({{0, {0x90, 60, 100}}, {96, {0xFF, 0x2F, 0x00}}});
    auto cut = good;
    cut.resize(cut.size() - 5);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool write;
        std::uint32_t error;
    } cases[] = {
        {"missing.mid", {}, false, kSeqErrorFileNotFound},
        {"empty.mid", {}, true, kSeqErrorInvalidFile},
        {"wave.mid", SineWave(8000, 0.01, 440, 1000), true, kSeqErrorInvalidFile},
        {"cut.mid", cut, true, kSeqErrorInvalidFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.File(c.name);
        if (c.write) {
            WriteBytes(path, c.bytes);
        }
        std::uint32_t id = 12345;
        EXPECT_EQ(sequencer.Open(path, id), c.error);
        EXPECT_EQ(id, 12345u) << "no identifier is handed out on failure";
    }
    EXPECT_TRUE(notices.TakeAll().empty());
}

TEST_F(FluidSequencerTest, OperationsCheckTheDeviceIdentifier) {
    FluidSequencer sequencer(audio.device, notices);
    const std::string path = WriteSong("song.mid", OneNoteSong(0, 96, 192));
    std::uint32_t id = 0;
    ASSERT_EQ(sequencer.Open(path, id), 0u);
    EXPECT_NE(id, 0u);
    std::uint32_t second = 0;
    EXPECT_EQ(sequencer.Open(path, second), kSeqErrorDeviceOpen) << "one song at a time";

    for (std::uint32_t wrong : {0u, id + 1}) {
        EXPECT_EQ(sequencer.CheckPort(wrong), kSeqErrorInvalidDevice);
        EXPECT_EQ(sequencer.Play(wrong), kSeqErrorInvalidDevice);
        EXPECT_EQ(sequencer.SeekToStart(wrong), kSeqErrorInvalidDevice);
        EXPECT_EQ(sequencer.Close(wrong), kSeqErrorInvalidDevice);
    }
    EXPECT_EQ(sequencer.Close(id), 0u);
    EXPECT_EQ(sequencer.Close(id), kSeqErrorInvalidDevice) << "closed devices are gone";
    EXPECT_EQ(sequencer.Play(id), kSeqErrorInvalidDevice);

    // Identifiers are not reused, so a late notice of the old device names no other.
    ASSERT_EQ(sequencer.Open(path, second), 0u);
    EXPECT_NE(second, id);
    EXPECT_TRUE(notices.TakeAll().empty());
}

TEST_F(FluidSequencerTest, PortCheckFailsWithoutSoundFontOrDevice) {
    const std::string path = WriteSong("song.mid", OneNoteSong(0, 96, 192));
    {
        FluidSequencer sequencer(audio.device, notices, folder.File("missing.sf2"));
        std::uint32_t id = 0;
        ASSERT_EQ(sequencer.Open(path, id), 0u) << "the file itself is fine";
        EXPECT_EQ(sequencer.CheckPort(id), kSeqErrorNoSynthesizer);
        EXPECT_EQ(sequencer.Play(id), kSeqErrorNoSynthesizer);
        EXPECT_EQ(sequencer.Close(id), 0u);
    }
    {
        // Not a SoundFont at all.
        const std::string bogus = WriteSong("bogus.sf2", SineWave(8000, 0.05, 440, 1000));
        FluidSequencer sequencer(audio.device, notices, bogus);
        EXPECT_FALSE(sequencer.LoadSynthesizer());
    }
    audio.device.Close();
    {
        FluidSequencer sequencer(audio.device, notices);
        std::uint32_t id = 0;
        ASSERT_EQ(sequencer.Open(path, id), 0u);
        EXPECT_EQ(sequencer.CheckPort(id), kSeqErrorHardware);
    }
}

// The SoundFont can load on a thread of its own while the game starts; the port check then
// takes it, and a sequencer that goes away while it loads frees it.
TEST_F(FluidSequencerTest, SoundFontPreloads) {
    const std::string path = WriteSong("song.mid", OneNoteSong(0, 96, 192));
    {
        FluidSequencer sequencer(audio.device, notices);
        sequencer.PreloadSynthesizer();
        sequencer.PreloadSynthesizer();
        OpenChecked(sequencer, path);
    }
    {
        FluidSequencer sequencer(audio.device, notices);
        sequencer.PreloadSynthesizer();
    }
    {
        FluidSequencer sequencer(audio.device, notices, folder.File("missing.sf2"));
        sequencer.PreloadSynthesizer();
        std::uint32_t id = 0;
        ASSERT_EQ(sequencer.Open(path, id), 0u);
        EXPECT_EQ(sequencer.CheckPort(id), kSeqErrorNoSynthesizer);
        EXPECT_EQ(sequencer.CheckPort(id), kSeqErrorNoSynthesizer) << "and it is not tried again";
    }
}

TEST_F(FluidSequencerTest, SoundFontComesFromSdlSoundFontsWhenSet) {
    const std::string existing = WriteSong("mine.sf2", {1, 2, 3});
    const struct {
        const char* value;
        std::string expected;
    } cases[] = {
        {"", "/usr/share/sounds/sf2/TimGM6mb.sf2"},
        {"/nowhere/a.sf2", "/nowhere/a.sf2"},
        {nullptr, existing}, // filled in below: a missing entry, then an existing one
    };
    for (const auto& c : cases) {
        const std::string value = c.value ? c.value : "/nowhere/a.sf2;" + existing + ":/b.sf2";
        SCOPED_TRACE(value);
        ::setenv("SDL_SOUNDFONTS", value.c_str(), 1);
        EXPECT_EQ(FluidSequencer::DefaultSoundFontPath(), c.expected);
    }
    ::unsetenv("SDL_SOUNDFONTS");
}

// The notice comes when the data ends, not when the held piano note has died away seconds
// later (which is when FluidSynth's own status would call the song done).
TEST_F(FluidSequencerTest, NoticeComesAtTheEndOfTheData) {
    FluidSequencer sequencer(audio.device, notices);
    const std::uint32_t endTicks = kTicksPerSecond * 3 / 10; // 300 ms
    const std::string path = WriteSong("piano.mid", OneNoteSong(0, endTicks, endTicks));
    const std::uint32_t id = OpenChecked(sequencer, path);

    // The notice's place in the output is taken on the audio thread as it is posted: the
    // start of the buffer in which the end was reached.
    std::atomic<std::uint64_t> noticeFrame{0};
    notices.SetWakeUp([&] {
        if (noticeFrame == 0) {
            noticeFrame = audio.device.FramesMixed();
        }
    });
    const std::uint64_t before = audio.device.FramesMixed();
    ASSERT_EQ(sequencer.Play(id), 0u);
    const std::uint64_t after = audio.device.FramesMixed();
    std::vector<MusicNotice> got;
    ASSERT_TRUE(WaitUntil([&] {
        got = notices.TakeAll();
        return !got.empty();
    }));
    notices.SetWakeUp(nullptr);
    EXPECT_EQ(got, (std::vector<MusicNotice>{{kNotifySuccessful, id}}));
    const double noticeMs = audio.FramesToMs(static_cast<double>(noticeFrame - before));
    RecordProperty("notice_after_ms", static_cast<int>(noticeMs));
    // The song starts at the first buffer after the call and its data ends 300 ms later; the
    // piano's tail would end seconds after that.
    const double bufferMs = audio.FramesToMs(audio.BufferFrames());
    EXPECT_GT(noticeMs, 300.0 - bufferMs);
    EXPECT_LT(noticeMs, 300.0 + audio.FramesToMs(static_cast<double>(after - before)));

    // Playing again from the end is over at once; a rewind starts it over.
    ASSERT_EQ(sequencer.Play(id), 0u);
    EXPECT_EQ(notices.TakeAll(), (std::vector<MusicNotice>{{kNotifySuccessful, id}}));
    ASSERT_EQ(sequencer.SeekToStart(id), 0u);
    ASSERT_EQ(sequencer.Play(id), 0u);
    ASSERT_TRUE(WaitUntil([&] {
        got = notices.TakeAll();
        return !got.empty();
    }));
    EXPECT_EQ(got, (std::vector<MusicNotice>{{kNotifySuccessful, id}}));

    const auto output = audio.StopAndRead();
    EXPECT_GE(Onsets(output, audio.Channels(), audio.Rate() / 20).size(), 1u);
    EXPECT_GE(FirstLoudFrame(output, audio.Channels()), 0) << "the piano sounded";
}

TEST_F(FluidSequencerTest, InterruptedPlaysPostTheirNoticeAsSupersededOrAborted) {
    FluidSequencer sequencer(audio.device, notices);
    const std::string path =
        WriteSong("long.mid", OneNoteSong(0, kTicksPerSecond, 10 * kTicksPerSecond));
    const std::uint32_t id = OpenChecked(sequencer, path);

    ASSERT_EQ(sequencer.Play(id), 0u);
    ASSERT_EQ(sequencer.Play(id), 0u);
    EXPECT_EQ(notices.TakeAll(), (std::vector<MusicNotice>{{kNotifySuperseded, id}}));

    ASSERT_EQ(sequencer.SeekToStart(id), 0u);
    EXPECT_EQ(notices.TakeAll(), (std::vector<MusicNotice>{{kNotifyAborted, id}}));
    ASSERT_EQ(sequencer.SeekToStart(id), 0u);
    EXPECT_TRUE(notices.TakeAll().empty()) << "a rewind has no notice of its own";

    ASSERT_EQ(sequencer.Play(id), 0u);
    ASSERT_EQ(sequencer.Close(id), 0u);
    EXPECT_EQ(notices.TakeAll(), (std::vector<MusicNotice>{{kNotifyAborted, id}}));
}

// Closing silences at once: nothing of the song sounds a buffer after the close.
TEST_F(FluidSequencerTest, CloseStopsTheSoundAtOnce) {
    FluidSequencer sequencer(audio.device, notices);
    const std::string path =
        WriteSong("long.mid", OneNoteSong(0, 5 * kTicksPerSecond, 5 * kTicksPerSecond));
    const std::uint32_t id = OpenChecked(sequencer, path);
    ASSERT_EQ(sequencer.Play(id), 0u);
    audio.WaitFrames(audio.Rate() / 5);
    ASSERT_EQ(sequencer.Close(id), 0u);
    const std::uint64_t closedAt = audio.device.FramesMixed();
    audio.WaitFrames(audio.Rate() / 5);

    const auto output = audio.StopAndRead();
    const long sounding = FirstLoudFrame(output, audio.Channels());
    ASSERT_GE(sounding, 0);
    ASSERT_LT(sounding, static_cast<long>(closedAt));
    const std::size_t buffer = static_cast<std::size_t>(audio.BufferFrames());
    EXPECT_EQ(FirstLoudFrame(output, audio.Channels(), closedAt + buffer), -1);
}

// Music plays on devices of one channel (the two sides mixed down), of two, and of more (the
// extra channels left silent).
TEST(FluidSequencerChannelsTest, PlaysOnDevicesOfAnyChannelCount) {
    ::unsetenv("SDL_SOUNDFONTS");
    for (int channels : {1, 2, 4}) {
        SCOPED_TRACE(channels);
        TempFolder folder;
        DiskAudio audio(folder);
        ASSERT_TRUE(audio.Open(channels)) << audio.device.LastError();
        ASSERT_EQ(audio.device.Format().channels, channels);
        MusicNoticeQueue notices;
        FluidSequencer sequencer(audio.device, notices);
        const std::string path = folder.File("song.mid");
        WriteBytes(path, OneNoteSong(0, kTicksPerSecond / 10, kTicksPerSecond / 10));
        std::uint32_t id = 0;
        ASSERT_EQ(sequencer.Open(path, id), 0u);
        ASSERT_EQ(sequencer.CheckPort(id), 0u);
        ASSERT_EQ(sequencer.Play(id), 0u);
        ASSERT_TRUE(WaitUntil([&] { return !notices.TakeAll().empty(); }));
        sequencer.Close(id);
        const auto output = audio.StopAndRead();
        EXPECT_GE(FirstLoudFrame(output, channels), 0);
        for (std::size_t i = 0; i < output.size(); i += static_cast<std::size_t>(channels)) {
            for (int c = 2; c < channels; ++c) {
                ASSERT_EQ(output[i + static_cast<std::size_t>(c)], 0) << "frame " << i / channels;
            }
        }
    }
}

} // namespace
} // namespace wz::test
