#pragma once

// PixelFont: the hand-drawn 5 × 7 bitmap font that every text of the default content is set
// in. Drawing our own glyphs keeps the pictures identical on every machine, whatever fonts it
// has installed.

#include "Canvas.h"

#include <string_view>

namespace wz::content {

inline constexpr int kGlyphColumns = 5;
inline constexpr int kGlyphRows = 7;

// The rows of a glyph, top first; bit 4 of each row is the leftmost column. Null for a
// character the font does not have (the space has an empty glyph).
const std::uint8_t* FindGlyph(char c);

struct TextStyle {
    int scale = 2;                // each font pixel becomes scale × scale pixels
    Colour top{255, 255, 255};    // fill colour at the top of a glyph
    Colour bottom{255, 255, 255}; // and at its bottom, blended in between
    bool outline = false;         // a one-pixel border around every stroke
    Colour outlineColour{0, 0, 0};
    int shadow = 0; // offset of a drop shadow, 0 for none
    Colour shadowColour{0, 0, 0};
    float shadowAlpha = 0.6f;
};

// Strokes shaded from top to bottom inside a one-pixel border of the outline colour.
TextStyle OutlinedStyle(int scale, Colour top, Colour bottom, Colour outline);

// Width in pixels of a text: six font columns per character, less the last gap.
int TextWidth(std::string_view text, int scale);

// Draws text with its top-left corner at (x, y); unknown characters leave a gap.
void DrawText(Canvas& canvas, int x, int y, std::string_view text, const TextStyle& style);

// Draws text horizontally centred on the canvas.
void DrawTextCentred(Canvas& canvas, int y, std::string_view text, const TextStyle& style);

} // namespace wz::content
