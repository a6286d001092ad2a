// `wzassets build` of the default file (generating all 46 elements, then writing them) against
// writing the same elements, generated beforehand, into a compound file, in turns within the
// same loop. Wall time, since the generation runs on every core.

#include "BuildCommand.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void BM_BuildAgainstWriteOnly(benchmark::State& state) {
    const fs::path dir =
        fs::temp_directory_path() / ("wz-bench-build-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::vector<wz::assets::BuiltElement> ready;
    std::vector<fs::path> ignored;
    std::string error;
    if (!wz::assets::CollectElements(std::nullopt, ready, ignored, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double buildSeconds = 0;
    double writeSeconds = 0;
    for (auto _ : state) {
        const double t0 = Now();
        std::vector<wz::assets::BuiltElement> elements;
        bool ok = wz::assets::CollectElements(std::nullopt, elements, ignored, error) &&
                  wz::assets::WriteAssetFile(dir / "built.stg", elements, error);
        const double t1 = Now();
        ok = ok && wz::assets::WriteAssetFile(dir / "written.stg", ready, error);
        const double t2 = Now();
        if (!ok) {
            state.SkipWithError(error.c_str());
            break;
        }
        buildSeconds += t1 - t0;
        writeSeconds += t2 - t1;
        state.SetIterationTime(t1 - t0);
    }
    state.counters["build_s"] = buildSeconds / static_cast<double>(state.iterations());
    state.counters["write_only_s"] = writeSeconds / static_cast<double>(state.iterations());
    state.counters["ratio"] = writeSeconds > 0 ? buildSeconds / writeSeconds : 0;
    state.counters["file_bytes"] = static_cast<double>(fs::file_size(dir / "built.stg"));
    fs::remove_all(dir);
}

BENCHMARK(BM_BuildAgainstWriteOnly)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
