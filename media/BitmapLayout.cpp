#include "BitmapLayout.h"

#include "BitmapInfo.h"

namespace wz {

bool CheckBitmapLayout(const std::uint8_t* data, std::size_t size, BitmapLayout& layout) {
    if (data == nullptr || size < sizeof(BitmapInfoHeader))
        return false;
    const BitmapInfoHeader h = LoadBitmapInfoHeader(data);
    if (h.biSize < sizeof(BitmapInfoHeader) || h.biSize > size)
        return false;
    if (h.biWidth < 1 || h.biWidth > kMaxBitmapSide || h.biHeight < 1 ||
        h.biHeight > kMaxBitmapSide)
        return false;
    if (h.biCompression != 0)
        return false;
    if (h.biBitCount != 24 && h.biBitCount != 8)
        return false;
    std::uint32_t colours = h.biClrUsed;
    if (colours == 0 && h.biBitCount <= 8)
        colours = 1u << h.biBitCount;
    if (colours > kMaxBitmapColours)
        return false;

    const std::uint32_t depth = h.biBitCount;
    // 64-bit sums: the sizes are bounded above, but the comparison must not wrap either way.
    const std::uint64_t pixelOffset = std::uint64_t{h.biSize} + 4ull * colours;
    const std::uint64_t pixelBytes =
        std::uint64_t{RowStride(h.biWidth, depth)} * static_cast<std::uint64_t>(h.biHeight);
    if (pixelOffset + pixelBytes > size)
        return false;

    layout.depth = depth;
    layout.colourCount = colours;
    layout.colourTableOffset = h.biSize;
    layout.pixelOffset = static_cast<std::size_t>(pixelOffset);
    layout.pixelBytes = static_cast<std::size_t>(pixelBytes);
    return true;
}

} // namespace wz
