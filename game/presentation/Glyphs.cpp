#include "Glyphs.h"

#include "Picture.h"
#include "TileSheet.h"

namespace wz {

namespace {

int DrawTile(Picture& frame, const Picture& tiles, const tilesheet::TileRect& tile, std::uint32_t x,
             std::uint32_t y) {
    return frame.CopyRectKeyed(x, y, tiles, tile.x, tile.y, tile.w, tile.h, 0, 0, 0);
}

} // namespace

int DrawNumber(Picture& frame, const Picture& tiles, std::int32_t value, std::uint32_t x,
               std::uint32_t y) {
    if (value < 0)
        return 0;
    // Least significant digit first; a value of 0 still gives the one digit 0.
    int digits[10];
    int count = 0;
    do {
        digits[count++] = value % 10;
        value /= 10;
    } while (value != 0);
    int drawn = 1;
    for (int k = 0; k < count; ++k) {
        const std::uint32_t at = x + tilesheet::kGlyphSize * static_cast<std::uint32_t>(k);
        drawn &= DrawTile(frame, tiles, tilesheet::Digit(digits[count - 1 - k]), at, y);
    }
    return drawn;
}

int DrawGlyph(Picture& frame, const Picture& tiles, char ch, std::uint32_t x, std::uint32_t y) {
    const auto tile = tilesheet::Glyph(ch);
    if (!tile)
        return 0;
    return DrawTile(frame, tiles, *tile, x, y);
}

} // namespace wz
