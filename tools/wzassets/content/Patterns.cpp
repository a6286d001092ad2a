#include "SceneKit.h"
#include "Scenes.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace wz::content {

namespace {
constexpr float kPi = 3.14159265f;
}

void PaintPlasma(Canvas& c) {
    const Gradient palette{{0x0B1D51, 0x1F7A8C, 0x7FE3C5, 0xF7F4A8, 0xF28C6A, 0x8C2F7A}, true};
    Shade(c, [&](int x, int y) {
        float u = x / 40.0f;
        float v = y / 40.0f;
        float p = std::sin(u) + std::sin(v * 0.8f + 1) + std::sin((u + v) * 0.6f) +
                  std::sin(std::hypot(u - 3.5f, v - 5.0f) * 1.4f);
        Colour col = palette.At(p * 0.2f + 0.5f);
        // Fine contour lines give the soft fields some structure.
        float line = std::pow(std::fabs(std::sin(p * kPi * 2)), 24.0f);
        return Mix(col, {255, 255, 255}, line * 0.25f);
    });
}

void PaintStainedGlass(Canvas& c) {
    // Voronoi cells of a jittered grid; each cell a pane of glass lit from behind, with dark
    // lead between panes.
    Random r(140);
    struct Seed {
        float x, y;
        Colour colour;
    };
    std::vector<Seed> seeds;
    const Colour glass[] = {{200, 30, 50},  {30, 80, 200},  {240, 180, 30}, {40, 150, 80},
                            {120, 40, 160}, {30, 170, 200}, {230, 110, 30}};
    for (int gy = -1; gy < 17; ++gy) {
        for (int gx = -1; gx < 12; ++gx) {
            seeds.push_back({(gx + r.Unit()) * 28, (gy + r.Unit()) * 28, glass[r.Range(0, 6)]});
        }
    }
    Shade(c, [&](int x, int y) {
        float best = 1e9f, second = 1e9f;
        const Seed* nearest = &seeds[0];
        // Only the seeds of the neighbouring grid squares can be nearest.
        int gx = x / 28 + 1;
        int gy = y / 28 + 1;
        for (int j = std::max(0, gy - 2); j <= std::min(17, gy + 2); ++j) {
            for (int i = std::max(0, gx - 2); i <= std::min(12, gx + 2); ++i) {
                const Seed& s = seeds[static_cast<std::size_t>(j * 13 + i)];
                float d = std::hypot(x - s.x, y - s.y);
                if (d < best) {
                    second = best;
                    best = d;
                    nearest = &s;
                } else if (d < second) {
                    second = d;
                }
            }
        }
        float edge = second - best;
        if (edge < 2.5f) {
            return Colour{24, 20, 18};
        }
        // Light through the glass: brighter towards the centre of the window and the pane.
        float glow = 0.65f + 0.35f * std::exp(-std::pow((x - 148) / 140.0f, 2.0f) -
                                              std::pow((y - 180) / 200.0f, 2.0f));
        float texture = 0.9f + 0.2f * Fbm(x * 0.08f, y * 0.08f, 3, 141);
        Colour col =
            Scale(nearest->colour, glow * texture * (0.85f + 0.15f * std::min(edge / 10, 1.0f)));
        return Add(col, Scale({255, 255, 220}, 0.15f * std::exp(-best / 12)));
    });
}

void PaintKaleidoscope(Canvas& c) {
    // A twelve-fold mandala: the angle folds into one wedge, where noise and rings draw.
    const Gradient palette{{0x1A0B3B, 0x3D1E6D, 0xD14081, 0xF59E4C, 0xFDE8A8, 0x2EC4B6}, true};
    Shade(c, [&](int x, int y) {
        float dx = x - 148.0f;
        float dy = y - 216.0f;
        float radius = std::hypot(dx, dy);
        float angle = std::atan2(dy, dx);
        float wedge = kPi / 6;
        float a = std::fmod(angle + 4 * kPi, 2 * wedge);
        if (a > wedge) {
            a = 2 * wedge - a;
        }
        float u = radius * std::cos(a) * 0.03f;
        float v = radius * std::sin(a) * 0.03f;
        float n = Fbm(u, v, 4, 150);
        float rings = std::sin(radius * 0.12f - n * 6);
        Colour col = palette.At(n * 1.5f + radius * 0.004f);
        col = Mix(col, {255, 250, 230}, std::pow(std::max(0.0f, rings), 12.0f) * 0.6f);
        return Scale(col, 0.5f + 0.5f * std::exp(-radius / 260));
    });
}

void PaintOpArt(Canvas& c) {
    // Two sets of concentric rings whose interference draws moiré lobes.
    Shade(c, [&](int x, int y) {
        float d1 = std::hypot(x - 90.0f, y - 150.0f);
        float d2 = std::hypot(x - 210.0f, y - 290.0f);
        float w = std::sin(d1 * 0.35f) + std::sin(d2 * 0.35f);
        float t = std::clamp(w * 0.5f + 0.5f, 0.0f, 1.0f);
        float hue = 0.55f + 0.15f * std::sin((d1 - d2) * 0.02f);
        Colour dark = Hsv(hue, 0.8f, 0.25f);
        Colour light = Hsv(hue + 0.08f, 0.35f, 1.0f);
        return Mix(dark, light, t * t * (3 - 2 * t));
    });
    Vignette(c, 0.4f);
}

} // namespace wz::content
