#include "SceneKit.h"
#include "Scenes.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

void PaintNightCity(Canvas& c) {
    const int waterline = 330;
    Sky(c, Gradient{0x0B0820, 0x24154A, 0x5A2A6E, 0xC0507A, 0xF08A6A}, waterline);
    Random r(100);
    Stars(c, r, 160, 160, 0.7f);
    AddGlow(c, 70, 70, 28, {255, 220, 200}, 0.5f);
    c.FillDisc(70, 70, 13, {255, 236, 220});
    // Two rows of towers, the far row hazier; lit windows in a grid.
    for (int row = 0; row < 2; ++row) {
        Colour body = row == 0 ? Colour{58, 40, 88} : Colour{22, 16, 40};
        int x = -r.Range(0, 10);
        while (x < c.Width()) {
            int w = r.Range(16, 34);
            int top = waterline - (row == 0 ? r.Range(90, 200) : r.Range(40, 150));
            c.FillRect(x, top, w - 2, waterline - top, body);
            if (r.Chance(0.3f)) {
                c.FillRect(x + w / 2 - 2, top - 14, 2, 14, body);
                // The light sits on the mast's whole-pixel column.
                // NOLINTNEXTLINE(bugprone-integer-division)
                c.FillDisc(x + w / 2 - 1.0f, top - 15.0f, 1.5f, {255, 60, 60});
            }
            for (int wy = top + 5; wy < waterline - 4; wy += 6) {
                for (int wx = x + 3; wx < x + w - 5; wx += 5) {
                    if (r.Chance(row == 0 ? 0.25f : 0.45f)) {
                        Colour lamp =
                            r.Chance(0.8f) ? Colour{255, 214, 120} : Colour{150, 220, 255};
                        c.FillRect(wx, wy, 2, 3, Scale(lamp, 0.6f + 0.4f * row));
                    }
                }
            }
            x += w;
        }
    }
    // The river mirrors the city in broken horizontal streaks.
    for (int y = waterline; y < c.Height(); ++y) {
        float depth = (y - waterline) / static_cast<float>(c.Height() - waterline);
        for (int x = 0; x < c.Width(); ++x) {
            int shift = static_cast<int>(std::sin(y * 0.7f + Fbm(x * 0.03f, y * 0.2f, 2, 101) * 5) *
                                         (2 + depth * 6));
            int mirror = std::clamp(2 * waterline - y - 1, 0, waterline - 1);
            Colour m = c.GetColour(std::clamp(x + shift, 0, c.Width() - 1), mirror);
            c.Set(x, y, Mix(Scale(m, 0.7f), {10, 8, 30}, 0.2f + depth * 0.5f));
        }
    }
    Vignette(c, 0.3f);
}

void PaintUnderwater(Canvas& c) {
    Sky(c, Gradient{0x5FD3E8, 0x1A8FB8, 0x0A4E86, 0x06234A, 0x030F26}, c.Height());
    // Light shafts from the surface, fanning out downwards.
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float angle = (x - 150.0f) / (y + 120.0f);
            float shaft =
                std::pow(std::max(0.0f, std::sin(angle * 9 + 1.0f) * std::sin(angle * 23)), 3.0f);
            float k = shaft * 0.35f * std::exp(-y / 260.0f);
            c.Set(x, y, Add(c.GetColour(x, y), Scale({200, 255, 255}, k)));
        }
    }
    // Caustic ripples near the surface.
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = RidgedFbm(x * 0.04f, y * 0.08f, 3, 111);
            c.Blend(x, y, {230, 255, 255},
                    std::clamp((n - 0.7f) * 3, 0.0f, 0.6f) * (1 - y / 60.0f));
        }
    }
    // Sea floor and swaying weeds.
    auto floor = Ridge(c.Width(), 420, 30, 0.02f, 112);
    FillBelow(c, floor, {160, 140, 90}, {60, 50, 40}, 40);
    Random r(113);
    for (int i = 0; i < 26; ++i) {
        float x0 = r.Unit() * kFrameWidth;
        float height = 60 + r.Unit() * 130;
        float phase = r.Unit() * 6;
        Colour weed = Mix({30, 140, 70}, {120, 170, 40}, r.Unit());
        for (int s = 0; s < static_cast<int>(height); ++s) {
            float y = 430 - s;
            float x = x0 + std::sin(s * 0.05f + phase) * s * 0.12f;
            float w = 2.5f * (1 - s / height) + 0.6f;
            c.FillDisc(x, y, w, weed, 0.9f);
        }
    }
    // A shoal of small fish, all heading the same way.
    for (int i = 0; i < 22; ++i) {
        float fx = 60 + r.Unit() * 170;
        float fy = 150 + r.Unit() * 120 + std::sin(fx * 0.05f) * 10;
        Colour fish = Mix({255, 160, 60}, {255, 220, 120}, r.Unit());
        for (int k = 0; k < 8; ++k) {
            c.FillDisc(fx + k, fy, 2.6f * std::sin((k + 0.5f) / 8 * 3.14159f) + 0.3f, fish);
        }
        c.FillDisc(fx - 2, fy - 1.5f, 1.4f, fish);
        c.FillDisc(fx - 2, fy + 1.5f, 1.4f, fish);
        c.FillDisc(fx + 6, fy - 0.5f, 0.7f, {20, 20, 30});
    }
    // Rising bubbles.
    for (int i = 0; i < 70; ++i) {
        float x = r.Unit() * kFrameWidth;
        float y = r.Unit() * 400;
        float size = 1 + r.Unit() * 3;
        c.FillDisc(x, y, size, {210, 250, 255}, 0.35f);
        c.FillDisc(x - size * 0.3f, y - size * 0.3f, size * 0.35f, {255, 255, 255}, 0.8f);
    }
    Grain(c, 4, 114);
}

} // namespace wz::content
