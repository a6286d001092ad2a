// The landing knock on a mixer channel, heard through SDL's disk driver.

#include "AudioFlowRig.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

namespace wz::test {
namespace {

constexpr int kAmplitude = 8000;

class KnockPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(audio.Open()) << audio.device.LastError(); }

    std::string WriteKnock(double seconds) {
        std::string path = folder.File("tmpknock");
        WriteBytes(path, SineWave(audio.Rate(), seconds, 440, kAmplitude));
        return path;
    }

    TempFolder folder;
    DiskAudio audio{folder};
};

// The knock reaches the device within one mixer buffer of the call.
TEST_F(KnockPlayerTest, KnockSoundsWithinOneBuffer) {
    KnockPlayer knock(audio.device);
    const std::string path = WriteKnock(0.1);
    ASSERT_TRUE(knock.Load(path));
    audio.WaitFrames(audio.BufferFrames() * 4);
    const std::uint64_t playedAt = audio.device.FramesMixed();
    ASSERT_TRUE(knock.Play(path));
    const std::uint64_t returnedAt = audio.device.FramesMixed();
    audio.WaitFrames(audio.Rate() / 5);

    const auto output = audio.StopAndRead();
    EXPECT_EQ(FirstLoudFrame(output, audio.Channels(), 0),
              FirstLoudFrame(output, audio.Channels(), playedAt))
        << "silent before the knock";
    const long heard = FirstLoudFrame(output, audio.Channels(), playedAt);
    ASSERT_GE(heard, 0);
    // It starts at the latest in the buffer after the one being mixed when Play returned. The
    // sine starts at zero, so a knock that starts on that buffer's first frame is heard from
    // its second.
    EXPECT_LE(static_cast<std::uint64_t>(heard), returnedAt + audio.BufferFrames() + 1);
}

// A knock that starts while the previous one still sounds replaces it: the channel restarts
// the sound instead of adding a second copy on top.
TEST_F(KnockPlayerTest, ANewKnockReplacesTheSoundingOne) {
    KnockPlayer knock(audio.device);
    const std::string path = WriteKnock(0.3);
    ASSERT_TRUE(knock.Play(path));
    audio.WaitFrames(audio.Rate() / 10);
    const std::uint64_t secondAt = audio.device.FramesMixed();
    ASSERT_TRUE(knock.Play(path));
    audio.WaitFrames(audio.Rate() / 2);

    const auto output = audio.StopAndRead();
    const int channels = audio.Channels();
    int peak = 0;
    std::size_t lastLoud = 0;
    for (std::size_t i = 0; i < output.size() / channels; ++i) {
        const int framePeak = FramePeak(output, channels, i);
        peak = std::max(peak, framePeak);
        if (framePeak > 64) {
            lastLoud = i;
        }
    }
    EXPECT_LE(peak, kAmplitude + 1) << "two knocks never sound together";
    // The second knock plays whole: it ends 0.3 s after it started.
    const double endMs =
        audio.FramesToMs(static_cast<double>(lastLoud) - static_cast<double>(secondAt));
    EXPECT_GT(endMs, 300.0 - 15);
}

// The landing sound follows knockReady and soundOption; the flow asks for it on a Drop.
TEST_F(KnockPlayerTest, LandingsKnockOnlyWhenTheSoundIsReadyAndWanted) {
    const struct {
        std::int32_t knockReady;
        std::int32_t soundOption;
        bool heard;
    } cases[] = {{1, 1, true}, {1, 0, false}, {0, 1, false}, {0, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "ready " << c.knockReady << " option " << c.soundOption);
        TempFolder caseFolder;
        DiskAudio caseAudio(caseFolder);
        audio.device.Close();
        ASSERT_TRUE(caseAudio.Open());
        GameState state;
        QuietHost host;
        MusicNoticeQueue notices;
        AudioServices services(state, caseAudio.device, notices, host, caseFolder);
        GameFlow flow(state, host, services);
        WriteBytes(services.knockTempPath, SineWave(caseAudio.Rate(), 0.05, 440, kAmplitude));
        flow.ApplyStartupDefaults();
        flow.StartNewGame();
        state.knockReady = c.knockReady;
        state.soundOption = c.soundOption;
        flow.OnKeyDown(state.controlKeys[kDropSlot]);
        caseAudio.WaitFrames(caseAudio.Rate() / 10);
        const auto output = caseAudio.StopAndRead();
        EXPECT_EQ(FirstLoudFrame(output, caseAudio.Channels()) >= 0, c.heard);
    }
}

// A knock that cannot be played is skipped without a word.
TEST_F(KnockPlayerTest, UnplayableFilesAreSkipped) {
    KnockPlayer knock(audio.device);
    const std::string notWave = folder.File("notwave");
    WriteBytes(notWave, {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0x7F, 'W', 'A', 'V', 'E'});
    const std::string cut = folder.File("cut");
    std::vector<std::uint8_t> wave = SineWave(8000, 0.1, 440, 1000);
    wave.resize(30);
    WriteBytes(cut, wave);
    for (const std::string& path : {folder.File("missing"), notWave, cut}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(knock.Play(path));
    }
    audio.WaitFrames(audio.BufferFrames() * 2);
    const auto output = audio.StopAndRead();
    EXPECT_EQ(FirstLoudFrame(output, audio.Channels()), -1);

    KnockPlayer closed(audio.device);
    EXPECT_FALSE(closed.Play(WriteKnock(0.05))) << "no device, no knock";
}

} // namespace
} // namespace wz::test
