// Composing the full play screen against one plain memcpy of the frame: once with the drawing
// operations called in the screen's order, once through the game's own PaintPlayScreen.

#include "PairedTiming.h"

#include <PictureSamples.h>
#include <Screens.h>

#include <GameState.h>

#include <cstring>
#include <vector>

namespace {

struct Pictures {
    std::vector<std::uint8_t> frameJpeg =
        wz::test::EncodeJpeg(296, 432, wz::test::BackgroundColour);
    std::vector<std::uint8_t> sheetJpeg =
        wz::test::EncodeJpeg(160, 336, wz::test::GameLikeSheetColour);
    wz::Picture frame{frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr};
    wz::Picture background{frameJpeg.data(), static_cast<std::uint32_t>(frameJpeg.size()), nullptr};
    wz::Picture tiles{sheetJpeg.data(), static_cast<std::uint32_t>(sheetJpeg.size()), nullptr};
    std::vector<std::uint8_t> plain = std::vector<std::uint8_t>(frame.PixelArraySize());

    bool CopyPlain() {
        std::memcpy(plain.data(), background.Pixels(), plain.size());
        benchmark::DoNotOptimize(plain.data());
        return true;
    }
};

void BM_PlayScreenAgainstMemcpy(benchmark::State& state) {
    Pictures p;
    const wz::test::WellCells cells = wz::test::FullWell();
    wz::bench::RunPaired(
        state, "compose", "memcpy",
        [&] {
            wz::test::ComposePlayScreen(p.frame, p.background, p.tiles, 98765, 20, cells, true);
            benchmark::DoNotOptimize(p.frame.Pixels());
            return !p.frame.IsEmpty() && !p.tiles.IsEmpty();
        },
        [&] { return p.CopyPlain(); });
}
BENCHMARK(BM_PlayScreenAgainstMemcpy)->UseManualTime()->MinTime(2.0);

struct NoPresenter : wz::FramePresenter {
    void PresentFrame(const wz::Picture& frame) override { benchmark::DoNotOptimize(&frame); }
};

void BM_PaintPlayScreenAgainstMemcpy(benchmark::State& state) {
    Pictures p;
    wz::GameState game;
    game.playing = 1;
    game.speed = 9;
    game.board.level = 11;
    game.board.score = 98765;
    game.board.gameOver = 1;
    const wz::test::WellCells cells = wz::test::FullWell();
    for (int r = 0; r < 18; ++r)
        for (int c = 1; c <= 12; ++c)
            game.board.cells[r][c] = cells[r][c - 1];
    const wz::ScreenPictures pictures{&p.frame, &p.background, &p.tiles};
    NoPresenter presenter;
    wz::bench::RunPaired(
        state, "paint", "memcpy",
        [&] {
            wz::PaintPlayScreen(game, pictures, presenter);
            return !p.frame.IsEmpty() && !p.tiles.IsEmpty();
        },
        [&] { return p.CopyPlain(); });
}
BENCHMARK(BM_PaintPlayScreenAgainstMemcpy)->UseManualTime()->MinTime(2.0);

} // namespace

BENCHMARK_MAIN();
