#include "SceneKit.h"
#include "Scenes.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

namespace {

constexpr float kW = kFrameWidth;
constexpr float kH = kFrameHeight;

// Layers of land from far to near: each nearer layer is darker and more saturated, the far
// ones fade into the sky's haze.
struct Layer {
    float baseY;
    float amplitude;
    float scale;
    std::uint32_t seed;
    std::uint32_t top;
    std::uint32_t bottom;
    bool ridged;
};

void PaintLayers(Canvas& c, std::initializer_list<Layer> layers) {
    for (const Layer& l : layers) {
        auto ridge = Ridge(c.Width(), l.baseY, l.amplitude, l.scale, l.seed, l.ridged);
        FillBelow(c, ridge, FromHex(l.top), FromHex(l.bottom), 160);
    }
}

} // namespace

void PaintDawnMeadow(Canvas& c) {
    Sky(c, Gradient{0x7FB2E8, 0xB9D3EE, 0xF6D7C3, 0xFFC8A0}, 300);
    AddGlow(c, 200, 270, 60, {255, 220, 160}, 0.9f);
    c.FillDisc(200, 268, 18, {255, 246, 214});
    // Soft clouds: noise thresholded into wisps.
    for (int y = 20; y < 200; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = Fbm(x * 0.012f, y * 0.04f, 5, 11);
            float a = std::clamp((n - 0.55f) * 4, 0.0f, 0.8f) * (1 - y / 220.0f);
            c.Blend(x, y, {255, 250, 245}, a);
        }
    }
    PaintLayers(c, {
                       {290, 50, 0.008f, 21, 0x9DB7C8, 0x8FB0A0, false},
                       {325, 50, 0.010f, 22, 0x86B56A, 0x5E9A48, false},
                       {370, 55, 0.012f, 23, 0x5FA040, 0x3C7A2C, false},
                       {420, 50, 0.015f, 24, 0x4C8E30, 0x2C5E1C, false},
                   });
    // Flowers in the nearest meadow, denser towards the front.
    Random r(77);
    const Colour petals[] = {{255, 240, 90}, {255, 255, 255}, {250, 120, 170}, {190, 140, 255}};
    for (int i = 0; i < 700; ++i) {
        int x = r.Range(0, c.Width() - 1);
        int y = r.Range(385, c.Height() - 1);
        float size = 0.6f + (y - 385) / 40.0f;
        c.FillDisc(static_cast<float>(x), static_cast<float>(y), size, petals[r.Range(0, 3)], 0.9f);
    }
    Grain(c, 4, 5);
}

void PaintOceanSunset(Canvas& c) {
    const int horizon = 250;
    Sky(c, Gradient{0x1B1446, 0x5A2A72, 0xC2456B, 0xF27C43, 0xFFC35C}, horizon);
    AddGlow(c, 148, horizon - 10, 55, {255, 190, 90}, 0.8f);
    c.FillDisc(148, horizon - 4, 30, {255, 226, 150});
    // Long low clouds lit from below.
    for (int y = 60; y < horizon - 30; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = Fbm(x * 0.006f, y * 0.05f, 5, 31);
            float a = std::clamp((n - 0.52f) * 3, 0.0f, 0.75f);
            Colour lit = Mix({110, 40, 90}, {255, 150, 120}, y / static_cast<float>(horizon));
            c.Blend(x, y, lit, a);
        }
    }
    // The sea mirrors the sky, broken into ripples that get wider towards the viewer.
    for (int y = horizon; y < c.Height(); ++y) {
        float depth = (y - horizon) / (kH - horizon);
        for (int x = 0; x < c.Width(); ++x) {
            float wave = std::sin(x * (0.08f - depth * 0.05f) + y * 0.9f +
                                  3 * Fbm(x * 0.02f, y * 0.1f, 3, 32));
            int mirror = std::clamp(2 * horizon - y + static_cast<int>(wave * 4 * (1 + depth * 6)),
                                    0, horizon - 1);
            Colour sky = c.GetColour(x, mirror);
            Colour sea = Mix(Scale(sky, 0.75f), {20, 16, 60}, 0.25f + depth * 0.6f);
            // The sun's path: bright flecks on the crests below the sun.
            float path = std::exp(-std::pow((x - 148) / (18 + depth * 70), 2.0f));
            if (wave > 0.55f) {
                sea = Mix(sea, {255, 210, 140}, path * 0.8f);
            }
            c.Set(x, y, sea);
        }
    }
    Vignette(c, 0.35f);
}

