// The knock and the music in real time on SDL's disk driver (which paces itself like a sound
// card), measured against the device's own buffer cadence.

#include "AudioDevice.h"
#include "AudioFiles.h"
#include "FluidSequencer.h"
#include "GameState.h"
#include "KnockPlayer.h"
#include "MessageBox.h"
#include "Music.h"
#include "MusicNotices.h"

#include <SDL_mixer.h>
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using namespace wz;
using namespace wz::test;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string TempFile(const std::string& name) {
    return (std::filesystem::temp_directory_path() / ("wzbench-" + name)).string();
}

// Opens the device on the disk driver writing to output.
bool OpenDisk(AudioDevice& device, const std::string& output) {
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    return device.Open();
}

// Waits for the device to mix its next buffer; returns how long that took.
Clock::duration WaitForNextBuffer(const AudioDevice& device) {
    const auto start = Clock::now();
    const std::uint64_t frames = device.FramesMixed();
    while (device.FramesMixed() == frames) {
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    return Clock::now() - start;
}

class NoMessages : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest&) override { ++count; }
    int count = 0;
};

// From the call of Play to the mixing of the buffer that holds the knock's first samples
// (the moment it is handed to the device), against the wait for the device's next buffer
// from an equally random moment.
void BM_KnockLatency(benchmark::State& state) {
    AudioDevice device;
    if (!OpenDisk(device, "/dev/null")) {
        state.SkipWithError("no audio device");
        return;
    }
    const std::string path = TempFile("knock.wav");
    WriteBytes(path, SineWave(device.Format().frequency, 0.02, 440, 8000));
    KnockPlayer knock(device);
    knock.Load(path);

    static std::atomic<std::int64_t> mixedAt{0};
    auto effect = [](int, void*, int, void*) {
        std::int64_t expected = 0;
        mixedAt.compare_exchange_strong(expected, Clock::now().time_since_epoch().count());
    };
    double knockTotal = 0, knockMax = 0, cadenceTotal = 0;
    int count = 0;
    for (auto _ : state) {
        // Start at a different point of the device's cycle each time.
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (count * 3700) % 11000));
        cadenceTotal += Ms(WaitForNextBuffer(device));
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + (count * 5300) % 11000));

        Mix_UnregisterAllEffects(KnockPlayer::kChannel);
        mixedAt = 0;
        Mix_RegisterEffect(KnockPlayer::kChannel, effect, nullptr, nullptr);
        const auto start = Clock::now();
        knock.Play(path);
        while (mixedAt == 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
        const double latency = Ms(Clock::duration(mixedAt.load()) - start.time_since_epoch());
        state.SetIterationTime(latency / 1000.0);
        knockTotal += latency;
        knockMax = std::max(knockMax, latency);
        ++count;
    }
    Mix_UnregisterAllEffects(KnockPlayer::kChannel);
    const AudioFormat format = device.Format();
    state.counters["buffer_frames"] = format.bufferFrames;
    state.counters["buffer_ms"] = format.bufferFrames * 1000.0 / format.frequency;
    state.counters["knock_mean_ms"] = knockTotal / count;
    state.counters["knock_max_ms"] = knockMax;
    state.counters["baseline_next_buffer_ms"] = cadenceTotal / count;
    state.counters["ratio"] = (knockTotal / count) / (cadenceTotal / count);
    std::filesystem::remove(path);
}
BENCHMARK(BM_KnockLatency)->Iterations(60)->UseManualTime()->Unit(benchmark::kMillisecond);

