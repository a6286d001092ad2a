// The copy operations of Picture. Rows are bottom-up in memory: row y of a picture of height
// H starts at (H - 1 - y) * stride, so walking down the screen walks back through memory.

#include "Picture.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wz {

namespace {

std::uint8_t* PixelAt(std::uint8_t* pixels, std::int32_t height, std::uint32_t stride,
                      std::uint32_t bpp, std::uint32_t x, std::uint32_t y) {
    const std::size_t row = static_cast<std::size_t>(height) - 1 - y;
    return pixels + row * stride + std::size_t{x} * bpp;
}

struct KeyThresholds {
    std::uint32_t t0, t1, t2;
};

void KeyedRowNarrow(std::uint8_t* d, const std::uint8_t* s, std::uint32_t w,
                    const KeyThresholds& key) {
    for (std::uint32_t j = 0; j < w; ++j, s += 3, d += 3) {
        if ((s[0] >= key.t0) | (s[1] >= key.t1) | (s[2] >= key.t2)) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
}

#if defined(__SSE2__)
// Sixteen pixels (48 bytes, three vectors) at a time. Byte p of a block belongs to channel
// p % 3. Each byte is compared with its channel's threshold and the results are collected as a
// 48-bit mask, one bit per byte; a pixel is kept when any of its three bits is set. Blocks kept
// whole or left out whole (the common case inside panels and around glyphs) need no blending.
struct WideKey {
    __m128i threshold[3];
    // Bits of the channels whose threshold is past 255: those never keep a pixel by themselves.
    std::uint64_t enabledBits = 0;

    explicit WideKey(const KeyThresholds& key) {
        alignas(16) std::uint8_t t[48];
        const std::uint32_t channel[3] = {key.t0, key.t1, key.t2};
        for (int p = 0; p < 48; ++p) {
            const std::uint32_t tc = channel[p % 3];
            t[p] = static_cast<std::uint8_t>(tc > 255 ? 255 : tc);
            if (tc <= 255)
                enabledBits |= std::uint64_t{1} << p;
        }
        for (std::size_t k = 0; k < 3; ++k)
            threshold[k] = _mm_load_si128(reinterpret_cast<const __m128i*>(t + 16 * k));
    }
};

constexpr std::uint64_t kFirstByteOfPixel = 0x249249249249ull; // bits 0, 3, ..., 45
constexpr std::uint64_t kAllBytes = (std::uint64_t{1} << 48) - 1;

// The 16 bits of a mask as 16 bytes of 0x00 or 0xFF.
inline __m128i ExpandMask(std::uint32_t bits) {
    const __m128i lanes = _mm_set_epi8(-128, 64, 32, 16, 8, 4, 2, 1, -128, 64, 32, 16, 8, 4, 2, 1);
    __m128i v = _mm_cvtsi32_si128(static_cast<int>(bits));
    v = _mm_unpacklo_epi8(v, v);  // b0 b0 b1 b1 ...
    v = _mm_unpacklo_epi16(v, v); // b0 x4, b1 x4
    v = _mm_unpacklo_epi32(v, v); // b0 x8, b1 x8
    return _mm_cmpeq_epi8(_mm_and_si128(v, lanes), lanes);
}

std::uint32_t KeyedRowWide(std::uint8_t* d, const std::uint8_t* s, std::uint32_t w,
                           const WideKey& key) {
    std::uint32_t done = 0;
    for (; done + 16 <= w; done += 16, s += 48, d += 48) {
        __m128i sv[3];
        std::uint64_t reached = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            sv[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 16 * k));
            const __m128i r = _mm_cmpeq_epi8(_mm_max_epu8(sv[k], key.threshold[k]), sv[k]);
            reached |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(r)))
                       << (16 * k);
        }
        reached &= key.enabledBits;
        const std::uint64_t kept = (reached | reached >> 1 | reached >> 2) & kFirstByteOfPixel;
        const std::uint64_t keep = kept | kept << 1 | kept << 2;
        if (keep == 0)
            continue;
        for (std::size_t k = 0; k < 3; ++k) {
            auto* out = reinterpret_cast<__m128i*>(d + 16 * k);
            if (keep == kAllBytes) {
                _mm_storeu_si128(out, sv[k]);
                continue;
            }
            const __m128i m = ExpandMask(static_cast<std::uint32_t>(keep >> (16 * k)) & 0xFFFFu);
            const __m128i dv = _mm_loadu_si128(out);
            _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(m, sv[k]), _mm_andnot_si128(m, dv)));
        }
    }
    return done;
}
#else
struct WideKey {
    explicit WideKey(const KeyThresholds&) {}
};

std::uint32_t KeyedRowWide(std::uint8_t*, const std::uint8_t*, std::uint32_t, const WideKey&) {
    return 0;
}
#endif

