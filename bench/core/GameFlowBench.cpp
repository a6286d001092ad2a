// Complete random games through the game flow: random key presses and fall ticks, with the
// confirming key where a level or a game ends, until each game is over. The baseline, measured
// in the same run, plays the same random event stream on the bare Board (every key a move,
// every tick a StepDown), so the ratio is what the flow's bookkeeping costs on top of the
// rules themselves.

#include "GameFlow.h"
#include "VirtualKeys.h"

#include <benchmark/benchmark.h>

#include <ctime>

namespace wz {
namespace {

constexpr int kGamesPerIteration = 20;

class NullHost : public GameHost {
public:
    void ShowMessage(const MessageBoxRequest&) override {}
    void Repaint() override { ++repaints; }
    std::int32_t SetTimer(std::int32_t id, std::int32_t) override { return id; }
    void KillTimer(std::int32_t) override {}
    void PostCommand(std::uint32_t command) override { posted = command; }
    void SetMenuCheck(std::uint32_t, bool) override {}
    void CloseWindow() override {}
    bool RunSpeedDialog() override { return false; }
    void RunHighScoreDialog() override {}
    void RunControlKeysDialog() override {}
    void RunAboutDialog() override {}
    std::uint32_t TimeInSeconds() override { return ++seconds; }

    std::uint32_t posted = 0;
    std::uint32_t seconds = 0;
    long repaints = 0;
};

class NullServices : public GameServices {
public:
    void LoadBackgroundPicture(std::u16string_view) override {}
    void ExtractMusicTrack(std::u16string_view) override {}
    void StartMusic() override {}
    void CloseMusic() override {}
    void PlayKnock() override {}
    bool SaveSettings() override { return true; }
};

// The random event of a step: one of the five default game keys, or a fall tick (as likely as
// all keys together, about what a player's hands and the timer deliver).
enum class Event { Left, Right, Rotate, Down, Drop, Tick };

Event NextEvent(RandomGenerator& random) {
    const int value = random.Next() % 10;
    return value < 5 ? static_cast<Event>(value) : Event::Tick;
}

std::uint32_t KeyOf(Event event) {
    switch (event) {
    case Event::Left:
        return VK_LEFT;
    case Event::Right:
        return VK_RIGHT;
    case Event::Rotate:
        return VK_SPACE;
    case Event::Down:
        return VK_UP;
    case Event::Drop:
        return VK_DOWN;
    case Event::Tick:
        break;
    }
    return 0;
}

struct FlowPlayer {
    GameState state;
    NullHost host;
    NullServices services;
    GameFlow flow{state, host, services};
    RandomGenerator random;

    FlowPlayer() {
        flow.ApplyStartupDefaults();
        flow.EnterTitleAtStartup();
    }

    void Key(std::uint32_t key) {
        flow.OnKeyDown(key);
        if (host.posted) {
            const std::uint32_t command = host.posted;
            host.posted = 0;
            flow.OnCommand(command);
        }
    }

    // Plays whole games from the title and back; returns the events delivered.
    long PlayGames(int games) {
        long events = 0;
        for (int game = 0; game < games; ++game) {
            Key(VK_SPACE);
            ++events;
            while (!state.board.gameOver) {
                if (state.levelComplete) {
                    Key(VK_SPACE);
                } else if (const Event event = NextEvent(random); event == Event::Tick) {
                    flow.OnTimer(state.fallTimer);
                } else {
                    Key(KeyOf(event));
                }
                ++events;
            }
            Key(VK_SPACE); // back to the title
            ++events;
        }
        return events;
    }
};

struct BoardPlayer {
    Board board;
    RandomGenerator random;
    std::uint32_t seconds = 0;

    long PlayGames(int games) {
        long events = 0;
        for (int game = 0; game < games; ++game) {
            board.Reset(++seconds);
            ++events;
            while (!board.gameOver) {
                switch (NextEvent(random)) {
                case Event::Left:
                    board.MoveLeft();
                    break;
                case Event::Right:
                    board.MoveRight();
                    break;
                case Event::Rotate:
                    board.Rotate();
                    break;
                case Event::Down:
                case Event::Tick:
                    board.StepDown();
                    break;
                case Event::Drop:
                    board.Drop();
                    break;
                }
                ++events;
            }
            ++events;
        }
        return events;
    }
};

// Processor time, so that other work on the machine does not count against either side.
double CpuNanoseconds() {
    return 1e9 * static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Nanoseconds per event of the bare board, over at least a fifth of a second.
double BoardNanosecondsPerEvent() {
    BoardPlayer player;
    const double start = CpuNanoseconds();
    long events = 0;
    double elapsed = 0;
    do {
        events += player.PlayGames(kGamesPerIteration);
        benchmark::DoNotOptimize(player.board.cells);
        elapsed = CpuNanoseconds() - start;
    } while (elapsed < 2e8);
    return elapsed / events;
}

void BM_RandomGamesThroughFlow(benchmark::State& state) {
    const double baseline = BoardNanosecondsPerEvent();
    FlowPlayer player;
    long events = 0;
    const double start = CpuNanoseconds();
    for (auto _ : state) {
        events += player.PlayGames(kGamesPerIteration);
        benchmark::DoNotOptimize(player.state.board.cells);
    }
    const double flowNs = (CpuNanoseconds() - start) / events;
    state.SetItemsProcessed(events);
    state.counters["events_per_game"] =
        static_cast<double>(events) / (state.iterations() * kGamesPerIteration);
    state.counters["board_only_ns"] = baseline;
    state.counters["flow_ns"] = flowNs;
    // How many times the cost of the same events on the bare board.
    state.counters["ratio_vs_board"] = flowNs / baseline;
}
BENCHMARK(BM_RandomGamesThroughFlow)->Unit(benchmark::kMillisecond);

void BM_BoardOnlyBaseline(benchmark::State& state) {
    BoardPlayer player;
    long events = 0;
    for (auto _ : state) {
        events += player.PlayGames(kGamesPerIteration);
        benchmark::DoNotOptimize(player.board.cells);
    }
    state.SetItemsProcessed(events);
}
BENCHMARK(BM_BoardOnlyBaseline)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace wz

BENCHMARK_MAIN();
