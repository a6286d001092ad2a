#include "TileSheetArt.h"

#include "PixelFont.h"
#include "TileSheet.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace wz::content {

namespace {

using tilesheet::TileRect;

// Glyph strokes run from pale gold to amber with a dark rust border: bright enough on the
// frame's darkest backgrounds, framed on its lightest. The border stays above the key in its
// red channel, so it is drawn, not keyed out.
TextStyle GlyphStyle() {
    return OutlinedStyle(2, {255, 248, 196}, {255, 168, 36}, {120, 52, 8});
}

TextStyle LabelStyle() {
    TextStyle s = GlyphStyle();
    s.top = {214, 255, 255};
    s.bottom = {60, 190, 255};
    s.outlineColour = {16, 40, 128};
    return s;
}

// Base colours of the six cell kinds, and the mark each carries so that they differ by more
// than hue: players who cannot tell red from green still see a dot from stripes. Their
// brightness differs as well.
struct CellLook {
    Colour base;
    enum Mark { Dot, Stripes, Bars, Ring, Checker, Cross } mark;
};

constexpr CellLook kCellLooks[tilesheet::kCellColours] = {
    {{212, 40, 44}, CellLook::Dot},      // red
    {{52, 184, 64}, CellLook::Stripes},  // green
    {{40, 84, 220}, CellLook::Bars},     // blue
    {{246, 208, 40}, CellLook::Ring},    // yellow
    {{160, 60, 200}, CellLook::Checker}, // violet
    {{40, 200, 210}, CellLook::Cross},   // cyan
};

bool MarkAt(CellLook::Mark mark, int x, int y, int size) {
    // Coordinates relative to the inner face, which starts 3 pixels in from each edge.
    int inner = size - 6;
    int c = inner / 2;
    int dx = x - c;
    int dy = y - c;
    switch (mark) {
    case CellLook::Dot:
        return std::abs(dx * 2 + 1) <= inner / 2 && std::abs(dy * 2 + 1) <= inner / 2;
    case CellLook::Stripes:
        return ((x + y) / 2) % 2 == 0;
    case CellLook::Bars:
        return (y / 2) % 2 == 0;
    case CellLook::Ring: {
        float d = std::hypot(dx + 0.5f, dy + 0.5f);
        return d > inner * 0.22f && d < inner * 0.42f;
    }
    case CellLook::Checker:
        return ((x / 3) + (y / 3)) % 2 == 0;
    case CellLook::Cross:
        // A diagonal cross, three pixels thick.
        return std::abs(std::abs(dx * 2 + 1) - std::abs(dy * 2 + 1)) <= 2;
    }
    return false;
}

void DrawCell(Canvas& canvas, int ox, int oy, int colour, int size) {
    const CellLook& look = kCellLooks[(colour - 1) % tilesheet::kCellColours];
    const Colour light = Mix(look.base, {255, 255, 255}, 0.55f);
    const Colour dark = Scale(look.base, 0.45f);
    const Colour markColour = Mix(look.base, {255, 255, 255}, 0.4f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour c;
            // A bevel: lit from the top left, shaded at the bottom right, two pixels wide,
            // with a one-pixel dark rim so neighbouring cells stay apart.
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1) {
                c = Scale(look.base, 0.3f);
            } else if ((x <= 2 && y < size - x) || (y <= 2 && x < size - y)) {
                c = light;
            } else if (x >= size - 3 || y >= size - 3) {
                c = dark;
            } else {
                c = MarkAt(look.mark, x - 3, y - 3, size) ? markColour : look.base;
            }
            canvas.Set(ox + x, oy + y, c);
        }
    }
}

void DrawPanel(Canvas& canvas, const TileRect& r) {
    const Colour border{255, 214, 64};
    const Colour top{40, 52, 150};
    const Colour bottom{24, 28, 96};
    const float radius = 10;
    const float w = static_cast<float>(r.w);
    const float h = static_cast<float>(r.h);
    for (int y = 0; y < static_cast<int>(r.h); ++y) {
        for (int x = 0; x < static_cast<int>(r.w); ++x) {
            // Distance outside the rounded rectangle, negative inside.
            float qx = std::max(std::fabs(x + 0.5f - w / 2.0f) - (w / 2.0f - radius), 0.0f);
            float qy = std::max(std::fabs(y + 0.5f - h / 2.0f) - (h / 2.0f - radius), 0.0f);
            float d = std::hypot(qx, qy) - radius;
            if (d > 0) {
                continue; // stays black, so it is keyed out
            }
            Colour body = Mix(top, bottom, y / h);
            canvas.Set(static_cast<int>(r.x) + x, static_cast<int>(r.y) + y,
                       d > -3   ? border
                       : d > -5 ? Scale(border, 0.5f)
                                : body);
        }
    }
}

void DrawTextIn(Canvas& canvas, const TileRect& r, int y, std::string_view text,
                const TextStyle& style) {
    int w = TextWidth(text, style.scale);
    DrawText(canvas, static_cast<int>(r.x) + (static_cast<int>(r.w) - w) / 2,
             static_cast<int>(r.y) + y, text, style);
}

void DrawLabel(Canvas& canvas, const TileRect& r, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        DrawText(canvas, static_cast<int>(r.x + i * tilesheet::kGlyphSize) + 3,
                 static_cast<int>(r.y) + 1, text.substr(i, 1), LabelStyle());
    }
}

} // namespace

Canvas MakeCellTile(int colour, int size) {
    Canvas cell(size, size);
    DrawCell(cell, 0, 0, colour, size);
    return cell;
}

Canvas MakeTileSheet() {
    Canvas sheet(kTileSheetWidth, kTileSheetHeight);
    // A 10 × 14 glyph in a 16 × 16 cell, with its one-pixel border inside the cell too.
    for (const char* p = kSheetGlyphs; *p != 0; ++p) {
        TileRect r = *tilesheet::Glyph(*p);
        DrawText(sheet, static_cast<int>(r.x) + 3, static_cast<int>(r.y) + 1,
                 std::string_view(p, 1), GlyphStyle());
    }
    DrawLabel(sheet, tilesheet::kSpeedLabel, "SPEED");
    DrawLabel(sheet, tilesheet::kScoreLabel, "SCORE");
    for (int k = 1; k <= tilesheet::kCellColours; ++k) {
        TileRect r = tilesheet::Cell(k);
        DrawCell(sheet, static_cast<int>(r.x), static_cast<int>(r.y), k,
                 static_cast<int>(tilesheet::kCellSize));
    }

    TextStyle big;
    big.scale = 4;
    big.top = {255, 255, 255};
    big.bottom = {255, 196, 64};
    big.shadow = 2;
    big.shadowColour = {8, 8, 40};
    TextStyle small;
    small.scale = 2;
    small.top = {200, 230, 255};
    small.bottom = {140, 190, 255};

    DrawPanel(sheet, tilesheet::kGameOverPanel);
    DrawTextIn(sheet, tilesheet::kGameOverPanel, 18, "GAME", big);
    DrawTextIn(sheet, tilesheet::kGameOverPanel, 54, "OVER", big);
    DrawTextIn(sheet, tilesheet::kGameOverPanel, 100, "PRESS SPACE", small);

    TextStyle pause = big;
    pause.scale = 3;
    DrawPanel(sheet, tilesheet::kPausePanel);
    DrawTextIn(sheet, tilesheet::kPausePanel, 11, "PAUSED", pause);
    DrawTextIn(sheet, tilesheet::kPausePanel, 40, "PRESS P", small);
    return sheet;
}

} // namespace wz::content
