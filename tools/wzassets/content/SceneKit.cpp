#include "SceneKit.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

Colour Hsv(float h, float s, float v) {
    h -= std::floor(h);
    float k = h * 6;
    int i = static_cast<int>(k) % 6;
    float f = k - std::floor(k);
    float p = v * (1 - s);
    float q = v * (1 - s * f);
    float t = v * (1 - s * (1 - f));
    // Red, green and blue for each sixth of the hue circle.
    const float* const sextants[6][3] = {{&v, &t, &p}, {&q, &v, &p}, {&p, &v, &t},
                                         {&p, &q, &v}, {&t, &p, &v}, {&v, &p, &q}};
    const float* const* rgb = sextants[i < 0 ? 0 : i];
    return {*rgb[0] * 255, *rgb[1] * 255, *rgb[2] * 255};
}

void Sky(Canvas& canvas, const Gradient& gradient, int bottom) {
    for (int y = 0; y < bottom && y < canvas.Height(); ++y) {
        Colour c = gradient.At(static_cast<float>(y) / static_cast<float>(std::max(bottom - 1, 1)));
        for (int x = 0; x < canvas.Width(); ++x) {
            canvas.Set(x, y, c);
        }
    }
}

void AddGlow(Canvas& canvas, float cx, float cy, float radius, Colour colour, float strength) {
    int reach = static_cast<int>(radius * 3);
    for (int y = std::max(0, static_cast<int>(cy) - reach);
         y < std::min(canvas.Height(), static_cast<int>(cy) + reach); ++y) {
        for (int x = std::max(0, static_cast<int>(cx) - reach);
             x < std::min(canvas.Width(), static_cast<int>(cx) + reach); ++x) {
            float dx = (x - cx) / radius;
            float dy = (y - cy) / radius;
            float k = strength * std::exp(-(dx * dx + dy * dy));
            canvas.Set(x, y, Add(canvas.GetColour(x, y), Scale(colour, k)));
        }
    }
}

void Stars(Canvas& canvas, Random& random, int count, int maxY, float brightness) {
    for (int i = 0; i < count; ++i) {
        int x = random.Range(0, canvas.Width() - 1);
        int y = random.Range(0, std::max(0, maxY - 1));
        float b = brightness * (0.3f + 0.7f * random.Unit() * random.Unit());
        Colour tint =
            Mix({255, 255, 255},
                random.Chance(0.5f) ? Colour{170, 200, 255} : Colour{255, 220, 170}, 0.5f);
        canvas.Blend(x, y, tint, b);
        if (b > 0.8f * brightness) {
            // The brightest stars get a small cross of light.
            canvas.Blend(x - 1, y, tint, b * 0.35f);
            canvas.Blend(x + 1, y, tint, b * 0.35f);
            canvas.Blend(x, y - 1, tint, b * 0.35f);
            canvas.Blend(x, y + 1, tint, b * 0.35f);
        }
    }
}

std::vector<float> Ridge(int width, float baseY, float amplitude, float scale, std::uint32_t seed,
                         bool ridged) {
    std::vector<float> ridge(static_cast<std::size_t>(width));
    for (int x = 0; x < width; ++x) {
        float n = ridged ? RidgedFbm(x * scale, 0.5f, 5, seed) : Fbm(x * scale, 0.5f, 5, seed);
        ridge[static_cast<std::size_t>(x)] = baseY - amplitude * n;
    }
    return ridge;
}

void FillBelow(Canvas& canvas, const std::vector<float>& ridge, Colour top, Colour bottom,
               float depth) {
    for (int x = 0; x < canvas.Width() && x < static_cast<int>(ridge.size()); ++x) {
        float crest = ridge[static_cast<std::size_t>(x)];
        for (int y = std::max(0, static_cast<int>(crest)); y < canvas.Height(); ++y) {
            float t = std::clamp((y - crest) / depth, 0.0f, 1.0f);
            float cover = std::clamp(y + 1 - crest, 0.0f, 1.0f);
            canvas.Blend(x, y, Mix(top, bottom, t), cover);
        }
    }
}

void Mountains(Canvas& canvas, const std::vector<float>& ridge, Colour lit, Colour shadow,
               Colour snow, float snowLine, std::uint32_t seed) {
    const int width = std::min(canvas.Width(), static_cast<int>(ridge.size()));
    float top = static_cast<float>(canvas.Height());
    for (float r : ridge) {
        top = std::min(top, r);
    }
    // One row of the rock's height field at a time, one sample either side of the picture,
    // so that each sample is computed once for the slopes on both of its sides.
    std::vector<float> heights(static_cast<std::size_t>(width) + 2);
    for (int y = std::max(0, static_cast<int>(top)); y < canvas.Height(); ++y) {
        const float fy = y * 0.035f;
        for (int x = -1; x <= width; ++x) {
            heights[static_cast<std::size_t>(x + 1)] = RidgedFbm(x * 0.02f, fy, 4, seed);
        }
        for (int x = 0; x < width; ++x) {
            const float crest = ridge[static_cast<std::size_t>(x)];
            if (y + 1 <= crest) {
                continue;
            }
            // Slope of the rock across x: positive faces turn towards the light.
            float slope =
                heights[static_cast<std::size_t>(x + 2)] - heights[static_cast<std::size_t>(x)];
            float light = std::clamp(0.5f + slope * 18, 0.0f, 1.0f);
            Colour rock = Mix(shadow, lit, light);
            float below = y - crest;
            if (snowLine > 0) {
                float cover = std::clamp((snowLine - below) / (snowLine * 0.5f) +
                                             (Fbm(x * 0.08f, y * 0.08f, 3, seed + 9) - 0.5f),
                                         0.0f, 1.0f);
                rock = Mix(rock, Mix(Scale(snow, 0.7f), snow, light), cover);
            }
            canvas.Blend(x, y, rock, std::clamp(y + 1 - crest, 0.0f, 1.0f));
        }
    }
}

void Vignette(Canvas& canvas, float strength) {
    float cx = canvas.Width() / 2.0f;
    float cy = canvas.Height() / 2.0f;
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            float dx = (x - cx) / cx;
            float dy = (y - cy) / cy;
            float k = 1 - strength * std::clamp((dx * dx + dy * dy) * 0.5f, 0.0f, 1.0f);
            canvas.Set(x, y, Scale(canvas.GetColour(x, y), k));
        }
    }
}

void Grain(Canvas& canvas, float amount, std::uint32_t seed) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            float n = (Hash2(x, y, seed) - 0.5f) * amount;
            canvas.Set(x, y, Add(canvas.GetColour(x, y), {n, n, n}));
        }
    }
}

} // namespace wz::content
