// The credits and the high scores must read wherever they scroll over the generated title
// picture. The game's own title screen draws the real scroller over the decoded picture, paint
// by paint through a whole cycle; for every text row in view, the mean relative luminance of
// its glyph pixels is compared with that of the picture pixels under them, as a WCAG-style
// contrast ratio (L1 + 0.05) / (L2 + 0.05).

#include "Canvas.h"
#include "DefaultContent.h"
#include "JpegWriter.h"

#include <GameState.h>
#include <HighScores.h>
#include <LevelNames.h>
#include <Picture.h>
#include <ScreenLayout.h>
#include <Screens.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>

namespace {

struct NoPresenter : wz::FramePresenter {
    void PresentFrame(const wz::Picture&) override {}
};

std::unique_ptr<wz::Picture> Decode(const std::vector<std::uint8_t>& jpeg) {
    auto p = std::make_unique<wz::Picture>(jpeg.data(), static_cast<std::uint32_t>(jpeg.size()),
                                           nullptr);
    EXPECT_FALSE(p->IsEmpty());
    return p;
}

// sRGB relative luminance of each byte value after linearisation, per channel weight.
struct Luminance {
    std::array<double, 256> linear{};
    Luminance() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            linear[static_cast<std::size_t>(v)] =
                c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
    }
    // p points at a blue-green-red pixel.
    double Of(const std::uint8_t* p) const {
        return 0.0722 * linear[p[0]] + 0.7152 * linear[p[1]] + 0.2126 * linear[p[2]];
    }
};

const std::uint8_t* PixelAt(const wz::Picture& p, int x, int y) {
    return p.Pixels() + static_cast<std::size_t>(p.Height() - 1 - y) * p.Stride() +
           static_cast<std::size_t>(x) * 3;
}

struct Worst {
    double ratio = 1e9;
    int row = -1;
    int y = 0;
    double glyphs = 0;
    double picture = 0;
};

// Runs the scroller through one whole cycle over the title picture and returns the weakest
// contrast of any text row at any position. A second frame gets the same scroller over a
// black picture, where every non-black pixel is a glyph pixel.
Worst WeakestContrast(wz::GameState state) {
    const auto titleBytes =
        wz::content::MakeDefaultElement({wz::kImagesStorage, wz::kJacketPicture});
    const auto title = Decode(titleBytes);
    const auto tiles =
        Decode(wz::content::MakeDefaultElement({wz::kImagesStorage, wz::kTilesPicture}));
    const auto frame = Decode(titleBytes);
    const auto black =
        Decode(wz::content::EncodeJpeg(wz::content::Canvas(wz::kFrameWidth, wz::kFrameHeight), 100,
                                       wz::content::ChromaSampling::Full));
    const auto glyphFrame = Decode(titleBytes);
    for (const auto* p : {title.get(), tiles.get(), frame.get(), black.get(), glyphFrame.get()}) {
        if (p->IsEmpty()) {
            return {0};
        }
    }
    if (!std::all_of(black->Pixels(), black->Pixels() + black->PixelArraySize(),
                     [](std::uint8_t b) { return b == 0; })) {
        ADD_FAILURE() << "the black picture is not black";
        return {0};
    }
    NoPresenter presenter;
    const Luminance lum;

    state.playing = 0;
    state.scrollerOn = 1;
    state.scrollerOffset = wz::kScrollerBottom;
    wz::GameState glyphState = state;

    Worst worst;
    int paints = 0;
    do {
        const std::int32_t offset = state.scrollerOffset;
        wz::PaintTitleScreen(state, {frame.get(), title.get(), tiles.get()}, presenter);
        wz::PaintTitleScreen(glyphState, {glyphFrame.get(), black.get(), tiles.get()}, presenter);
        ++paints;
        for (int i = 0; i < wz::kCreditsRowCount; ++i) {
            const int y = offset + 16 * i;
            const auto& text = state.creditsLines[static_cast<std::size_t>(i)];
            if (y < 0 || y > wz::kScrollerBottom ||
                std::all_of(text.begin(), text.end() - 1, [](char c) { return c == ' '; })) {
                continue; // out of view, or a blank row
            }
            double glyphSum = 0, pictureSum = 0;
            int count = 0;
            for (int dy = 0; dy < 16; ++dy) {
                for (int x = 0; x < wz::kFrameWidth; ++x) {
                    const std::uint8_t* g = PixelAt(*glyphFrame, x, y + dy);
                    if (g[0] == 0 && g[1] == 0 && g[2] == 0) {
                        continue;
                    }
                    glyphSum += lum.Of(PixelAt(*frame, x, y + dy));
                    pictureSum += lum.Of(PixelAt(*title, x, y + dy));
                    ++count;
                }
            }
            EXPECT_GT(count, 0) << "row " << i << " drew no glyph";
            if (count == 0) {
                continue;
            }
            const double l1 = std::max(glyphSum, pictureSum) / count;
            const double l2 = std::min(glyphSum, pictureSum) / count;
            const double ratio = (l1 + 0.05) / (l2 + 0.05);
            if (ratio < worst.ratio) {
                worst = {ratio, i, y, glyphSum / count, pictureSum / count};
            }
        }
    } while (state.scrollerOffset != wz::kScrollerBottom && paints < 5000);
    EXPECT_EQ(paints, 2017) << "one whole cycle";
    return worst;
}

TEST(TitleContrast, ScrollingTextReadsEverywhereOverTheTitlePicture) {
    // The table as at first start (every other line a placeholder), and a full table whose
    // names and scores fill every line.
    wz::GameState firstStart;
    wz::CopyHighScoreLinesToCredits(firstStart);
    wz::GameState fullTable = firstStart;
    const char* names[] = {"ANNA", "BORIS", "KATERINA", "MAX", "OLGA", "PIOTR", "SVETLANA", "IVAN"};
    for (int k = 0; k < wz::kHighScoreCount; ++k) {
        fullTable.pendingScore = 1000 + 9137 * k;
        wz::InsertHighScore(fullTable, names[k % 8]);
    }
    const struct {
        const char* name;
        const wz::GameState& state;
    } cases[] = {{"first_start", firstStart}, {"full_table", fullTable}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Worst worst = WeakestContrast(c.state);
        RecordProperty(std::string("weakest_contrast_") + c.name, std::to_string(worst.ratio));
        RecordProperty(std::string("weakest_row_") + c.name,
                       "row " + std::to_string(worst.row) + " at y " + std::to_string(worst.y));
        EXPECT_GE(worst.ratio, 3.0)
            << "row " << worst.row << " at y " << worst.y << ": glyph luminance " << worst.glyphs
            << ", picture luminance " << worst.picture;
    }
}

} // namespace
