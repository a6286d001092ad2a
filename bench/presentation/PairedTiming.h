#pragma once

// Times a subject and its baseline in turns inside one benchmark loop, so that both see the
// same machine state, and reports both times and their ratio as counters.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <string>

namespace wz::bench {

// Processor time of this thread: the machine is shared, and a wall clock would charge
// whichever side happened to be preempted.
inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Time as the user waits it, for what runs partly outside this thread (painting, disk writes).
inline double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The clock a paired run reads and the unit its counters are given in.
struct PairedClock {
    double (*now)() = ThreadSeconds;
    const char* suffix = "_us";
    double perSecond = 1e6;
};

inline constexpr PairedClock kWallMilliseconds{WallSeconds, "_ms", 1e3};

// Sets the two totals' means per iteration, in milliseconds, and their ratio as counters.
inline void ReportPairMs(benchmark::State& state, const std::string& subjectName,
                         double subjectSeconds, const std::string& baselineName,
                         double baselineSeconds, const std::string& ratioName = "ratio") {
    const auto n = static_cast<double>(state.iterations());
    state.counters[subjectName + "_ms"] = subjectSeconds / n * 1e3;
    state.counters[baselineName + "_ms"] = baselineSeconds / n * 1e3;
    state.counters[ratioName] = subjectSeconds / baselineSeconds;
}

// Runs subject() and baseline() once per iteration; the iteration time is the subject's.
// Either returns false to stop the run with an error (the first error message set stays).
template <typename Subject, typename Baseline>
void RunPaired(benchmark::State& state, const std::string& subjectName,
               const std::string& baselineName, Subject subject, Baseline baseline,
               PairedClock clock = {}) {
    double subjectSeconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        const double t0 = clock.now();
        const bool subjectOk = subject();
        benchmark::ClobberMemory();
        const double t1 = clock.now();
        const bool baselineOk = baseline();
        benchmark::ClobberMemory();
        const double t2 = clock.now();
        if (!subjectOk || !baselineOk) {
            state.SkipWithError("a measured call failed");
            return;
        }
        subjectSeconds += t1 - t0;
        baselineSeconds += t2 - t1;
        state.SetIterationTime(t1 - t0);
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters[subjectName + clock.suffix] = subjectSeconds / n * clock.perSecond;
    state.counters[baselineName + clock.suffix] = baselineSeconds / n * clock.perSecond;
    state.counters["ratio"] = subjectSeconds / baselineSeconds;
}

} // namespace wz::bench
