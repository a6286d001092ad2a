#pragma once

// Deterministic randomness for the generators: a small seeded generator and smooth value
// noise. Every picture and tune is a pure function of its seed, so every build writes the same
// bytes.

#include <cstdint>

namespace wz::content {

// SplitMix64: tiny, fast and good enough for art; never seeded from the clock.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in [0, 1).
    float Unit();
    // Uniform in [lo, hi], both included.
    int Range(int lo, int hi);
    bool Chance(float p) { return Unit() < p; }

private:
    std::uint64_t state_;
};

// Hash of a lattice point, uniform in [0, 1).
float Hash2(int x, int y, std::uint32_t seed);

// Smooth value noise in [0, 1), with a lattice spacing of 1.
float ValueNoise(float x, float y, std::uint32_t seed);

// Fractal sum of octaves of value noise, normalised to [0, 1).
float Fbm(float x, float y, int octaves, std::uint32_t seed);

// Ridged fractal noise in [0, 1]: sharp crests, for mountains and lava cracks.
float RidgedFbm(float x, float y, int octaves, std::uint32_t seed);

} // namespace wz::content