void PaintDesertDunes(Canvas& c) {
    Sky(c, Gradient{0x2E79C7, 0x6FB3E6, 0xD9E9EE, 0xF6E3B6}, 250);
    AddGlow(c, 70, 70, 40, {255, 255, 230}, 1.2f);
    c.FillDisc(70, 70, 16, {255, 255, 240});
    // Dunes: sine crests bent by noise, lit from the left; each row band is one dune.
    const float crests[] = {235, 270, 310, 360, 420};
    const std::uint32_t sand[][2] = {{0xE7B98A, 0xC98F5E},
                                     {0xE9AE6E, 0xC0793F},
                                     {0xEBA35B, 0xB3652D},
                                     {0xE59048, 0x9E4F20},
                                     {0xDA7E3A, 0x86401A}};
    for (int d = 0; d < 5; ++d) {
        std::vector<float> ridge(static_cast<std::size_t>(c.Width()));
        std::vector<float> slope(ridge.size());
        for (int x = 0; x < c.Width(); ++x) {
            float u = x * (0.018f - d * 0.002f) + d * 1.7f;
            float h =
                std::sin(u + std::sin(u * 0.5f) * 1.2f) + 0.4f * Fbm(x * 0.01f, d * 3.0f, 3, 40);
            ridge[static_cast<std::size_t>(x)] = crests[d] - h * (14 + d * 6);
            slope[static_cast<std::size_t>(x)] = std::cos(u + std::sin(u * 0.5f) * 1.2f);
        }
        for (int x = 0; x < c.Width(); ++x) {
            float crest = ridge[static_cast<std::size_t>(x)];
            float lit = std::clamp(0.5f + slope[static_cast<std::size_t>(x)] * 0.8f, 0.0f, 1.0f);
            for (int y = std::max(0, static_cast<int>(crest)); y < c.Height(); ++y) {
                float t = std::clamp((y - crest) / 80.0f, 0.0f, 1.0f);
                Colour col = Mix(FromHex(sand[d][0]), FromHex(sand[d][1]), t);
                col = Mix(Mix(col, {120, 60, 60}, 0.35f), col, lit);
                // Wind ripples in the sand.
                float ripple =
                    std::sin((y + x * 0.3f) * 0.9f + Fbm(x * 0.05f, y * 0.05f, 2, 41) * 6);
                col = Scale(col, 1 + ripple * 0.04f);
                c.Blend(x, y, col, std::clamp(y + 1 - crest, 0.0f, 1.0f));
            }
        }
    }
    Grain(c, 5, 42);
}

void PaintAuroraPeaks(Canvas& c) {
    Sky(c, Gradient{0x02040E, 0x061530, 0x0B2A48, 0x123A52}, 330);
    Random r(50);
    Stars(c, r, 420, 330, 1.0f);
    // Curtains of the aurora: a wavering band whose brightness streaks vertically.
    for (int y = 0; y < 330; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float centre = 120 + 50 * std::sin(x * 0.018f + 1.3f) + 25 * std::sin(x * 0.05f);
            float band = std::exp(-std::pow((y - centre) / 55.0f, 2.0f));
            float streak = 0.5f + 0.5f * Fbm(x * 0.08f, y * 0.004f, 3, 51);
            float below = y > centre ? std::exp(-(y - centre) / 40.0f) : 1.0f;
            float k = band * streak * below;
            Colour col = Mix({40, 255, 140}, {170, 80, 255},
                             std::clamp((centre - y) / 90.0f + 0.3f, 0.0f, 1.0f));
            c.Set(x, y, Add(c.GetColour(x, y), Scale(col, k * 0.75f)));
        }
    }
    Mountains(c, Ridge(c.Width(), 300, 130, 0.007f, 52, true), {120, 140, 180}, {30, 40, 70},
              {190, 215, 235}, 30, 52);
    Mountains(c, Ridge(c.Width(), 370, 110, 0.010f, 53, true), {70, 90, 125}, {16, 22, 40},
              {150, 175, 205}, 18, 53);
    PaintLayers(c, {{425, 50, 0.014f, 54, 0x1A2436, 0x05080F, false}});
    Vignette(c, 0.3f);
}

