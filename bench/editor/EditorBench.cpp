// Save of all 44 slots into a 20 MiB asset file, and the rebuild of the slot tree. Each is
// measured against a baseline taken in the same iterations: one plain copy of the asset file
// (and the same copy flushed to the disk, as a Save is), and filling a bare tree widget with
// the same 23 texts.

#include "AssetUpdate.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "CfbStorage.h"
#include "DefaultContent.h"

#include <QApplication>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct CountingSink : wz::MessageBoxSink {
    int done = 0;
    int other = 0;
    void ShowMessage(const wz::MessageBoxRequest& request) override {
        (request.icon == wz::MessageIcon::None ? done : other) += 1;
    }
    // The sources are patterns, not media: the benchmark saves them anyway.
    wz::MessageAnswer Ask(const wz::MessageBoxRequest&) override { return wz::MessageAnswer::Yes; }
};

std::vector<char> Bytes(std::size_t size, unsigned seed) {
    std::vector<char> bytes(size);
    unsigned x = seed * 2654435761u + 1;
    for (char& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 16);
    }
    return bytes;
}

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// A complete asset file of 46 streams that add up to about 20 MiB.
bool MakeAssetFile(const fs::path& file, std::size_t streamSize) {
    std::shared_ptr<cfb::Storage> root;
    if (cfb::OpenCompoundFile(file, cfb::kModeCreate | cfb::kModeReadWrite | cfb::kShareExclusive,
                              root) != 0) {
        return false;
    }
    const std::uint32_t mode = cfb::kModeReadWrite | cfb::kShareExclusive;
    unsigned seed = 1;
    for (const std::string dir : {"Images", "Sound", "Music"}) {
        std::vector<std::string> names;
        if (dir == "Sound") {
            names = {"Knock"};
        } else {
            for (int i = 1; i <= 20; ++i) {
                names.push_back("Love" + std::to_string(i));
            }
            names.push_back("Win");
            names.push_back("Titles");
            if (dir == "Images") {
                names.push_back("Jacket");
            }
        }
        std::shared_ptr<cfb::Storage> storage;
        if (root->CreateStorage(Wide(dir), mode, storage) != 0) {
            return false;
        }
        for (const std::string& name : names) {
            std::shared_ptr<cfb::Stream> stream;
            const std::vector<char> bytes = Bytes(streamSize, seed++);
            if (storage->CreateStream(Wide(name), mode, stream) != 0 ||
                stream->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), nullptr) !=
                    0) {
                return false;
            }
        }
    }
    return true;
}

// A Save reaches the disk before it reports success; the second baseline does the same.
void SyncFile(const fs::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

void BM_SaveAllSlots(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("wz_bench_editor_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::size_t streamSize = 20u * 1024 * 1024 / 46;
    const fs::path pristine = folder / "pristine.stg";
    if (!MakeAssetFile(pristine, streamSize)) {
        state.SkipWithError("cannot make the asset file");
        return;
    }
    std::vector<std::string> pictures;
    std::vector<std::string> music;
    for (int i = 0; i < 44; ++i) {
        const fs::path source = folder / ("source" + std::to_string(i));
        const std::vector<char> bytes = Bytes(streamSize, 1000 + i);
        std::ofstream(source, std::ios::binary).write(bytes.data(), bytes.size());
        (i < 22 ? pictures : music).push_back(source.string());
    }

    CountingSink sink;
    wz::AssetUpdate update(sink, folder);
    const fs::path asset = update.AssetPath();
    double saveTotal = 0;
    double copyTotal = 0;
    double durableCopyTotal = 0;
    for (auto _ : state) {
        fs::copy_file(pristine, asset, fs::copy_options::overwrite_existing);
        update.ShowPictures();
        update.DropFiles(0, pictures);
        update.ShowMusic();
        update.DropFiles(0, music);

        const auto copyStart = Clock::now();
        fs::copy_file(asset, folder / "copy.stg", fs::copy_options::overwrite_existing);
        const auto syncStart = Clock::now();
        SyncFile(folder / "copy.stg");
        const auto saveStart = Clock::now();
        update.SaveChanges();
        const auto end = Clock::now();
        copyTotal += Seconds(syncStart - copyStart);
        durableCopyTotal += Seconds(saveStart - copyStart);
        saveTotal += Seconds(end - saveStart);
        state.SetIterationTime(Seconds(end - saveStart));
    }
    if (sink.other != 0 || sink.done != static_cast<int>(state.iterations())) {
        state.SkipWithError("a Save failed");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["file_mib"] = static_cast<double>(fs::file_size(asset)) / (1024.0 * 1024.0);
    state.counters["save_ms"] = saveTotal / n * 1000;
    state.counters["baseline_copy_ms"] = copyTotal / n * 1000;
    state.counters["baseline_synced_copy_ms"] = durableCopyTotal / n * 1000;
    state.counters["ratio"] = saveTotal / copyTotal;
    state.counters["ratio_synced"] = saveTotal / durableCopyTotal;
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_SaveAllSlots)->Iterations(10)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_RebuildTree(benchmark::State& state) {
    CountingSink sink;
    CWZolvikCreatorDoc document(sink);
    CWZolvikCreatorView view(document, sink);
    view.resize(480, 580);
    view.show();
    // Every picture slot pending under a long path, dropped as the user drops them; they are
    // game pictures, so no slot carries a warning.
    const fs::path scratch =
        fs::temp_directory_path() / ("wz_bench_tree_" + std::to_string(::getpid()));
    const fs::path sources = scratch / "level backgrounds";
    fs::create_directories(sources);
    const std::vector<std::uint8_t> picture =
        wz::content::MakeDefaultElement({u"Images", u"Love1"});
    std::vector<std::string> files;
    for (int i = 0; i < wz::kSlotCount; ++i) {
        files.push_back((sources / std::to_string(i)).string());
        std::ofstream(files.back(), std::ios::binary)
            .write(reinterpret_cast<const char*>(picture.data()),
                   static_cast<std::streamsize>(picture.size()));
    }
    document.DropFiles(0, files);
    document.SelectSlot(7);
    const wz::SlotLists& lists = document.lists();
    QTreeWidget bare;
    bare.resize(480, 580);
    bare.show();
    QApplication::processEvents();

    double rebuildTotal = 0;
    double bareTotal = 0;
    for (auto _ : state) {
        const auto bareStart = Clock::now();
        bare.clear();
        auto* root = new QTreeWidgetItem(&bare, QStringList(QStringLiteral("Pictures")));
        for (int i = 0; i < wz::kSlotCount; ++i) {
            new QTreeWidgetItem(root, QStringList(QString::fromStdString(lists.pictureLabels[i])));
        }
        const auto rebuildStart = Clock::now();
        document.ShowPictures();
        const auto end = Clock::now();
        bareTotal += Seconds(rebuildStart - bareStart);
        rebuildTotal += Seconds(end - rebuildStart);
        state.SetIterationTime(Seconds(end - rebuildStart));
        QApplication::processEvents(); // the repaint the rebuild asked for
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["rebuild_ms"] = rebuildTotal / n * 1000;
    state.counters["baseline_bare_tree_ms"] = bareTotal / n * 1000;
    state.counters["ratio"] = rebuildTotal / bareTotal;
    std::error_code ec;
    fs::remove_all(scratch, ec);
}
BENCHMARK(BM_RebuildTree)->Iterations(200)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
