// The preview pane: a picture decoded and shown in the pane against the decode alone, the
// same after a rebuild of the tree (the file read, the picture decoded, shown and painted, as
// when the user picks a slot), and a track's length and notes against the structural check the
// game's sequencer makes of every track it opens. All on the default content's real pictures
// and tracks, measured with their baselines in the same iterations.

#include "CMainFrame.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "CfbStorage.h"
#include "DefaultContent.h"
#include "LevelNames.h"
#include "MidiFile.h"
#include "PairedTiming.h"
#include "PreviewDock.h"
#include "SlotPreview.h"

#include <QApplication>
#include <QLabel>
#include <QSettings>
#include <QStandardPaths>

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct QuietSink : wz::MessageBoxSink {
    int shown = 0;
    void ShowMessage(const wz::MessageBoxRequest&) override { ++shown; }
};

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

std::vector<std::uint8_t> Element(std::u16string_view storage, std::u16string_view name) {
    return wz::content::MakeDefaultElement({storage, name});
}

// An asset file with the default pictures and tracks in their storages (the generators take a
// few seconds for all of them, so only the slots measured are real; the rest are empty).
bool MakeAssetFile(const fs::path& file) {
    std::shared_ptr<cfb::Storage> root;
    if (cfb::OpenCompoundFile(file, cfb::kModeCreate | cfb::kModeReadWrite | cfb::kShareExclusive,
                              root) != 0) {
        return false;
    }
    const std::uint32_t mode = cfb::kModeReadWrite | cfb::kShareExclusive;
    for (const std::u16string_view dir : {u"Images", u"Music"}) {
        std::shared_ptr<cfb::Storage> storage;
        if (root->CreateStorage(std::u16string(dir), mode, storage) != 0) {
            return false;
        }
        const std::vector<std::uint8_t> bytes = Element(dir, u"Love8");
        std::shared_ptr<cfb::Stream> stream;
        if (storage->CreateStream(u"Love8", mode, stream) != 0 ||
            stream->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr) != 0) {
            return false;
        }
    }
    return true;
}

// The editor's frame, tree and preview pane, shown on the offscreen platform, in a scratch
// folder that holds the asset file; the settings go to that folder too.
class PreviewWindow {
public:
    PreviewWindow()
        : folder_(fs::temp_directory_path() / ("wz_bench_preview_" + std::to_string(::getpid()))),
          old_(fs::current_path()) {
        fs::create_directories(folder_);
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QString::fromStdString(folder_.string()));
        fs::current_path(folder_);
        ok_ = MakeAssetFile(folder_ / wz::kAssetFileName);
        document = std::make_unique<CWZolvikCreatorDoc>(sink);
        frame = std::make_unique<CMainFrame>(sink);
        view = new CWZolvikCreatorView(*document, sink, frame.get());
        frame->setCentralWidget(view);
        preview = new PreviewDock(*frame, *view);
        document->SelectSlot(7);
        document->ShowPictures();
        frame->show();
        preview->SetPreviewShown(true);
        QApplication::processEvents();
    }
    ~PreviewWindow() {
        frame.reset();
        fs::current_path(old_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }
    bool ok() const { return ok_ && sink.shown == 0; }

    QuietSink sink;
    std::unique_ptr<CWZolvikCreatorDoc> document; // outlives the frame and its view
    std::unique_ptr<CMainFrame> frame;
    CWZolvikCreatorView* view = nullptr;
    PreviewDock* preview = nullptr;

private:
    fs::path folder_;
    fs::path old_;
    bool ok_ = false;
};

void BM_PicturePreview(benchmark::State& state) {
    PreviewWindow window;
    const std::vector<std::uint8_t> bytes = Element(u"Images", u"Love8");
    if (!window.ok() || !wz::DecodePicture(bytes).ok()) {
        state.SkipWithError("no window or no picture");
        return;
    }
    const auto preview = [&] {
        window.preview->ShowPictureBytes(bytes);
        window.preview->findChild<QLabel*>("previewPicture")->repaint();
        return true;
    };
    const auto decode = [&] {
        benchmark::DoNotOptimize(wz::DecodePicture(bytes));
        return true;
    };
    wz::bench::RunPaired(state, "preview", "baseline_decode", preview, decode,
                         wz::bench::kWallMilliseconds);
}
BENCHMARK(BM_PicturePreview)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PicturePreviewWithRebuild(benchmark::State& state) {
    PreviewWindow window;
    const std::vector<std::uint8_t> bytes = Element(u"Images", u"Love8");
    if (!window.ok()) {
        state.SkipWithError("no window");
        return;
    }
    double decodeTotal = 0;
    double totalTotal = 0;
    for (auto _ : state) {
        const auto decodeStart = Clock::now();
        benchmark::DoNotOptimize(wz::DecodePicture(bytes));
        const auto start = Clock::now();
        // The rebuild, then everything it sets off: the pane reads slot 8 from the asset file,
        // decodes and shows it, and the window repaints.
        window.document->ShowPictures();
        QApplication::processEvents();
        const auto end = Clock::now();
        decodeTotal += Seconds(start - decodeStart);
        totalTotal += Seconds(end - start);
        state.SetIterationTime(Seconds(end - start));
    }
    if (window.preview->findChild<QLabel*>("previewPicture")->pixmap().width() != 296) {
        state.SkipWithError("the picture was not shown");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rebuild_and_preview_ms"] = totalTotal / n * 1000;
    state.counters["baseline_decode_ms"] = decodeTotal / n * 1000;
    state.counters["frame_share"] = totalTotal / n * 1000 / 16.0;
}
BENCHMARK(BM_PicturePreviewWithRebuild)
    ->Iterations(200)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_TrackInfo(benchmark::State& state) {
    PreviewWindow window;
    const std::vector<std::uint8_t> bytes = Element(u"Music", u"Love8");
    if (!window.ok() || !wz::ReadTrackInfo(bytes).ok()) {
        state.SkipWithError("no window or no track");
        return;
    }
    double checkTotal = 0;
    double readTotal = 0;
    double infoTotal = 0;
    for (auto _ : state) {
        const auto checkStart = Clock::now();
        benchmark::DoNotOptimize(wz::CheckMidiFile(bytes));
        const auto readStart = Clock::now();
        benchmark::DoNotOptimize(wz::ReadTrackInfo(bytes));
        const auto infoStart = Clock::now();
        window.preview->ShowTrackBytes(bytes);
        const auto end = Clock::now();
        checkTotal += Seconds(readStart - checkStart);
        readTotal += Seconds(infoStart - readStart);
        infoTotal += Seconds(end - infoStart);
        state.SetIterationTime(Seconds(end - infoStart));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["track_kib"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters["info_ms"] = infoTotal / n * 1000;
    state.counters["read_info_alone_ms"] = readTotal / n * 1000;
    state.counters["baseline_check_ms"] = checkTotal / n * 1000;
    state.counters["ratio"] = infoTotal / checkTotal;
}
BENCHMARK(BM_TrackInfo)->Iterations(500)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
