#include "SceneKit.h"
#include "Scenes.h"

#include <cmath>
#include <complex>

namespace wz::content {

namespace {

// Maps pixel (x, y) to the complex plane around a centre with the given horizontal span.
struct View {
    double cx, cy, span;
    double Re(int x) const { return cx + (x - kFrameWidth / 2.0) * span / kFrameWidth; }
    double Im(int y) const { return cy + (y - kFrameHeight / 2.0) * span / kFrameWidth; }
};

// Escape-time iteration of z² + c with a smooth (fractional) count; -1 for a point inside.
double Escape(double zr, double zi, double cr, double ci, int limit) {
    // Points inside the set settle into a cycle; noticing the orbit return to a remembered
    // point ends them early, which saves most of the time spent on the dark areas.
    double seenR = zr, seenI = zi;
    int window = 8;
    for (int n = 0; n < limit; ++n) {
        double r2 = zr * zr;
        double i2 = zi * zi;
        if (r2 + i2 > 256) {
            return n + 1 - std::log2(std::log2(r2 + i2) / 2);
        }
        zi = 2 * zr * zi + ci;
        zr = r2 - i2 + cr;
        if (std::fabs(zr - seenR) < 1e-13 && std::fabs(zi - seenI) < 1e-13) {
            return -1;
        }
        if (n == window) {
            seenR = zr;
            seenI = zi;
            window *= 2;
        }
    }
    return -1;
}

} // namespace

void PaintMandelbrot(Canvas& c) {
    const View v{-0.7453, 0.1127, 0.0062};
    const Gradient palette{{0x000764, 0x206BCB, 0xEDFFFF, 0xFFAA00, 0x000200, 0x3A0A5A}, true};
    Shade(c, [&](int x, int y) {
        double n = Escape(0, 0, v.Re(x), v.Im(y), 600);
        if (n < 0) {
            return Colour{0, 2, 10};
        }
        return palette.At(static_cast<float>(std::sqrt(n) * 0.22));
    });
}

void PaintJulia(Canvas& c) {
    const View v{0, 0, 2.9};
    const Gradient palette{{0x12001F, 0x5B0F6B, 0xD0348C, 0xFF9EC4, 0xFFF3F8, 0x8E4FD6}, true};
    Shade(c, [&](int px, int py) {
        // Turned a quarter so that the set stands upright in the tall picture.
        double n = Escape(v.Im(py) * -1, v.Re(px), -0.8, 0.156, 300);
        if (n < 0) {
            return Colour{20, 0, 30};
        }
        return palette.At(static_cast<float>(std::log(n + 1) * 0.45));
    });
    Vignette(c, 0.25f);
}

void PaintNewton(Canvas& c) {
    // Newton's method for z³ = 1: each root owns a basin, coloured by how fast it is reached.
    const View v{0.1, 0, 2.4};
    const Colour roots[] = {{40, 200, 180}, {240, 190, 40}, {220, 60, 110}};
    const std::complex<double> r1(1, 0), r2(-0.5, std::sqrt(3) / 2), r3(-0.5, -std::sqrt(3) / 2);
    Shade(c, [&](int x, int y) {
        std::complex<double> z(v.Re(x), v.Im(y));
        for (int n = 0; n < 40; ++n) {
            std::complex<double> z2 = z * z;
            if (std::norm(z2) < 1e-12) {
                break;
            }
            z -= (z2 * z - 1.0) / (3.0 * z2);
            const std::complex<double>* rs[] = {&r1, &r2, &r3};
            for (int k = 0; k < 3; ++k) {
                double d = std::norm(z - *rs[k]);
                if (d < 1e-6) {
                    float shade = std::pow(0.91f, static_cast<float>(n) -
                                                      static_cast<float>(std::log(d) * 0.04));
                    return Add(Scale(roots[k], 0.25f + 0.85f * shade),
                               Scale({255, 255, 255}, 0.15f * shade));
                }
            }
        }
        return Colour{10, 10, 20};
    });
    Vignette(c, 0.3f);
}

} // namespace wz::content
