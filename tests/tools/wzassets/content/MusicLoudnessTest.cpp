// The generated tracks must sound like music from their first bar and be about equally loud, so
// that the player need not reach for the volume at every change of track. Each track plays once,
// start to end-of-play notice, through the game's own sequencer (FluidSynth with the game's
// SoundFont and gain) into SDL's disk driver, rendering as fast as the synthesizer can. Loudness
// is measured as in ITU-R BS.1770: K-weighted mean square over 400 ms blocks, gated at -70 LUFS
// and 10 LU below the ungated mean.

#include "DefaultContent.h"

#include <AudioDevice.h>
#include <FluidSequencer.h>
#include <LevelNames.h>
#include <MusicNotices.h>

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// One second-order section in direct form I.
struct Biquad {
    double b0, b1, b2, a1, a2;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    double Step(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

// The K-weighting of BS.1770 at any rate: a high shelf of +4 dB above about 1.7 kHz (the
// head's effect) and a high-pass at about 38 Hz, from the analogue prototypes of the filters
// the standard tabulates for 48 kHz.
std::vector<Biquad> KWeighting(int rate) {
    const double pi = std::acos(-1.0);
    double f0 = 1681.974450955533, gain = 3.999843853973347, q = 0.7071752369554196;
    double k = std::tan(pi * f0 / rate);
    const double vh = std::pow(10.0, gain / 20.0);
    const double vb = std::pow(vh, 0.4996667741545416);
    double a0 = 1.0 + k / q + k * k;
    Biquad shelf{(vh + vb * k / q + k * k) / a0, 2.0 * (k * k - vh) / a0,
                 (vh - vb * k / q + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                 (1.0 - k / q + k * k) / a0};
    f0 = 38.13547087602444;
    q = 0.5003270373238773;
    k = std::tan(pi * f0 / rate);
    a0 = 1.0 + k / q + k * k;
    Biquad highPass{1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0, (1.0 - k / q + k * k) / a0};
    return {shelf, highPass};
}

struct Loudness {
    double lufs = -INFINITY;  // gated K-weighted loudness
    double rmsDb = -INFINITY; // plain RMS, dB below full scale
    int peak = 0;
};

// Interleaved stereo 16-bit samples at the given rate.
Loudness Measure(const std::vector<std::int16_t>& samples, int rate) {
    Loudness result;
    const std::size_t frames = samples.size() / 2;
    std::vector<double> weighted[2];
    double plain = 0;
    for (int ch = 0; ch < 2; ++ch) {
        auto filters = KWeighting(rate);
        weighted[ch].resize(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            const int s = samples[2 * i + static_cast<std::size_t>(ch)];
            result.peak = std::max(result.peak, std::abs(s));
            const double x = s / 32768.0;
            plain += x * x;
            double y = x;
            for (auto& f : filters) {
                y = f.Step(y);
            }
            weighted[ch][i] = y * y;
        }
    }
    result.rmsDb = 10.0 * std::log10(plain / (2.0 * static_cast<double>(frames)));

    // Mean square of each 400 ms block, the blocks overlapping by three quarters; the two
    // channels weigh alike.
    const std::size_t block = static_cast<std::size_t>(rate) * 4 / 10;
    const std::size_t step = block / 4;
    std::vector<double> blocks;
    for (std::size_t start = 0; start + block <= frames; start += step) {
        double sum = 0;
        for (int ch = 0; ch < 2; ++ch) {
            for (std::size_t i = start; i < start + block; ++i) {
                sum += weighted[ch][i];
            }
        }
        blocks.push_back(sum / static_cast<double>(block));
    }
    auto lufsOf = [](double z) { return -0.691 + 10.0 * std::log10(z); };
    auto gatedMean = [&](double gate) {
        double sum = 0;
        int count = 0;
        for (double z : blocks) {
            if (lufsOf(z) > gate) {
                sum += z;
                ++count;
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    const double relativeGate = lufsOf(gatedMean(-70.0)) - 10.0;
    result.lufs = lufsOf(gatedMean(relativeGate));
    return result;
}

// The first seconds of a track: audible from the start, not a long silence before the tune.
struct Opening {
    double rms = 0;
    double silentShare = 0; // share of 100 ms blocks below a whisper
};

Opening MeasureOpening(const std::vector<std::int16_t>& samples, int rate, int seconds) {
    Opening opening;
    const std::size_t block = static_cast<std::size_t>(rate) / 10 * 2;
    const std::size_t length =
        std::min(samples.size(), static_cast<std::size_t>(rate) * 2 * seconds);
    int silent = 0;
    int blocks = 0;
    double total = 0;
    for (std::size_t start = 0; start + block <= length; start += block) {
        double energy = 0;
        for (std::size_t i = start; i < start + block; ++i) {
            energy += static_cast<double>(samples[i]) * samples[i];
        }
        total += energy;
        silent += std::sqrt(energy / static_cast<double>(block)) < 100 ? 1 : 0;
        ++blocks;
    }
    opening.rms = std::sqrt(total / (static_cast<double>(blocks) * static_cast<double>(block)));
    opening.silentShare = static_cast<double>(silent) / blocks;
    return opening;
}

// Plays one pass of the track through the game's sequencer and returns what was heard, from
// the play to the end-of-play notice.
std::vector<std::int16_t> Render(const std::vector<std::uint8_t>& midi,
                                 const std::filesystem::path& folder, int& rate) {
    const auto songPath = folder / "track.mid";
    const auto outPath = folder / "output.raw";
    std::ofstream(songPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(midi.data()),
               static_cast<std::streamsize>(midi.size()));
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", outPath.c_str(), 1);
    ::setenv("SDL_DISKAUDIODELAY", "0", 1); // as fast as the synthesizer renders

    std::vector<std::int16_t> samples;
    wz::AudioDevice device;
    if (!device.Open()) {
        ADD_FAILURE() << device.LastError();
        return samples;
    }
    rate = device.Format().frequency;
    EXPECT_EQ(device.Format().channels, 2);
    std::uint64_t start = 0;
    std::atomic<std::uint64_t> end{0};
    {
        wz::MusicNoticeQueue notices;
        wz::FluidSequencer sequencer(device, notices);
        std::uint32_t id = 0;
        EXPECT_EQ(sequencer.Open(songPath.string(), id), 0u);
        EXPECT_EQ(sequencer.CheckPort(id), 0u);
        notices.SetWakeUp([&] {
            if (end == 0) {
                end = device.FramesMixed();
            }
        });
        start = device.FramesMixed();
        EXPECT_EQ(sequencer.Play(id), 0u);
        // Tracks last 45 to 90 seconds; at full speed a pass takes well under a minute.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(5);
        while (end == 0 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        EXPECT_NE(end, 0u) << "the track came to its end";
        notices.SetWakeUp(nullptr);
        sequencer.Close(id);
    }
    device.Close();
    if (end <= start) {
        return samples;
    }

    std::ifstream in(outPath, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(start * 4));
    samples.resize(static_cast<std::size_t>(end - start) * 2);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    samples.resize(static_cast<std::size_t>(in.gcount()) / 2);
    return samples;
}

// One rendering a track serves both checks: a pass of all twenty is the slowest part of the
// suite.
TEST(MusicLoudness, EveryTrackPlaysFromItsFirstBarWithinThreeDecibelsOfEveryOther) {
    ::unsetenv("SDL_SOUNDFONTS"); // the game's default SoundFont
    const wz::testkit::ScratchFolder scratch("wz-loudness");
    const std::filesystem::path& folder = scratch.path();
    double loudest = -INFINITY, quietest = INFINITY;
    double loudestRms = -INFINITY, quietestRms = INFINITY;
    for (const auto& e : wz::content::AssetElements()) {
        if (e.storage != wz::kMusicStorage) {
            continue;
        }
        const std::string name(e.name.begin(), e.name.end());
        SCOPED_TRACE(name);
        int rate = 0;
        const auto samples = Render(wz::content::MakeDefaultElement(e), folder, rate);
        ASSERT_GT(samples.size(), static_cast<std::size_t>(rate) * 2 * 30) << "a whole pass";
        const Loudness l = Measure(samples, rate);
        RecordProperty("lufs_" + name, std::to_string(l.lufs));
        RecordProperty("rms_db_" + name, std::to_string(l.rmsDb));
        EXPECT_LT(l.peak, 30000) << "headroom: never near clipping";
        const Opening opening = MeasureOpening(samples, rate, 2);
        EXPECT_GT(opening.rms, 300.0) << "clearly audible";
        EXPECT_LT(opening.silentShare, 0.2) << "playing from the first bar on";
        RecordProperty("opening_rms_" + name, std::to_string(opening.rms));
        loudest = std::max(loudest, l.lufs);
        quietest = std::min(quietest, l.lufs);
        loudestRms = std::max(loudestRms, l.rmsDb);
        quietestRms = std::min(quietestRms, l.rmsDb);
    }
    RecordProperty("lufs_spread", std::to_string(loudest - quietest));
    RecordProperty("rms_spread_db", std::to_string(loudestRms - quietestRms));
    EXPECT_LE(loudest - quietest, 3.0) << "from " << quietest << " to " << loudest << " LUFS";
}

} // namespace
