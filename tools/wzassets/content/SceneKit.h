#pragma once

// Building blocks shared by the picture generators: skies, glows, stars, ridgelines and a few
// colour helpers. Every picture of the default content is 296 × 432, the game's frame.

#include "Canvas.h"
#include "Noise.h"

#include <FrameSize.h>

#include <vector>

namespace wz::content {

// Sets every pixel to f(x, y).
template <class F> void Shade(Canvas& canvas, F f) {
    for (int y = 0; y < canvas.Height(); ++y) {
        for (int x = 0; x < canvas.Width(); ++x) {
            canvas.Set(x, y, f(x, y));
        }
    }
}

// Hue in turns (0 to 1), saturation and value 0 to 1; result in 0 to 255 per channel.
Colour Hsv(float h, float s, float v);

// Fills rows 0 to bottom − 1 with the gradient, top to bottom.
void Sky(Canvas& canvas, const Gradient& gradient, int bottom);

// Adds light around (cx, cy), falling off like a Gaussian of the given radius.
void AddGlow(Canvas& canvas, float cx, float cy, float radius, Colour colour, float strength);

// Scatters small stars of varied brightness above the row maxY.
void Stars(Canvas& canvas, Random& random, int count, int maxY, float brightness);

// A ridgeline across the picture: for each column the row where the land begins.
std::vector<float> Ridge(int width, float baseY, float amplitude, float scale, std::uint32_t seed,
                         bool ridged = false);

// Fills everything below the ridge, shading from top (at the crest) to bottom (at depth
// pixels below it), with a soft one-pixel edge.
void FillBelow(Canvas& canvas, const std::vector<float>& ridge, Colour top, Colour bottom,
               float depth);

// A mountain range below the ridge: faces lit from the left or in shadow, found from the
// slope of a noise height field, with snow on the upper slopes when snowLine > 0 (pixels below
// the crest that stay white).
void Mountains(Canvas& canvas, const std::vector<float>& ridge, Colour lit, Colour shadow,
               Colour snow, float snowLine, std::uint32_t seed);

// Darkens the corners so that the eye rests in the middle.
void Vignette(Canvas& canvas, float strength);

// A faint film grain that keeps large gradients from banding.
void Grain(Canvas& canvas, float amount, std::uint32_t seed);

} // namespace wz::content