// A 400 ms song repeated through the game's own path: the audio thread posts the end notice
// and wakes the game's thread, which rewinds and plays again. The gap is measured in the
// device's output, from one start of the song to the next, minus the song's length, against
// the duration of one device buffer.
void BM_RestartGap(benchmark::State& state) {
    const std::string output = TempFile("gap.raw");
    const std::string song = TempFile("gap.mid");
    constexpr double kSongMs = 400.0;
    WriteBytes(song, WoodblockSong(static_cast<std::uint32_t>(kTicksPerSecond * kSongMs / 1000)));
    double gapTotal = 0, gapMax = 0;
    int gaps = 0;
    double bufferMs = 0;
    for (auto _ : state) {
        AudioDevice device;
        if (!OpenDisk(device, output)) {
            state.SkipWithError("no audio device");
            return;
        }
        bufferMs = device.Format().bufferFrames * 1000.0 / device.Format().frequency;
        MusicNoticeQueue notices;
        std::mutex wakeMutex;
        std::condition_variable woken;
        bool pending = false;
        notices.SetWakeUp([&] {
            std::lock_guard lock(wakeMutex);
            pending = true;
            woken.notify_one();
        });
        GameState game;
        game.musicAllowed = game.musicOption = game.musicReady = 1;
        NoMessages messages;
        FluidSequencer sequencer(device, notices);
        sequencer.LoadSynthesizer();
        Music music(game, sequencer, messages);
        music.StartMusic(song);
        // The game's thread: sleeps until woken, then hands the notices over, as the queued
        // call of the Qt program does.
        for (int restarts = 0; restarts < 8;) {
            std::unique_lock lock(wakeMutex);
            woken.wait(lock, [&] { return pending; });
            pending = false;
            lock.unlock();
            for (const auto& notice : notices.TakeAll()) {
                music.OnMusicNotify(notice.outcome, notice.deviceId);
                ++restarts;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        music.CloseMusic();
        notices.SetWakeUp(nullptr);
        const int rate = device.Format().frequency;
        const int channels = device.Format().channels;
        device.Close();

        const std::vector<std::int16_t> samples = ReadRawSamples(output);
        const auto onsets = Onsets(samples, channels, static_cast<std::size_t>(rate / 10));
        for (std::size_t i = 1; i < onsets.size(); ++i) {
            const double gap = (onsets[i] - onsets[i - 1]) * 1000.0 / rate - kSongMs;
            gapTotal += gap;
            gapMax = std::max(gapMax, gap);
            ++gaps;
        }
    }
    if (gaps == 0) {
        state.SkipWithError("no repeat heard");
        return;
    }
    state.counters["restarts"] = gaps;
    state.counters["gap_mean_ms"] = gapTotal / gaps;
    state.counters["gap_max_ms"] = gapMax;
    state.counters["baseline_buffer_ms"] = bufferMs;
    state.counters["ratio"] = (gapTotal / gaps) / bufferMs;
    std::filesystem::remove(output);
    std::filesystem::remove(song);
}
BENCHMARK(BM_RestartGap)->Iterations(1)->Unit(benchmark::kMillisecond);

// The CPU share of one core while a busy track plays, against the same time with the device
// open and the synthesizer loaded but no song.
void BM_MusicCpu(benchmark::State& state) {
    const std::string song = TempFile("busy.mid");
    WriteBytes(song, BusySong(6));
    constexpr auto kSpan = std::chrono::seconds(4);
    double musicShare = 0, idleShare = 0;
    for (auto _ : state) {
        AudioDevice device;
        if (!OpenDisk(device, "/dev/null")) {
            state.SkipWithError("no audio device");
            return;
        }
        MusicNoticeQueue notices;
        FluidSequencer sequencer(device, notices);
        if (!sequencer.LoadSynthesizer()) {
            state.SkipWithError("no SoundFont");
            return;
        }
        auto share = [&] {
            const double cpu = ProcessCpuSeconds();
            const auto wall = Clock::now();
            std::this_thread::sleep_for(kSpan);
            return (ProcessCpuSeconds() - cpu) / (Ms(Clock::now() - wall) / 1000.0);
        };
        idleShare = share();
        std::uint32_t id = 0;
        sequencer.Open(song, id);
        sequencer.CheckPort(id);
        sequencer.Play(id);
        musicShare = share();
        sequencer.Close(id);
    }
    state.counters["music_cpu_pct"] = musicShare * 100;
    state.counters["baseline_idle_cpu_pct"] = idleShare * 100;
    state.counters["ratio"] = musicShare / std::max(idleShare, 1e-6);
    std::filesystem::remove(song);
}
BENCHMARK(BM_MusicCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

// What the game's thread waits in CloseMusic while a busy track sounds, and what loading the
// SoundFont costs, on the game's thread or (preloaded) on a thread of its own, against one
// device buffer.
void BM_CloseAndLoad(benchmark::State& state) {
    const std::string song = TempFile("busy-close.mid");
    WriteBytes(song, BusySong(6));
    double closeTotal = 0, closeMax = 0, loadTotal = 0, preloadTotal = 0, bufferMs = 0;
    int count = 0;
    for (auto _ : state) {
        AudioDevice device;
        if (!OpenDisk(device, "/dev/null")) {
            state.SkipWithError("no audio device");
            return;
        }
        bufferMs = device.Format().bufferFrames * 1000.0 / device.Format().frequency;
        MusicNoticeQueue notices;
        {
            // Loading on the game's thread, for comparison.
            FluidSequencer direct(device, notices);
            const auto loadStart = Clock::now();
            direct.LoadSynthesizer();
            loadTotal += Ms(Clock::now() - loadStart);
        }
        FluidSequencer sequencer(device, notices);
        const auto preloadStart = Clock::now();
        sequencer.PreloadSynthesizer();
        preloadTotal += Ms(Clock::now() - preloadStart);
        sequencer.LoadSynthesizer();
        std::uint32_t id = 0;
        sequencer.Open(song, id);
        sequencer.Play(id);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        const auto closeStart = Clock::now();
        sequencer.Close(id);
        const double close = Ms(Clock::now() - closeStart);
        state.SetIterationTime(close / 1000.0);
        closeTotal += close;
        closeMax = std::max(closeMax, close);
        ++count;
    }
    state.counters["close_mean_ms"] = closeTotal / count;
    state.counters["close_max_ms"] = closeMax;
    state.counters["soundfont_load_ms"] = loadTotal / count;
    state.counters["preload_call_ms"] = preloadTotal / count;
    state.counters["baseline_buffer_ms"] = bufferMs;
    state.counters["ratio"] = (closeTotal / count) / bufferMs;
    std::filesystem::remove(song);
}
BENCHMARK(BM_CloseAndLoad)->Iterations(5)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