void PaintMistyForest(Canvas& c) {
    Sky(c, Gradient{0xCFE3D8, 0xE5EEDB, 0xF3F0D2}, c.Height());
    AddGlow(c, 220, 120, 70, {255, 250, 210}, 0.5f);
    // Rows of pines from far to near; the mist thins with nearness.
    const std::uint32_t tones[] = {0xA9C5B4, 0x7FA58E, 0x58836A, 0x355E47, 0x1B3A2A};
    for (int layer = 0; layer < 5; ++layer) {
        Random r(60 + static_cast<std::uint64_t>(layer));
        float base = 200 + layer * 50.0f;
        Colour tone = FromHex(tones[layer]);
        auto ground = Ridge(c.Width(), base + 20, 25, 0.01f, 61 + layer);
        FillBelow(c, ground, tone, tone, 1);
        int trees = 16 + layer * 3;
        for (int i = 0; i < trees; ++i) {
            float x = r.Range(-10, c.Width() + 10);
            float groundY =
                ground[static_cast<std::size_t>(std::clamp(static_cast<int>(x), 0, c.Width() - 1))];
            float height = (40 + layer * 18) * (0.7f + 0.6f * r.Unit());
            float halfWidth = height * 0.22f;
            for (int y = static_cast<int>(groundY - height); y <= static_cast<int>(groundY) + 2;
                 ++y) {
                float t = (y - (groundY - height)) / height;
                // A pine's outline: stacked tiers, each wider at its foot.
                float tier = std::fmod(t * 4, 1.0f);
                float w = halfWidth * t * (0.6f + 0.4f * tier) + 1;
                for (int xx = static_cast<int>(x - w); xx <= static_cast<int>(x + w); ++xx) {
                    c.Set(xx, y, tone);
                }
            }
        }
    }
    // Mist gathers in the hollows.
    for (int y = 0; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = Fbm(x * 0.01f, y * 0.03f, 4, 62);
            float a = std::clamp(n - 0.35f, 0.0f, 0.5f) *
                      (0.4f + 0.6f * std::sin(y * 0.02f) * std::sin(y * 0.02f));
            c.Blend(x, y, {236, 240, 228}, a);
        }
    }
    Grain(c, 4, 63);
}

void PaintAutumnHills(Canvas& c) {
    Sky(c, Gradient{0x4C8BC6, 0x8DB7D8, 0xE7D5B5}, 260);
    for (int y = 10; y < 200; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = Fbm(x * 0.01f, y * 0.02f, 5, 71);
            c.Blend(x, y, {255, 255, 255}, std::clamp((n - 0.5f) * 3, 0.0f, 0.9f));
        }
    }
    PaintLayers(c, {
                       {250, 40, 0.008f, 72, 0xB08E70, 0x9A7358, false},
                       {300, 50, 0.010f, 73, 0xC8702A, 0x8A4418, false},
                   });
    // Round tree crowns in reds, oranges and golds cover the nearer hills.
    Random r(74);
    const Colour leaves[] = {
        {214, 72, 30}, {236, 140, 30}, {246, 196, 50}, {170, 40, 30}, {140, 110, 40}};
    for (int i = 0; i < 1600; ++i) {
        float y = 285 + 150 * std::pow(r.Unit(), 0.9f);
        float x = r.Unit() * kW;
        float radius = 2 + (y - 280) / 22.0f + r.Unit() * 2;
        Colour leaf = leaves[r.Range(0, 4)];
        c.FillDisc(x + radius * 0.25f, y + radius * 0.3f, radius, Scale(leaf, 0.55f));
        c.FillDisc(x, y, radius * 0.95f, leaf);
        c.FillDisc(x - radius * 0.3f, y - radius * 0.35f, radius * 0.4f,
                   Mix(leaf, {255, 240, 180}, 0.3f), 0.5f);
    }
    Vignette(c, 0.25f);
    Grain(c, 4, 75);
}

