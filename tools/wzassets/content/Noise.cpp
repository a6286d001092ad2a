#include "Noise.h"

#include <cmath>

namespace wz::content {

std::uint64_t Random::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

float Random::Unit() {
    return static_cast<float>(Next() >> 40) / static_cast<float>(1ULL << 24);
}

int Random::Range(int lo, int hi) {
    auto span = static_cast<std::uint64_t>(hi - lo + 1);
    return lo + static_cast<int>(Next() % span);
}

float Hash2(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 0x8DA6B343U ^
                      static_cast<std::uint32_t>(y) * 0xD8163841U ^ seed * 0xCB1AB31FU;
    h ^= h >> 15;
    h *= 0x2C1B3C6DU;
    h ^= h >> 12;
    h *= 0x297A2D39U;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) / static_cast<float>(1U << 24);
}

float ValueNoise(float x, float y, std::uint32_t seed) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = static_cast<int>(fx);
    int iy = static_cast<int>(fy);
    float tx = x - fx;
    float ty = y - fy;
    // Smoothstep weights hide the lattice.
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    float a = Hash2(ix, iy, seed);
    float b = Hash2(ix + 1, iy, seed);
    float c = Hash2(ix, iy + 1, seed);
    float d = Hash2(ix + 1, iy + 1, seed);
    float top = a + (b - a) * tx;
    float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int octaves, std::uint32_t seed) {
    float sum = 0;
    float amplitude = 0.5f;
    float norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 101U);
        norm += amplitude;
        amplitude *= 0.5f;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f + 5.3f;
    }
    return sum / norm;
}

float RidgedFbm(float x, float y, int octaves, std::uint32_t seed) {
    float sum = 0;
    float amplitude = 0.5f;
    float norm = 0;
    for (int i = 0; i < octaves; ++i) {
        float n =
            1.0f - std::fabs(ValueNoise(x, y, seed + static_cast<std::uint32_t>(i) * 131U) * 2 - 1);
        sum += amplitude * n * n;
        norm += amplitude;
        amplitude *= 0.5f;
        x = x * 2.01f + 3.7f;
        y = y * 2.01f + 11.9f;
    }
    return sum / norm;
}

} // namespace wz::content
