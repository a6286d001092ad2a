#include "SceneKit.h"
#include "Scenes.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

namespace {

void DeepSpace(Canvas& c, std::uint32_t seed, Colour dust) {
    Shade(c, [&](int x, int y) {
        float n = Fbm(x * 0.006f, y * 0.006f, 5, seed);
        return Add({4, 4, 12}, Scale(dust, std::pow(n, 3.0f) * 1.2f));
    });
    Random r(seed);
    Stars(c, r, 700, c.Height(), 1.0f);
}

} // namespace

void PaintRingedPlanet(Canvas& c) {
    DeepSpace(c, 160, {60, 40, 120});
    const float px = 160, py = 230, pr = 88;
    const float tilt = -0.35f;
    auto ringAt = [&](float x, float y, float& radius) {
        // The ring plane, seen from slightly above: an ellipse flattened to a fifth.
        float dx = x - px;
        float dy = y - py;
        float rx = dx * std::cos(tilt) - dy * std::sin(tilt);
        float ry = (dx * std::sin(tilt) + dy * std::cos(tilt)) * 4.5f;
        radius = std::hypot(rx, ry);
        return ry;
    };
    auto ringColour = [&](float radius, Colour& col) {
        if (radius < pr * 1.3f || radius > pr * 2.1f) {
            return 0.0f;
        }
        float band = 0.5f + 0.5f * std::sin(radius * 0.6f) * std::sin(radius * 0.17f);
        float gap = std::fabs(radius - pr * 1.7f) < 3 ? 0.1f : 1.0f;
        col = Mix({200, 170, 130}, {250, 230, 190}, band);
        return 0.85f * gap * (0.5f + 0.5f * band);
    };
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float radius;
            float ry = ringAt(x + 0.5f, y + 0.5f, radius);
            Colour rc;
            float ra = ringColour(radius, rc);
            // The far half of the ring goes behind the planet.
            if (ry < 0 && ra > 0) {
                c.Blend(x, y, rc, ra);
            }
            float d = std::hypot(x + 0.5f - px, y + 0.5f - py);
            if (d < pr + 1) {
                float cover = std::clamp(pr + 0.5f - d, 0.0f, 1.0f);
                // Bands of cloud, lit from the upper left.
                float lat = (y - py) / pr;
                float bands = std::sin(lat * 9 + Fbm(x * 0.03f, y * 0.1f, 3, 161) * 2.5f);
                Colour surface = Mix({190, 120, 70}, {240, 210, 160}, 0.5f + 0.5f * bands);
                float nx = (x - px) / pr, ny = (y - py) / pr;
                float nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
                float light = std::clamp(-0.55f * nx - 0.45f * ny + 0.7f * nz, 0.05f, 1.0f);
                c.Blend(x, y, Scale(surface, light), cover);
            }
            if (ry >= 0 && ra > 0) {
                c.Blend(x, y, rc, ra);
            }
        }
    }
    // A small moon.
    c.FillDisc(60, 90, 12, {170, 170, 185});
    c.FillDisc(64, 94, 11, {40, 40, 60}, 0.5f);
}

void PaintGalaxy(Canvas& c) {
    DeepSpace(c, 170, {30, 30, 70});
    // A two-armed spiral: brightness follows logarithmic arms, plus a warm core.
    const float cx = 148, cy = 216;
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float dx = (x - cx) / 1.0f;
            float dy = (y - cy) / 0.75f;
            float r = std::hypot(dx, dy);
            float theta = std::atan2(dy, dx);
            float arm = std::cos(2 * (theta - std::log(r + 1) * 2.2f));
            float n = Fbm(x * 0.05f, y * 0.05f, 4, 171);
            float k = std::pow(std::max(0.0f, arm), 2.0f) * std::exp(-r / 90) * (0.6f + 0.8f * n);
            Colour col = Mix({120, 160, 255}, {255, 200, 240}, std::exp(-r / 40));
            Colour add =
                Add(Scale(col, k * 1.2f), Scale({255, 230, 180}, std::exp(-r * r / 300) * 1.1f));
            c.Set(x, y, Add(c.GetColour(x, y), add));
        }
    }
    Random r(172);
    for (int i = 0; i < 400; ++i) {
        // Young blue stars strewn along the arms.
        float t = r.Unit() * 5;
        float arm = r.Chance(0.5f) ? 0.0f : 3.14159f;
        float radius = std::exp(t / 2.2f * 1.0f) * 6;
        float theta = t + arm + (r.Unit() - 0.5f) * 0.5f;
        float x = cx + radius * std::cos(theta);
        float y = cy + radius * std::sin(theta) * 0.75f;
        c.FillDisc(x, y, 0.5f + r.Unit() * 0.6f, {200, 220, 255}, 0.8f);
    }
    Vignette(c, 0.2f);
}

void PaintNebula(Canvas& c) {
    Shade(c, [&](int x, int y) {
        float warp = Fbm(x * 0.01f, y * 0.01f, 4, 180) * 3;
        float a = Fbm(x * 0.008f + warp, y * 0.008f, 6, 181);
        float b = Fbm(x * 0.012f, y * 0.012f + warp, 5, 182);
        Colour col = Add(Scale({255, 70, 120}, std::pow(a, 2.5f) * 2.2f),
                         Scale({40, 140, 255}, std::pow(b, 2.5f) * 2.0f));
        col = Add(col, Scale({255, 200, 120}, std::pow(a * b, 3.0f) * 6));
        return Add({3, 2, 10}, col);
    });
    Random r(183);
    Stars(c, r, 900, c.Height(), 1.0f);
    AddGlow(c, 190, 160, 14, {255, 255, 255}, 1.0f);
    AddGlow(c, 190, 160, 40, {180, 200, 255}, 0.4f);
    Vignette(c, 0.3f);
}

} // namespace wz::content
