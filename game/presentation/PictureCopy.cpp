// The copy operations of Picture. Rows are bottom-up in memory: row y of a picture of height
// H starts at (H - 1 - y) * stride, so walking down the screen walks back through memory.

#include "Picture.h"

#include <cstring>

namespace wz {

namespace {

struct Rows {
    std::uint8_t* dst;
    const std::uint8_t* src;
    std::ptrdiff_t dstStep; // bytes from one row to the next one down the screen
    std::ptrdiff_t srcStep;
};

std::uint8_t* PixelAt(std::uint8_t* pixels, std::int32_t height, std::uint32_t stride,
                      std::uint32_t bpp, std::uint32_t x, std::uint32_t y) {
    const std::size_t row = static_cast<std::size_t>(height) - 1 - y;
    return pixels + row * stride + std::size_t{x} * bpp;
}

} // namespace

bool Picture::RectInside(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const {
    return std::uint64_t{x} + w <= static_cast<std::uint64_t>(Width()) &&
           std::uint64_t{y} + h <= static_cast<std::uint64_t>(Height());
}

int Picture::CopyFrom(const Picture& source) {
    const std::uint32_t bpp = BytesPerPixel(depth);
    if (bpp == 0 || source.depth != depth || source.Width() != Width() ||
        source.Height() != Height() || pixels == nullptr || source.pixels == nullptr)
        return 0;
    if (&source == this)
        return 1;
    std::memcpy(pixels, source.pixels, std::size_t{Stride()} * static_cast<std::size_t>(Height()));
    return 1;
}

// Both copies accept the same rectangles: equal, usable depths, and the rectangle wholly
// inside both pictures. An empty rectangle inside both is a copy of nothing.
#define WZ_CHECK_COPY(source, dx, dy, sx, sy, w, h)                                                \
    const std::uint32_t bpp = BytesPerPixel(depth);                                                \
    if (bpp == 0 || (source).depth != depth || pixels == nullptr || (source).pixels == nullptr ||  \
        !RectInside(dx, dy, w, h) || !(source).RectInside(sx, sy, w, h))                           \
        return 0;                                                                                  \
    if ((w) == 0 || (h) == 0)                                                                      \
    return 1

int Picture::CopyRect(std::uint32_t dx, std::uint32_t dy, const Picture& source, std::uint32_t sx,
                      std::uint32_t sy, std::uint32_t w, std::uint32_t h) {
    WZ_CHECK_COPY(source, dx, dy, sx, sy, w, h);
    const std::uint32_t dstStride = Stride();
    const std::uint32_t srcStride = source.Stride();
    std::uint8_t* d = PixelAt(pixels, Height(), dstStride, bpp, dx, dy);
    const std::uint8_t* s = PixelAt(source.pixels, source.Height(), srcStride, bpp, sx, sy);
    const std::size_t rowBytes = std::size_t{w} * bpp;
    for (std::uint32_t i = 0; i < h; ++i) {
        // memmove: a picture may copy a part of itself onto an overlapping part.
        std::memmove(d, s, rowBytes);
        d -= dstStride;
        s -= srcStride;
    }
    return 1;
}

int Picture::CopyRectKeyed(std::uint32_t dx, std::uint32_t dy, const Picture& source,
                           std::uint32_t sx, std::uint32_t sy, std::uint32_t w, std::uint32_t h,
                           std::uint32_t key0, std::uint32_t key1, std::uint32_t key2) {
    WZ_CHECK_COPY(source, dx, dy, sx, sy, w, h);
    const std::uint32_t dstStride = Stride();
    const std::uint32_t srcStride = source.Stride();
    std::uint8_t* d = PixelAt(pixels, Height(), dstStride, bpp, dx, dy);
    const std::uint8_t* s = PixelAt(source.pixels, source.Height(), srcStride, bpp, sx, sy);
    if (bpp == 1) {
        const auto key = static_cast<std::uint8_t>(key0);
        for (std::uint32_t i = 0; i < h; ++i, d -= dstStride, s -= srcStride) {
            for (std::uint32_t j = 0; j < w; ++j) {
                if (s[j] != key)
                    d[j] = s[j];
            }
        }
        return 1;
    }
    // A pixel is transparent when each byte is below its key byte + 50; a threshold above 255
    // holds for every byte, so only the other two bytes decide.
    const std::uint32_t t0 = (key0 & 0xffu) + 50u;
    const std::uint32_t t1 = (key1 & 0xffu) + 50u;
    const std::uint32_t t2 = (key2 & 0xffu) + 50u;
    for (std::uint32_t i = 0; i < h; ++i, d -= dstStride, s -= srcStride) {
        const std::uint8_t* sp = s;
        std::uint8_t* dp = d;
        for (std::uint32_t j = 0; j < w; ++j, sp += 3, dp += 3) {
            const bool opaque = (sp[0] >= t0) | (sp[1] >= t1) | (sp[2] >= t2);
            if (opaque) {
                dp[0] = sp[0];
                dp[1] = sp[1];
                dp[2] = sp[2];
            }
        }
    }
    return 1;
}

#undef WZ_CHECK_COPY

} // namespace wz
