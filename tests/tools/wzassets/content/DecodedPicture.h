#pragma once

// Decodes JPEG bytes through libJpgToBmp, the way the game does, for tests that look at the
// pixels the game will see.

#include "JpgToBmp.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace wz::test {

struct Bgr {
    int b = 0;
    int g = 0;
    int r = 0;
    // What the game's black key leaves out: every channel below 50.
    bool Keyed() const { return b < 50 && g < 50 && r < 50; }
    int Max() const { return b > g ? (b > r ? b : r) : (g > r ? g : r); }
};

struct DecodedPicture {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> pixels; // bottom-up rows, as the decoder writes them

    bool Decode(const std::vector<std::uint8_t>& jpeg) {
        unsigned char info[JPGTOBMP_INFO_SIZE] = {};
        if (GetJpgInfo(info, jpeg.data(), static_cast<unsigned>(jpeg.size())) == 0) {
            return false;
        }
        std::int32_t w, h;
        std::uint32_t size;
        std::memcpy(&w, info + 4, 4);
        std::memcpy(&h, info + 8, 4);
        std::memcpy(&size, info + 20, 4);
        width = w;
        height = h;
        stride = (w * 3 + 3) & ~3;
        pixels.assign(size, 0);
        return JpgToBmp(info, jpeg.data(), static_cast<unsigned>(jpeg.size()), pixels.data(),
                        size) != 0;
    }

    // (x, y) counted from the top-left corner as displayed.
    Bgr At(int x, int y) const {
        const std::uint8_t* p =
            &pixels[static_cast<std::size_t>((height - 1 - y) * stride + x * 3)];
        return {p[0], p[1], p[2]};
    }
};

} // namespace wz::test
