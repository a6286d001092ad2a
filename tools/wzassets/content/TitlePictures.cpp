#include "Pictures.h"
#include "PixelFont.h"
#include "SceneKit.h"
#include "TileSheetArt.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

namespace {

// The seven pieces as four cells each, in a 4 × 2 box.
constexpr int kPieces[7][4][2] = {
    {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}},
    {{0, 0}, {1, 0}, {2, 0}, {1, 1}}, {{1, 0}, {2, 0}, {0, 1}, {1, 1}},
    {{0, 0}, {1, 0}, {1, 1}, {2, 1}}, {{0, 0}, {1, 0}, {2, 0}, {0, 1}},
    {{0, 0}, {1, 0}, {2, 0}, {2, 1}},
};

// Draws a piece of cell tiles; alpha below 1 pushes it back into the haze.
void DrawPiece(Canvas& canvas, int piece, int colour, int x, int y, int cell, float alpha) {
    Canvas tile = MakeCellTile(colour, cell);
    for (const auto& p : kPieces[piece % 7]) {
        for (int j = 0; j < cell; ++j) {
            for (int i = 0; i < cell; ++i) {
                canvas.Blend(x + p[0] * cell + i, y + p[1] * cell + j, tile.GetColour(i, j), alpha);
            }
        }
    }
}

TextStyle TitleStyle(int scale) {
    TextStyle s = OutlinedStyle(scale, {255, 250, 210}, {255, 150, 30}, {90, 20, 10});
    s.shadow = scale;
    s.shadowColour = {0, 0, 0};
    s.shadowAlpha = 0.55f;
    return s;
}

// The game's name in blue letters, paler at the top, on the night sky. They stay dark enough
// for the gold credits scrolling over them to keep their contrast, and cool, so that the two
// never blend into each other.
TextStyle LogoStyle() {
    return OutlinedStyle(5, {110, 140, 255}, {64, 48, 200}, {4, 4, 16});
}

TextStyle SubtitleStyle() {
    TextStyle s;
    s.scale = 2;
    s.top = {80, 96, 150};
    s.bottom = {60, 70, 120};
    return s;
}

// The title's backdrop: a dark night field with a faint haze of colour and ghostly pieces
// falling through it. Everything stays dim, since the credits and the high scores scroll over
// the whole picture.
void PaintTitleBackdrop(Canvas& c, std::uint32_t seed, int pieces) {
    Shade(c, [&](int x, int y) {
        float n = Fbm(x * 0.008f, y * 0.008f, 5, seed);
        Colour base = Mix({3, 4, 14}, {10, 5, 24}, static_cast<float>(y) / c.Height());
        return Add(base, Scale({40, 24, 96}, std::pow(n, 2.0f)));
    });
    Random r(seed);
    Stars(c, r, c.Width() * c.Height() / 400, c.Height(), 0.5f);
    for (int i = 0; i < pieces; ++i) {
        int cell = r.Range(10, 20);
        float alpha = 0.1f + 0.12f * (cell - 10) / 10.0f;
        DrawPiece(c, r.Range(0, 6), r.Range(1, 6), r.Range(-20, c.Width() - 20),
                  r.Range(-10, c.Height() - 20), cell, alpha);
    }
}

} // namespace

Canvas MakeJacketPicture() {
    Canvas c(kFrameWidth, kFrameHeight);
    PaintTitleBackdrop(c, 200, 14);
    // A well filling up at the bottom: rows of settled cells with a few holes, in shadow.
    Random r(201);
    const int cell = 24;
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 12; ++col) {
            if (r.Chance(0.15f + row * 0.12f)) {
                continue;
            }
            Canvas tile = MakeCellTile(r.Range(1, 6), cell - 4);
            const int x0 = 4 + col * cell;
            const int y0 = c.Height() - (row + 1) * cell + 2;
            for (int y = 0; y < tile.Height(); ++y) {
                for (int x = 0; x < tile.Width(); ++x) {
                    c.Blend(x0 + x, y0 + y, tile.GetColour(x, y), 0.3f);
                }
            }
        }
    }
    AddGlow(c, 148, 122, 80, {40, 20, 90}, 0.35f);
    DrawTextCentred(c, 104, "WinZolvik", LogoStyle());
    DrawTextCentred(c, 160, "A FALLING BLOCK GAME", SubtitleStyle());
    return c;
}

Canvas MakeWinPicture() {
    Canvas c(kFrameWidth, kFrameHeight);
    const float cx = 148, cy = 190;
    // Rays of gold and amber turning around the centre.
    Shade(c, [&](int x, int y) {
        float a = std::atan2(y - cy, x - cx);
        float d = std::hypot(x - cx, y - cy);
        float ray = 0.5f + 0.5f * std::sin(a * 16);
        Colour col = Mix({150, 50, 10}, {255, 190, 50}, ray * ray);
        return Mix({255, 240, 190}, Scale(col, 0.6f + 0.4f * std::exp(-d / 300)),
                   std::clamp(d / 60, 0.0f, 1.0f));
    });
    Vignette(c, 0.5f);
    // Confetti in the six cell colours.
    Random r(210);
    const Colour confetti[] = {{230, 50, 60},  {60, 200, 80},  {60, 110, 240},
                               {250, 220, 60}, {180, 80, 220}, {60, 210, 220}};
    for (int i = 0; i < 260; ++i) {
        float x = r.Unit() * c.Width();
        float y = r.Unit() * c.Height();
        float angle = r.Unit() * 3.14159f;
        Colour col = confetti[r.Range(0, 5)];
        for (int k = -3; k <= 3; ++k) {
            c.FillDisc(x + k * std::cos(angle), y + k * std::sin(angle), 1.3f, col);
        }
    }
    DrawTextCentred(c, 60, "CONGRATULATIONS", TitleStyle(2));
    DrawTextCentred(c, 172, "YOU WIN!", TitleStyle(5));
    DrawTextCentred(c, 300, "ALL 20 LEVELS", TitleStyle(2));
    DrawTextCentred(c, 324, "COMPLETE", TitleStyle(2));
    return c;
}

} // namespace wz::content
