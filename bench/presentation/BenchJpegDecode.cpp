// Decoding a 296 x 432 JPEG through libJpgToBmp against libturbojpeg's own tjDecompress2 of
// the same bytes into a plain top-down buffer, measured in turns within the same loop.

#include <PictureSamples.h>

#include <JpgToBmp.h>
#include <turbojpeg.h>

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

void BM_DecodeAgainstTjDecompress2(benchmark::State& state) {
    const auto jpeg = wz::test::EncodeJpeg(296, 432, wz::test::BackgroundColour, 90);
    const auto length = static_cast<unsigned>(jpeg.size());
    tjhandle handle = tjInitDecompress();
    unsigned char record[JPGTOBMP_INFO_SIZE];
    if (GetJpgInfo(record, jpeg.data(), length) == 0) {
        state.SkipWithError(g_strJpgMessage);
        return;
    }
    std::uint32_t sizeImage = 0;
    std::memcpy(&sizeImage, record + 20, 4);
    std::vector<unsigned char> ours(sizeImage);
    std::vector<unsigned char> plain(std::size_t(296) * 432 * 3);

    double oursSeconds = 0;
    double baseSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        const int described = GetJpgInfo(record, jpeg.data(), length);
        const int decoded = JpgToBmp(record, jpeg.data(), length, ours.data(), sizeImage);
        benchmark::DoNotOptimize(ours.data());
        const auto t1 = Clock::now();
        const int base =
            tjDecompress2(handle, jpeg.data(), length, plain.data(), 296, 0, 432, TJPF_BGR, 0);
        benchmark::DoNotOptimize(plain.data());
        const auto t2 = Clock::now();
        if (described == 0 || decoded == 0 || base != 0) {
            state.SkipWithError("a decode failed");
            break;
        }
        const double mine = t1 - t0;
        oursSeconds += mine;
        baseSeconds += t2 - t1;
        state.SetIterationTime(mine);
    }
    tjDestroy(handle);
    const auto n = static_cast<double>(state.iterations());
    state.counters["jpgtobmp_us"] = oursSeconds / n * 1e6;
    state.counters["tjdecompress2_us"] = baseSeconds / n * 1e6;
    state.counters["ratio"] = oursSeconds / baseSeconds; // at most 1.1
}
BENCHMARK(BM_DecodeAgainstTjDecompress2)->UseManualTime()->MinTime(2.0);

// Informative: a whole Picture (header blocks, pixel pages, decode) against the same baseline.
void BM_PictureAgainstTjDecompress2(benchmark::State& state) {
    const auto jpeg = wz::test::EncodeJpeg(296, 432, wz::test::BackgroundColour, 90);
    const auto length = static_cast<std::uint32_t>(jpeg.size());
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> plain(std::size_t(296) * 432 * 3);
    double oursSeconds = 0;
    double baseSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            wz::Picture picture(jpeg.data(), length, nullptr);
            benchmark::DoNotOptimize(picture.Pixels());
        }
        const auto t1 = Clock::now();
        tjDecompress2(handle, jpeg.data(), length, plain.data(), 296, 0, 432, TJPF_BGR, 0);
        benchmark::DoNotOptimize(plain.data());
        const auto t2 = Clock::now();
        const double mine = t1 - t0;
        oursSeconds += mine;
        baseSeconds += t2 - t1;
        state.SetIterationTime(mine);
    }
    tjDestroy(handle);
    state.counters["ratio"] = oursSeconds / baseSeconds;
}
BENCHMARK(BM_PictureAgainstTjDecompress2)->UseManualTime()->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
