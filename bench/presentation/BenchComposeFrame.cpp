// Composing the full play screen against one plain memcpy of the frame, measured in turns
// within the same loop so that both see the same machine state.

#include <PictureSamples.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <ctime>
#include <vector>

namespace {

// Thread CPU time: the machine is shared, and a wall clock would charge whichever side
// happened to be preempted.
struct Clock {
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
    }
};

struct Pictures {
    std::vector<std::uint8_t> frameJpeg =
        wz::test::EncodeJpeg(296, 432, wz::test::BackgroundColour);
    std::vector<std::uint8_t> sheetJpeg =
        wz::test::EncodeJpeg(160, 336, wz::test::GameLikeSheetColour);
    wz::Picture frame{frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr};
    wz::Picture background{frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr};
    wz::Picture tiles{sheetJpeg.data(), static_cast<std::uint32_t>(sheetJpeg.size()), nullptr};
};

void BM_PlayScreenAgainstMemcpy(benchmark::State& state) {
    Pictures p;
    if (p.frame.IsEmpty() || p.tiles.IsEmpty()) {
        state.SkipWithError("the sample pictures did not decode");
        return;
    }
    const wz::test::WellCells cells = wz::test::FullWell();
    std::vector<std::uint8_t> plain(p.frame.PixelArraySize());
    double composeSeconds = 0;
    double copySeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        wz::test::ComposePlayScreen(p.frame, p.background, p.tiles, 98765, 20, cells, true);
        benchmark::DoNotOptimize(p.frame.Pixels());
        benchmark::ClobberMemory();
        const auto t1 = Clock::now();
        std::memcpy(plain.data(), p.background.Pixels(), plain.size());
        benchmark::DoNotOptimize(plain.data());
        benchmark::ClobberMemory();
        const auto t2 = Clock::now();
        const double compose = t1 - t0;
        composeSeconds += compose;
        copySeconds += t2 - t1;
        state.SetIterationTime(compose);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["compose_us"] = composeSeconds / n * 1e6;
    state.counters["memcpy_us"] = copySeconds / n * 1e6;
    state.counters["ratio"] = composeSeconds / copySeconds; // at most 3
}
BENCHMARK(BM_PlayScreenAgainstMemcpy)->UseManualTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
