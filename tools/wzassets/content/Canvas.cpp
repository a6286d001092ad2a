#include "Canvas.h"

#include <algorithm>
#include <cmath>

namespace wz::content {

namespace {

std::uint8_t ToByte(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
}

} // namespace

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

Colour Add(Colour a, Colour b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

Colour FromHex(std::uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 0xFF), static_cast<float>((rgb >> 8) & 0xFF),
            static_cast<float>(rgb & 0xFF)};
}

Rgb ToRgb(Colour c) {
    return {ToByte(c.r), ToByte(c.g), ToByte(c.b)};
}

Gradient::Gradient(std::initializer_list<std::uint32_t> stops, bool cyclic) : cyclic_(cyclic) {
    for (std::uint32_t s : stops) {
        stops_.push_back(FromHex(s));
    }
}

Colour Gradient::At(float t) const {
    if (stops_.size() == 1) {
        return stops_[0];
    }
    float pos;
    std::size_t segments;
    if (cyclic_) {
        t -= std::floor(t);
        segments = stops_.size();
    } else {
        t = std::clamp(t, 0.0f, 1.0f);
        segments = stops_.size() - 1;
    }
    pos = t * static_cast<float>(segments);
    auto i = std::min(static_cast<std::size_t>(pos), segments - 1);
    float f = pos - static_cast<float>(i);
    return Mix(stops_[i], stops_[(i + 1) % stops_.size()], f);
}

Canvas::Canvas(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height * 3) {
    for (std::size_t i = 0; i < pixels_.size(); i += 3) {
        pixels_[i] = fill.r;
        pixels_[i + 1] = fill.g;
        pixels_[i + 2] = fill.b;
    }
}

Rgb Canvas::Get(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    const std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    return {p[0], p[1], p[2]};
}

Colour Canvas::GetColour(int x, int y) const {
    Rgb c = Get(x, y);
    return {static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b)};
}

void Canvas::Set(int x, int y, Rgb c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    std::uint8_t* p = &pixels_[(static_cast<std::size_t>(y) * width_ + x) * 3];
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
}

void Canvas::Set(int x, int y, Colour c) {
    Set(x, y, ToRgb(c));
}

void Canvas::Blend(int x, int y, Colour c, float alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0) {
        return;
    }
    Set(x, y, Mix(GetColour(x, y), c, std::min(alpha, 1.0f)));
}

void Canvas::FillRect(int x, int y, int w, int h, Rgb c) {
    for (int j = y; j < y + h; ++j) {
        for (int i = x; i < x + w; ++i) {
            Set(i, j, c);
        }
    }
}

void Canvas::FillRect(int x, int y, int w, int h, Colour c) {
    FillRect(x, y, w, h, ToRgb(c));
}

void Canvas::FillDisc(float cx, float cy, float radius, Colour c, float alpha) {
    int x0 = static_cast<int>(std::floor(cx - radius - 1));
    int x1 = static_cast<int>(std::ceil(cx + radius + 1));
    int y0 = static_cast<int>(std::floor(cy - radius - 1));
    int y1 = static_cast<int>(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            float d =
                std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy);
            float cover = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
            Blend(x, y, c, cover * alpha);
        }
    }
}

} // namespace wz::content
