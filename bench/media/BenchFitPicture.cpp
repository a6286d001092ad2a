// Fitting a 12-megapixel photo, baseline and progressive, against baselines in the same run:
//
// - in process, FitPicture against libjpeg-turbo decoding the same file at the scale the fit
//   decodes it (the smallest DCT scale that still covers the frame, here 1/4), in processor
//   time of the whole process (libvips works on several threads) and in wall time;
// - as whole programs, `wzassets fit` against ImageMagick's
//   `convert -resize 296x432^ -gravity center -extent 296x432` (wall time), and its peak
//   resident memory against `djpeg -scale 1/2` of the same file.

#include "ChildProcess.h"
#include "FitPicture.h"

#include "PairedTiming.h"

#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <vips/vips8>

#include <unistd.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

// A 12-megapixel phone photo's size.
constexpr int kPhotoWidth = 4032;
constexpr int kPhotoHeight = 3024;
// The scale at which the fit decodes such a photo: 1008 x 756 still covers the frame's
// 576 x 432 cover of it.
constexpr int kDecodeDenominator = 4;

const fs::path& Folder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("wz-bench-fit-" + std::to_string(::getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

// Photo-like content: detail at several scales over a gradient, about as many bytes as a
// phone's 12-megapixel picture (4 to 5 MiB), so that the entropy decoding does the work it
// does on a camera's picture. Written once per run as baseline and
// progressive JPEGs of quality 92.
fs::path Photo(bool progressive) {
    fs::path path = Folder() / (progressive ? "progressive.jpg" : "baseline.jpg");
    if (fs::exists(path))
        return path;
    wz::media::StartPictureLibrary();
    using vips::VImage;
    VImage picture = VImage::black(kPhotoWidth, kPhotoHeight, VImage::option()->set("bands", 3));
    for (const double blur : {0.5, 1.5, 6.0, 30.0}) {
        const auto band = [] {
            return VImage::gaussnoise(kPhotoWidth, kPhotoHeight,
                                      VImage::option()->set("sigma", 60.0));
        };
        const VImage noise = band().bandjoin(band()).bandjoin(band());
        picture = picture + (noise.gaussblur(blur) - 128) * (blur < 1   ? 0.08
                                                             : blur < 2 ? 0.3
                                                                        : 0.8);
    }
    const VImage xyz = VImage::xyz(kPhotoWidth, kPhotoHeight);
    picture = (picture + xyz.extract_band(0) * (100.0 / kPhotoWidth) + 78).cast(VIPS_FORMAT_UCHAR);
    picture = picture.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
    picture.jpegsave(path.c_str(), VImage::option()->set("Q", 92)->set("interlace", progressive));
    return path;
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

double ProcessSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The file read and fitted, as `wzassets fit` does, against the file read and decoded by
// libjpeg-turbo at the fit's scale into a buffer made once.
void BM_FitAgainstScaledDecode(benchmark::State& state) {
    const fs::path photo = Photo(state.range(0) != 0);
    tjhandle decoder = tjInitDecompress();
    std::vector<unsigned char> pixels(static_cast<std::size_t>(kPhotoWidth) * kPhotoHeight * 3);
    double fitCpu = 0, fitWall = 0, decodeCpu = 0, decodeWall = 0;
    for (auto _ : state) {
        double c0 = ProcessSeconds(), w0 = WallSeconds();
        std::vector<std::uint8_t> jpeg;
        const std::string problem =
            wz::media::FitPicture(photo.string(), wz::media::FitOptions{}, jpeg);
        double c1 = ProcessSeconds(), w1 = WallSeconds();
        const Bytes bytes = ReadFile(photo);
        const int decoded = tjDecompress2(
            decoder, bytes.data(), static_cast<unsigned long>(bytes.size()), pixels.data(),
            kPhotoWidth / kDecodeDenominator, 0, kPhotoHeight / kDecodeDenominator, TJPF_RGB, 0);
        benchmark::DoNotOptimize(pixels.data());
        double c2 = ProcessSeconds(), w2 = WallSeconds();
        if (!problem.empty() || decoded != 0) {
            state.SkipWithError(problem.empty() ? tjGetErrorStr2(decoder) : problem.c_str());
            break;
        }
        fitCpu += c1 - c0;
        fitWall += w1 - w0;
        decodeCpu += c2 - c1;
        decodeWall += w2 - w1;
        state.SetIterationTime(c1 - c0);
    }
    tjDestroy(decoder);
    wz::bench::ReportPairMs(state, "fit_cpu", fitCpu, "decode_cpu", decodeCpu, "cpu_ratio");
    wz::bench::ReportPairMs(state, "fit_wall", fitWall, "decode_wall", decodeWall, "wall_ratio");
}

struct ProcessRun {
    double seconds = 0;
    long peakBytes = 0;
    bool ok = false;
};

// Runs a program to its end with its output sent to /dev/null: wall time, and peak memory as
// /usr/bin/time reports it (a child forked from this process would count this process's own
// memory in its peak up to its exec).
ProcessRun Run(const std::vector<std::string>& program) {
    const std::string memoryFile = (Folder() / "peak").string();
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%M", "-o", memoryFile};
    args.insert(args.end(), program.begin(), program.end());
    ProcessRun run;
    const double t0 = WallSeconds();
    run.ok = wz::testkit::RunQuietly(args) == 0;
    run.seconds = WallSeconds() - t0;
    long kilobytes = 0;
    std::ifstream(memoryFile) >> kilobytes;
    run.peakBytes = kilobytes * 1024L;
    return run;
}

// The three programs in turns on one photo; the iteration time is wzassets'.
void BM_ProgramsOnAPhoto(benchmark::State& state) {
    const std::string photo = Photo(state.range(0) != 0).string();
    const std::string out = (Folder() / "out.jpg").string();
    const std::string tool = WZ_BINARY_DIR "/bin/wzassets";
    double fit = 0, convert = 0;
    long fitPeak = 0, djpegPeak = 0;
    // Each program's price before any photo: its peak on a picture already of the frame's
    // size (its libraries and its start), so that what the photo itself costs shows apart.
    const std::string small = (Folder() / "small.jpg").string();
    Run({tool, "fit", photo, small});
    const long fitStart = Run({tool, "fit", small, out}).peakBytes;
    const long djpegStart = Run({"/usr/bin/djpeg", small}).peakBytes;
    for (auto _ : state) {
        const ProcessRun a = Run({tool, "fit", photo, out});
        const ProcessRun b = Run({"/usr/bin/convert", photo, "-resize", "296x432^", "-gravity",
                                  "center", "-extent", "296x432", out});
        const ProcessRun c =
            Run({"/usr/bin/djpeg", "-scale", "1/" + std::to_string(kDecodeDenominator), photo});
        if (!a.ok || !b.ok || !c.ok) {
            state.SkipWithError("a program failed (are ImageMagick and djpeg installed?)");
            break;
        }
        fit += a.seconds;
        convert += b.seconds;
        fitPeak = std::max(fitPeak, a.peakBytes);
        djpegPeak = std::max(djpegPeak, c.peakBytes);
        state.SetIterationTime(a.seconds);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["wzassets_ms"] = fit / n * 1e3;
    state.counters["convert_ms"] = convert / n * 1e3;
    state.counters["speedup"] = convert / fit;
    state.counters["wzassets_peak_MiB"] = static_cast<double>(fitPeak) / (1 << 20);
    state.counters["djpeg_peak_MiB"] = static_cast<double>(djpegPeak) / (1 << 20);
    state.counters["memory_ratio"] = static_cast<double>(fitPeak) / static_cast<double>(djpegPeak);
    state.counters["wzassets_start_MiB"] = static_cast<double>(fitStart) / (1 << 20);
    state.counters["djpeg_start_MiB"] = static_cast<double>(djpegStart) / (1 << 20);
    state.counters["photo_MiB"] = static_cast<double>(fs::file_size(photo)) / (1 << 20);
}

BENCHMARK(BM_FitAgainstScaledDecode)
    ->ArgName("progressive")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramsOnAPhoto)
    ->ArgName("progressive")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::remove_all(Folder());
    return 0;
}