// Rows of a few dozen bytes (the well's cells are 60) are copied in 16-byte pieces, the last
// piece overlapping the one before; a library call per row costs more than the copy.
void CopyShortRow(std::uint8_t* d, const std::uint8_t* s, std::size_t bytes) {
    if (bytes < 16) {
        std::memcpy(d, s, bytes);
        return;
    }
    std::size_t at = 0;
    for (; at + 16 <= bytes; at += 16)
        std::memcpy(d + at, s + at, 16);
    if (at < bytes)
        std::memcpy(d + bytes - 16, s + bytes - 16, 16);
}

} // namespace

template <typename Row> void Picture::CopyRows::ForEach(Row&& row) const {
    std::uint8_t* dRow = d;
    const std::uint8_t* sRow = s;
    for (std::uint32_t i = 0; i < count; ++i, dRow -= dstStride, sRow -= srcStride)
        row(dRow, sRow);
}

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

int Picture::FillBlack() {
    if (BytesPerPixel(depth) == 0 || pixels == nullptr)
        return 0;
    std::memset(pixels, 0, std::size_t{Stride()} * static_cast<std::size_t>(Height()));
    return 1;
}

// Both copies accept the same rectangles: equal, usable depths, and the rectangle wholly
// inside both pictures. An empty rectangle inside both is a copy of nothing (rows.count 0).
bool Picture::PrepareCopy(const Picture& source, std::uint32_t dx, std::uint32_t dy,
                          std::uint32_t sx, std::uint32_t sy, std::uint32_t w, std::uint32_t h,
                          CopyRows& rows) const {
    const std::uint32_t bpp = BytesPerPixel(depth);
    if (bpp == 0 || source.depth != depth || pixels == nullptr || source.pixels == nullptr ||
        !RectInside(dx, dy, w, h) || !source.RectInside(sx, sy, w, h))
        return false;
    rows = {};
    if (w == 0 || h == 0)
        return true;
    rows.bpp = bpp;
    rows.count = h;
    rows.dstStride = Stride();
    rows.srcStride = source.Stride();
    rows.d = PixelAt(pixels, Height(), rows.dstStride, bpp, dx, dy);
    rows.s = PixelAt(source.pixels, source.Height(), rows.srcStride, bpp, sx, sy);
    return true;
}

int Picture::CopyRect(std::uint32_t dx, std::uint32_t dy, const Picture& source, std::uint32_t sx,
                      std::uint32_t sy, std::uint32_t w, std::uint32_t h) {
    CopyRows rows;
    if (!PrepareCopy(source, dx, dy, sx, sy, w, h, rows))
        return 0;
    const std::size_t rowBytes = std::size_t{w} * rows.bpp;
    if (&source == this) {
        // A picture may copy a part of itself onto an overlapping part.
        rows.ForEach(
            [rowBytes](std::uint8_t* d, const std::uint8_t* s) { std::memmove(d, s, rowBytes); });
    } else if (rowBytes <= 128) {
        rows.ForEach(
            [rowBytes](std::uint8_t* d, const std::uint8_t* s) { CopyShortRow(d, s, rowBytes); });
    } else {
        rows.ForEach(
            [rowBytes](std::uint8_t* d, const std::uint8_t* s) { std::memcpy(d, s, rowBytes); });
    }
    return 1;
}

int Picture::CopyRectKeyed(std::uint32_t dx, std::uint32_t dy, const Picture& source,
                           std::uint32_t sx, std::uint32_t sy, std::uint32_t w, std::uint32_t h,
                           std::uint32_t key0, std::uint32_t key1, std::uint32_t key2) {
    CopyRows rows;
    if (!PrepareCopy(source, dx, dy, sx, sy, w, h, rows))
        return 0;
    if (rows.bpp == 1) {
        const auto key = static_cast<std::uint8_t>(key0);
        rows.ForEach([w, key](std::uint8_t* d, const std::uint8_t* s) {
            for (std::uint32_t j = 0; j < w; ++j) {
                if (s[j] != key)
                    d[j] = s[j];
            }
        });
        return 1;
    }
    // A pixel is transparent when each byte is below its key byte + 50; a threshold above 255
    // holds for every byte, so only the other two bytes decide.
    const KeyThresholds key{(key0 & 0xffu) + 50u, (key1 & 0xffu) + 50u, (key2 & 0xffu) + 50u};
    // The wide path reads a block of source pixels before it writes any; a picture copying
    // onto itself takes the pixel-by-pixel path so that overlapping parts keep their order.
    const bool wide = &source != this && w >= 16;
    const WideKey wideKey(key);
    rows.ForEach([&](std::uint8_t* d, const std::uint8_t* s) {
        const std::uint32_t done = wide ? KeyedRowWide(d, s, w, wideKey) : 0;
        KeyedRowNarrow(d + std::size_t{3} * done, s + std::size_t{3} * done, w - done, key);
    });
    return 1;
}

} // namespace wz
