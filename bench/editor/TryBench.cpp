// Try in Game against what an author had to do before it: Save, then start the game. Each
// side is timed on the wall clock (Save waits for the disk) from the command to the game's
// first painted frame, in turns inside one loop, on a fresh copy of the default asset file with
// two pending pictures, on levels 12 and 13. The game runs in this process, as a started game
// would run it; starting its process costs both sides the same and is left out.
//
// Arg: the level the tried game starts at (12, as from picture slot 12), or 0 for the title
// screen (as from the jacket), which is where the game's own start shows after a Save.

#include "AssetUpdate.h"
#include "CompoundStorage.h"
#include "GameDialogs.h"
#include "GameProgram.h"
#include "LevelNames.h"
#include "PairedTiming.h"
#include "TempFiles.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const fs::path kAssetFile = WZ_BINARY_DIR "/WinData.stg";

struct Quiet : wz::MessageBoxSink {
    int failures = 0;
    void ShowMessage(const wz::MessageBoxRequest& request) override {
        failures += request.icon == wz::MessageIcon::None ? 0 : 1;
    }
};

// Starts the game on the file at the level and returns once its first frame is painted.
bool GameToFirstFrame(const fs::path& folder, const fs::path& file, int level) {
    Quiet quiet;
    wz::NoDialogs dialogs;
    wz::GameProgramSetup setup;
    setup.assetFile = file;
    setup.settingsFile = folder / "WinZolvik.cfg";
    setup.startLevel = level;
    wz::GameProgram program(quiet, dialogs, setup);
    if (!program.Start()) {
        return false;
    }
    while (program.Window()->Frame().PresentCount() == 0) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    program.Window()->close();
    program.Finish(0);
    QApplication::processEvents();
    return quiet.failures == 0;
}

// Two of the default file's own pictures, as files an author drops on slots 12 and 13.
std::vector<std::string> NewPictures(const fs::path& folder) {
    std::vector<std::string> files;
    wz::CompoundStorage file;
    if (!file.Open(kAssetFile, true, false) || !file.OpenStorage(wz::kImagesStorage, true)) {
        return files;
    }
    for (const char16_t* name : {u"Love1", u"Love2"}) {
        std::vector<std::uint8_t> bytes;
        if (!file.ReadWholeStream(name, bytes)) {
            return {};
        }
        const fs::path picture = folder / ("new" + std::to_string(files.size()) + ".jpg");
        std::ofstream(picture, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        files.push_back(picture.string());
    }
    return files;
}

void BM_TryInGameAgainstSaveAndStart(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    if (!fs::exists(kAssetFile)) {
        state.SkipWithError("no default asset file");
        return;
    }
    static const fs::path base = fs::temp_directory_path();
    const fs::path folder = base / "wz-bench-try";
    fs::remove_all(folder);
    fs::create_directories(folder / "tmp");
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    const std::vector<std::string> pictures = NewPictures(folder);
    if (pictures.size() != 2) {
        state.SkipWithError("the default file's pictures cannot be read");
        return;
    }
    const fs::path asset = folder / "WinData.stg";
    double trySeconds = 0;
    double saveSeconds = 0;
    double packOnly = 0; // the editor's part of each side
    double saveOnly = 0;
    for (auto _ : state) {
        fs::copy_file(kAssetFile, asset, fs::copy_options::overwrite_existing);
        Quiet quiet;
        wz::AssetUpdate update(quiet, folder);
        update.InitialUpdate();
        update.DropFiles(11, pictures);

        const auto t0 = Clock::now();
        const std::string pack = update.WriteTryPack();
        const auto packed = Clock::now();
        const bool tried = !pack.empty() && GameToFirstFrame(folder, pack, level);
        const auto t1 = Clock::now();
        wz::RemoveFile(pack);

        const auto t2 = Clock::now();
        update.SaveChanges();
        const auto savedAt = Clock::now();
        const bool saved = GameToFirstFrame(folder, asset, 0);
        const auto t3 = Clock::now();
        if (!tried || !saved || quiet.failures != 0) {
            state.SkipWithError("a Try or a Save failed");
            return;
        }
        const double tryTime = std::chrono::duration<double>(t1 - t0).count();
        trySeconds += tryTime;
        saveSeconds += std::chrono::duration<double>(t3 - t2).count();
        packOnly += std::chrono::duration<double>(packed - t0).count();
        saveOnly += std::chrono::duration<double>(savedAt - t2).count();
        state.SetIterationTime(tryTime);
    }
    wz::bench::ReportPairMs(state, "try", trySeconds, "save_and_start", saveSeconds);
    const auto n = static_cast<double>(state.iterations());
    state.counters["pack_ms"] = packOnly / n * 1e3;
    state.counters["save_ms"] = saveOnly / n * 1e3;
    ::setenv("TMPDIR", base.c_str(), 1);
    fs::remove_all(folder);
}
BENCHMARK(BM_TryInGameAgainstSaveAndStart)
    ->Arg(12)
    ->Arg(0)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(20)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

} // namespace

// The game's window needs an application; offscreen and silent unless chosen otherwise.
int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
