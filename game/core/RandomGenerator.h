#pragma once

// The piece generator: the classic C library rand(), a linear congruential generator whose
// values run from 0 to 32767. Keeping the exact sequence means a seed always deals the same
// shapes and colours, which the tests rely on.

#include <cstdint>

namespace wz {

class RandomGenerator {
public:
    static constexpr std::int32_t kMax = 32767;

    void Seed(std::uint32_t seed) { state_ = seed; }

    std::int32_t Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<std::int32_t>((state_ >> 16) & 0x7FFFu);
    }

private:
    std::uint32_t state_ = 1;
};

} // namespace wz
