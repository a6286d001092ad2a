// Fitting an author's photo in the editor: the crop frame following a drag over a 24-megapixel
// photo (a move and its repaint) against drawing the pane's copy of the photo alone, and Fit
// (the game picture made from the framed part and kept as the slot's pending file) against
// libjpeg-turbo decoding the same photo at the eighth of its size that the fit decodes it at.

#include "AssetUpdate.h"
#include "CropView.h"
#include "FitPicture.h"
#include "JpegWriter.h"
#include "PairedTiming.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <turbojpeg.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kPhotoWidth = 6000;
constexpr int kPhotoHeight = 4000;
// The pane's picture area: a 296 x 432 picture beside a scroll bar.
constexpr int kPaneWidth = 316;
constexpr int kPaneHeight = 436;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// The processor time of the whole process, all threads: what the work costs whatever else the
// machine is doing, where wall time on a loaded machine is mostly waiting for a core.
double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct QuietSink : wz::MessageBoxSink {
    int shown = 0;
    void ShowMessage(const wz::MessageBoxRequest&) override { ++shown; }
};

// A 24-megapixel landscape photo of sorts, written once: smooth gradients with fine texture,
// so that it compresses as a camera's JPEG does (a few megabytes at quality 90).
const std::string& Photo() {
    static const std::string path = [] {
        wz::content::Canvas canvas(kPhotoWidth, kPhotoHeight);
        for (int y = 0; y < kPhotoHeight; ++y) {
            for (int x = 0; x < kPhotoWidth; ++x) {
                const unsigned noise = (x * 7919u + y * 104729u) * 2654435761u >> 28;
                canvas.Set(
                    x, y,
                    wz::content::Rgb{static_cast<std::uint8_t>(x * 200 / kPhotoWidth + noise),
                                     static_cast<std::uint8_t>(y * 180 / kPhotoHeight + noise),
                                     static_cast<std::uint8_t>(((x ^ y) >> 4) & 0x7f)});
            }
        }
        const std::vector<std::uint8_t> jpeg =
            wz::content::EncodeJpeg(canvas, 90, wz::content::ChromaSampling::Halved);
        const fs::path file =
            fs::temp_directory_path() / ("wz_bench_photo_" + std::to_string(::getpid()) + ".jpg");
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(jpeg.data()), static_cast<long>(jpeg.size()));
        return file.string();
    }();
    return path;
}

std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// libjpeg-turbo's own decode of the photo at an eighth of its size, into red, green, blue.
void DecodeEighth(tjhandle decoder, const std::vector<std::uint8_t>& jpeg,
                  std::vector<std::uint8_t>& rgb) {
    const int width = kPhotoWidth / 8;
    const int height = kPhotoHeight / 8;
    rgb.resize(static_cast<std::size_t>(width) * height * 3);
    tjDecompress2(decoder, jpeg.data(), static_cast<unsigned long>(jpeg.size()), rgb.data(), width,
                  0, height, TJPF_RGB, 0);
}

void BM_CropFrameDrag(benchmark::State& state) {
    wz::media::PictureSketch sketch;
    if (const std::string reason =
            wz::media::SketchPicture(Photo(), kPaneWidth, kPaneHeight, sketch);
        !reason.empty()) {
        state.SkipWithError(reason.c_str());
        return;
    }
    CropView view;
    view.resize(kPaneWidth, kPaneHeight);
    view.show();
    view.SetSketch(sketch);
    QApplication::processEvents();
    const QImage copy(sketch.rgb.data(), sketch.width, sketch.height, sketch.width * 3,
                      QImage::Format_RGB888);
    const QImage shown = copy.convertToFormat(QImage::Format_RGB32);
    QImage canvas(kPaneWidth, kPaneHeight, QImage::Format_RGB32);

    const QPointF centre(kPaneWidth / 2.0, kPaneHeight / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, centre, view.mapToGlobal(centre), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&view, &press);
    int step = 0;
    const auto drag = [&] {
        // To and fro across the picture, so that the frame moves on every step.
        const QPointF at = centre + QPointF(((step++ % 40) - 20) * 3.0, 0);
        QMouseEvent move(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&view, &move);
        view.repaint();
        return true;
    };
    const auto draw = [&] {
        QPainter painter(&canvas);
        painter.drawImage(QRectF(0, 0, kPaneWidth, kPaneHeight), shown);
        return true;
    };
    wz::bench::RunPaired(state, "move_and_repaint", "baseline_draw", drag, draw,
                         wz::bench::kWallMilliseconds);
}
BENCHMARK(BM_CropFrameDrag)->Iterations(400)->UseManualTime()->Unit(benchmark::kMillisecond);

// What the author waits for: the copy and attention frame when Fit to Game Picture opens the
// frame, and the fit itself when Fit is pressed.
void BM_FitInEditor(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("wz_bench_fit_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    QuietSink sink;
    wz::AssetUpdate update(sink, folder);
    update.DropFiles(0, {Photo()});
    wz::media::PictureSketch sketch;
    const std::vector<std::uint8_t> jpeg = ReadAll(Photo());
    tjhandle decoder = tjInitDecompress();
    std::vector<std::uint8_t> rgb;
    double decodeTotal = 0;
    double sketchTotal = 0;
    double fitTotal = 0;
    double fitProcessor = 0;
    for (auto _ : state) {
        const auto decodeStart = Clock::now();
        DecodeEighth(decoder, jpeg, rgb);
        const auto sketchStart = Clock::now();
        wz::media::SketchPicture(Photo(), kPaneWidth, kPaneHeight, sketch);
        wz::media::FitOptions options;
        options.crop = wz::media::CropMode::Rectangle;
        options.rect = sketch.attention;
        const double processorStart = ProcessSeconds();
        const auto fitStart = Clock::now();
        benchmark::DoNotOptimize(update.FitPicture(0, options));
        const auto end = Clock::now();
        fitProcessor += ProcessSeconds() - processorStart;
        decodeTotal += Seconds(sketchStart - decodeStart);
        sketchTotal += Seconds(fitStart - sketchStart);
        fitTotal += Seconds(end - fitStart);
        state.SetIterationTime(Seconds(end - fitStart));
    }
    tjDestroy(decoder);
    if (sink.shown != 0 || update.lists().pictureFittedFrom[0] != Photo()) {
        state.SkipWithError("the fit failed");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["photo_mib"] = static_cast<double>(jpeg.size()) / (1 << 20);
    state.counters["fit_ms"] = fitTotal / n * 1000;
    state.counters["fit_cpu_ms"] = fitProcessor / n * 1000;
    state.counters["open_frame_ms"] = sketchTotal / n * 1000;
    state.counters["baseline_decode_eighth_ms"] = decodeTotal / n * 1000;
    state.counters["ratio"] = fitTotal / decodeTotal;
    update.RestoreLastCopy();
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_FitInEditor)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
