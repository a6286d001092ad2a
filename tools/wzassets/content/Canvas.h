#pragma once

// Canvas: an RGB picture in memory that the content generators paint into before it is
// encoded. Rows are stored top-down, three bytes per pixel in red, green, blue order, with no
// padding, which is the layout the JPEG encoder takes directly.

#include <cstdint>
#include <vector>

namespace wz::content {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// Colours are mixed in floating point and rounded once when stored.
struct Colour {
    float r = 0;
    float g = 0;
    float b = 0;
};

Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float k);
Colour Add(Colour a, Colour b);
Colour FromHex(std::uint32_t rgb);
Rgb ToRgb(Colour c);

// A palette of evenly spaced colour stops, sampled with linear interpolation; t is clamped to
// [0, 1] (or wrapped when cyclic).
class Gradient {
public:
    Gradient(std::initializer_list<std::uint32_t> stops, bool cyclic = false);
    Colour At(float t) const;

private:
    std::vector<Colour> stops_;
    bool cyclic_;
};

class Canvas {
public:
    Canvas(int width, int height, Rgb fill = {});

    int Width() const { return width_; }
    int Height() const { return height_; }
    const std::uint8_t* Data() const { return pixels_.data(); }

    Rgb Get(int x, int y) const;
    // Writes outside the canvas are dropped, so shapes may run over its edges.
    void Set(int x, int y, Rgb c);
    void Set(int x, int y, Colour c);
    Colour GetColour(int x, int y) const;
    // Mixes c over the pixel with the given opacity, 0 (unchanged) to 1 (replaced).
    void Blend(int x, int y, Colour c, float alpha);

    void FillRect(int x, int y, int w, int h, Rgb c);
    void FillRect(int x, int y, int w, int h, Colour c);
    // A filled disc with a one-pixel soft edge.
    void FillDisc(float cx, float cy, float radius, Colour c, float alpha = 1.0f);

private:
    int width_;
    int height_;
    std::vector<std::uint8_t> pixels_;
};

} // namespace wz::content
