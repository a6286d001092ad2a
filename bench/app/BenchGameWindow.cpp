// The game window's costs, each timed in turns with a baseline inside one loop:
//   - composing one title frame with the scroller running, against one memcpy of the frame;
//   - presenting the frame through Qt (the flipped drawImage of the wrapped pixels into a
//     window-format image), against the same memcpy; it also counts heap allocations;
//   - the program's start-up (asset file, window, settings) to its first painted title frame,
//     against a bare window's first paint.
// Runs on Qt's offscreen platform unless another is chosen.

#include "PairedTiming.h"

#include "AllocationCounter.h"
#include "AssetLoader.h"
#include "FrameView.h"
#include "FrameWidget.h"
#include "GameDialogs.h"
#include "GameProgram.h"
#include "GameState.h"
#include "HighScores.h"
#include "MessageBox.h"
#include "Screens.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QPainter>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kAssetFile = WZ_BINARY_DIR "/WinData.stg";

struct Quiet : wz::MessageBoxSink {
    void ShowMessage(const wz::MessageBoxRequest&) override {}
};

struct NoPresenter : wz::FramePresenter {
    void PresentFrame(const wz::Picture& frame) override { benchmark::DoNotOptimize(&frame); }
};

// The default asset file's pictures, and a plain buffer for the baseline copy.
struct Assets {
    wz::GameState state;
    Quiet quiet;
    wz::AssetLoader loader{state, quiet, kAssetFile};
    bool loaded = loader.LoadStartupPictures();
    std::vector<std::uint8_t> plain =
        std::vector<std::uint8_t>(loaded ? loader.FramePicture()->PixelArraySize() : 0);

    bool CopyPlain() {
        std::memcpy(plain.data(), loader.BackgroundPicture()->Pixels(), plain.size());
        benchmark::DoNotOptimize(plain.data());
        return true;
    }
};

void BM_TitlePaintWithScroller(benchmark::State& state) {
    Assets a;
    if (!a.loaded) {
        state.SkipWithError("no default asset file");
        return;
    }
    wz::GameState& game = a.state;
    wz::CopyHighScoreLinesToCredits(game);
    game.scrollerOn = 1;
    // Start where the most rows are on the screen: all 27 whole rows of the text.
    game.scrollerOffset = 0;
    const wz::ScreenPictures pictures{a.loader.FramePicture(), a.loader.BackgroundPicture(),
                                      a.loader.TilePicture()};
    NoPresenter presenter;
    wz::bench::RunPaired(
        state, "paint", "memcpy",
        [&] {
            wz::PaintWindow(game, pictures, presenter);
            // Keep the screen full of text: wrap within the band where every row is drawn.
            if (game.scrollerOffset < -16 * 30)
                game.scrollerOffset = 0;
            return true;
        },
        [&] { return a.CopyPlain(); });
}
BENCHMARK(BM_TitlePaintWithScroller)->UseManualTime()->MinTime(1.0);

void BM_PresentFrameThroughQt(benchmark::State& state) {
    Assets a;
    if (!a.loaded) {
        state.SkipWithError("no default asset file");
        return;
    }
    const wz::FrameView view = wz::ViewOf(*a.loader.BackgroundPicture());
    // What the backing store of a window is: 32 bits per pixel.
    QImage window(296, 432, QImage::Format_RGB32);
    QImage upright(296, 432, QImage::Format_RGB32);
    // Allocations of the whole paint (with the painter Qt makes for every paint event) and of
    // the frame's copy and draw alone.
    long paintAllocations = 0;
    long drawAllocations = 0;
    long presents = 0;
    wz::bench::RunPaired(
        state, "present", "memcpy",
        [&] {
            const long before = wz::testkit::AllocationCount();
            QPainter painter(&window);
            const long begun = wz::testkit::AllocationCount();
            wz::CopyFrameToImage(view, upright);
            painter.drawImage(QPoint(0, 0), upright);
            drawAllocations += wz::testkit::AllocationCount() - begun;
            painter.end();
            paintAllocations += wz::testkit::AllocationCount() - before;
            ++presents;
            return true;
        },
        [&] { return a.CopyPlain(); });
    state.counters["allocs_per_paint"] = static_cast<double>(paintAllocations) / presents;
    state.counters["allocs_per_draw"] = static_cast<double>(drawAllocations) / presents;
}
BENCHMARK(BM_PresentFrameThroughQt)->UseManualTime()->MinTime(1.0);

// Wall time from nothing to the first painted frame, in the program's own folder.
void BM_StartupToFirstTitleFrame(benchmark::State& state) {
    // Chosen once: each run points TMPDIR at its own folder, which it removes at the end.
    static const fs::path base = fs::temp_directory_path();
    const fs::path folder = base / "wz-bench-startup";
    fs::remove_all(folder);
    fs::create_directories(folder);
    if (!fs::exists(kAssetFile)) {
        state.SkipWithError("no default asset file");
        return;
    }
    fs::copy_file(kAssetFile, folder / wz::kAssetFileName);
    ::setenv("TMPDIR", folder.c_str(), 1);
    Quiet quiet;
    wz::NoDialogs dialogs;
    wz::GameProgramSetup setup;
    setup.assetFile = folder / wz::kAssetFileName;
    setup.settingsFile = folder / "WinZolvik.cfg";
    using Clock = std::chrono::steady_clock;
    double startupSeconds = 0;
    double bareSeconds = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        {
            wz::GameProgram program(quiet, dialogs, setup);
            if (!program.Start()) {
                state.SkipWithError("the program did not start");
                return;
            }
            while (program.Window()->Frame().PresentCount() == 0)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
            const auto t1 = Clock::now();
            state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
            startupSeconds += std::chrono::duration<double>(t1 - t0).count();
            program.Window()->close();
            program.Finish(0);
        }
        QApplication::processEvents();

        // A bare main window of the same size, shown until its first paint.
        const auto b0 = Clock::now();
        {
            struct Painted : QWidget {
                bool painted = false;
                void paintEvent(QPaintEvent*) override {
                    QPainter(this).fillRect(rect(), Qt::black);
                    painted = true;
                }
            };
            QMainWindow bare;
            auto* area = new Painted;
            area->setFixedSize(296, 432);
            bare.setCentralWidget(area);
            bare.show();
            while (!area->painted)
                QApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        bareSeconds += std::chrono::duration<double>(Clock::now() - b0).count();
        QApplication::processEvents();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["startup_ms"] = startupSeconds / n * 1e3;
    state.counters["bare_window_ms"] = bareSeconds / n * 1e3;
    state.counters["ratio"] = startupSeconds / bareSeconds;
    ::setenv("TMPDIR", base.c_str(), 1);
    fs::remove_all(folder);
}
BENCHMARK(BM_StartupToFirstTitleFrame)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