void PaintVolcano(Canvas& c) {
    Sky(c, Gradient{0x120606, 0x3A0E0A, 0x7A1E0E, 0xB8401A, 0x5A1A0C}, c.Height());
    // Ash clouds lit red from below.
    for (int y = 0; y < 300; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            float n = Fbm(x * 0.015f, y * 0.015f, 5, 81);
            c.Blend(x, y, Mix({30, 20, 20}, {180, 60, 30}, y / 300.0f),
                    std::clamp((n - 0.4f) * 2.5f, 0.0f, 0.85f));
        }
    }
    // The cone, with a glowing crater.
    std::vector<float> cone(static_cast<std::size_t>(c.Width()));
    for (int x = 0; x < c.Width(); ++x) {
        float d = std::fabs(x - 148.0f);
        float h = d < 24 ? 205 + d * 0.2f : 210 + (d - 24) * 1.15f;
        cone[static_cast<std::size_t>(x)] = h + 10 * Fbm(x * 0.05f, 1, 3, 82);
    }
    AddGlow(c, 148, 200, 40, {255, 120, 30}, 1.5f);
    FillBelow(c, cone, {60, 24, 20}, {20, 10, 10}, 200);
    // Lava flows: ridged noise cracks that glow, brightest near the crater.
    for (int y = 205; y < c.Height(); ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            if (y < cone[static_cast<std::size_t>(x)]) {
                continue;
            }
            float n = RidgedFbm(x * 0.02f, y * 0.012f, 4, 83);
            float channel = std::exp(-std::pow(
                (x - 148.0f - 30 * std::sin(y * 0.02f)) / (10.0f + (y - 200) * 0.15f), 2.0f));
            float heat = std::clamp((n - 0.62f) * 5, 0.0f, 1.0f) * 0.7f + channel * 0.9f;
            heat = std::clamp(heat, 0.0f, 1.0f);
            Colour lava = Mix({200, 30, 0}, {255, 230, 120}, heat * heat);
            c.Blend(x, y, lava, heat);
        }
    }
    // Sparks thrown from the crater.
    Random r(84);
    for (int i = 0; i < 90; ++i) {
        float x = 148 + (r.Unit() - 0.5f) * 120;
        float y = 40 + r.Unit() * 160;
        c.FillDisc(x, y, 0.5f + r.Unit(), {255, 200, 90}, 0.9f);
    }
    Vignette(c, 0.4f);
}

void PaintWinterNight(Canvas& c) {
    Sky(c, Gradient{0x0A0E2A, 0x1C2A5C, 0x3C5A94, 0x8FA9D6}, 330);
    Random r(90);
    Stars(c, r, 300, 260, 0.9f);
    AddGlow(c, 220, 80, 30, {210, 225, 255}, 0.6f);
    c.FillDisc(220, 80, 14, {240, 244, 255});
    c.FillDisc(226, 76, 12, {60, 80, 140}, 0.25f); // the moon's shadowed side
    Mountains(c, Ridge(c.Width(), 260, 140, 0.006f, 91, true), {150, 165, 205}, {50, 60, 100},
              {240, 245, 255}, 70, 91);
    Mountains(c, Ridge(c.Width(), 340, 110, 0.009f, 92, true), {120, 135, 180}, {36, 44, 80},
              {225, 234, 252}, 55, 92);
    PaintLayers(c, {{410, 40, 0.012f, 93, 0xDCE4F6, 0x9AA8D0, false}});
    // Falling snow, larger flakes nearer.
    for (int i = 0; i < 260; ++i) {
        float size = 0.4f + 1.6f * r.Unit() * r.Unit();
        c.FillDisc(r.Unit() * kW, r.Unit() * kH, size, {255, 255, 255}, 0.5f + 0.4f * r.Unit());
    }
    Vignette(c, 0.3f);
}

} // namespace wz::content
