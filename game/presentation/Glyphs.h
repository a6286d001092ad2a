#pragma once

// Text and numbers drawn with the glyph tiles of the tile sheet, each a keyed copy (key black)
// of 16 x 16 pixels into the frame.

#include <cstdint>

namespace wz {

class Picture;

// Draws the value in decimal, most significant digit at (x, y), the next 16 pixels to the
// right, and so on; no leading zeros, no fixed width. Negative values have no glyphs and draw
// nothing. Returns 1 when every digit was drawn.
int DrawNumber(Picture& frame, const Picture& tiles, std::int32_t value, std::uint32_t x,
               std::uint32_t y);

// Draws the glyph of one character at (x, y): "A" to "Z", "0" to "9", ":", ".", "+", "!" and
// "*" have one; any other character (a space, a lower-case letter) draws nothing. Returns 1
// when a glyph was drawn.
int DrawGlyph(Picture& frame, const Picture& tiles, char ch, std::uint32_t x, std::uint32_t y);

} // namespace wz
