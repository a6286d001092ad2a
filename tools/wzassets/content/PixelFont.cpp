#include "PixelFont.h"

#include <algorithm>
#include <array>

namespace wz::content {

namespace {

struct GlyphArt {
    char c;
    const char* art; // seven rows of five cells, '#' for ink, rows separated by '|'
};

// Drawn by hand on a 5 × 7 grid with strokes one cell wide, so that at any integer scale the
// strokes stay as thick as the gaps between them and survive JPEG compression.
constexpr GlyphArt kGlyphArt[] = {
    {'0', ".###.|#...#|#..##|#.#.#|##..#|#...#|.###."},
    {'1', "..#..|.##..|..#..|..#..|..#..|..#..|.###."},
    {'2', ".###.|#...#|....#|...#.|..#..|.#...|#####"},
    {'3', "#####|...#.|..#..|...#.|....#|#...#|.###."},
    {'4', "...#.|..##.|.#.#.|#..#.|#####|...#.|...#."},
    {'5', "#####|#....|####.|....#|....#|#...#|.###."},
    {'6', "..##.|.#...|#....|####.|#...#|#...#|.###."},
    {'7', "#####|....#|...#.|..#..|.#...|.#...|.#..."},
    {'8', ".###.|#...#|#...#|.###.|#...#|#...#|.###."},
    {'9', ".###.|#...#|#...#|.####|....#|...#.|.##.."},
    {'A', ".###.|#...#|#...#|#####|#...#|#...#|#...#"},
    {'B', "####.|#...#|#...#|####.|#...#|#...#|####."},
    {'C', ".###.|#...#|#....|#....|#....|#...#|.###."},
    {'D', "###..|#..#.|#...#|#...#|#...#|#..#.|###.."},
    {'E', "#####|#....|#....|####.|#....|#....|#####"},
    {'F', "#####|#....|#....|####.|#....|#....|#...."},
    {'G', ".###.|#...#|#....|#.###|#...#|#...#|.####"},
    {'H', "#...#|#...#|#...#|#####|#...#|#...#|#...#"},
    {'I', ".###.|..#..|..#..|..#..|..#..|..#..|.###."},
    {'J', "..###|...#.|...#.|...#.|...#.|#..#.|.##.."},
    {'K', "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#"},
    {'L', "#....|#....|#....|#....|#....|#....|#####"},
    {'M', "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#"},
    {'N', "#...#|#...#|##..#|#.#.#|#..##|#...#|#...#"},
    {'O', ".###.|#...#|#...#|#...#|#...#|#...#|.###."},
    {'P', "####.|#...#|#...#|####.|#....|#....|#...."},
    {'Q', ".###.|#...#|#...#|#...#|#.#.#|#..#.|.##.#"},
    {'R', "####.|#...#|#...#|####.|#.#..|#..#.|#...#"},
    {'S', ".####|#....|#....|.###.|....#|....#|####."},
    {'T', "#####|..#..|..#..|..#..|..#..|..#..|..#.."},
    {'U', "#...#|#...#|#...#|#...#|#...#|#...#|.###."},
    {'V', "#...#|#...#|#...#|#...#|#...#|.#.#.|..#.."},
    {'W', "#...#|#...#|#...#|#.#.#|#.#.#|#.#.#|.#.#."},
    {'X', "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#"},
    {'Y', "#...#|#...#|.#.#.|..#..|..#..|..#..|..#.."},
    {'Z', "#####|....#|...#.|..#..|.#...|#....|#####"},
    {':', ".....|.##..|.##..|.....|.##..|.##..|....."},
    {'.', ".....|.....|.....|.....|.....|.##..|.##.."},
    {'+', ".....|..#..|..#..|#####|..#..|..#..|....."},
    {'!', "..#..|..#..|..#..|..#..|..#..|.....|..#.."},
    {'*', ".....|#.#.#|.###.|#####|.###.|#.#.#|....."},
    {'-', ".....|.....|.....|#####|.....|.....|....."},
    {',', ".....|.....|.....|.....|.##..|..#..|.#..."},
    {'\'', "..#..|..#..|.#...|.....|.....|.....|....."},
    {'?', ".###.|#...#|....#|...#.|..#..|.....|..#.."},
    {'/', "....#|....#|...#.|..#..|.#...|#....|#...."},
    {' ', ".....|.....|.....|.....|.....|.....|....."},
    {'i', "..#..|.....|.##..|..#..|..#..|..#..|.###."},
    {'n', ".....|.....|####.|#...#|#...#|#...#|#...#"},
    {'o', ".....|.....|.###.|#...#|#...#|#...#|.###."},
    {'l', ".##..|..#..|..#..|..#..|..#..|..#..|.###."},
    {'v', ".....|.....|#...#|#...#|#...#|.#.#.|..#.."},
    {'k', "#....|#....|#..#.|#.#..|##...|#.#..|#..#."},
};

struct GlyphEntry {
    char c;
    std::array<std::uint8_t, kGlyphRows> rows;
};

constexpr GlyphEntry Parse(const GlyphArt& g) {
    GlyphEntry e{g.c, {}};
    int row = 0;
    int col = 0;
    for (const char* p = g.art; *p != 0; ++p) {
        if (*p == '|') {
            ++row;
            col = 0;
            continue;
        }
        if (*p == '#') {
            e.rows[row] |= static_cast<std::uint8_t>(1 << (kGlyphColumns - 1 - col));
        }
        ++col;
    }
    return e;
}

constexpr auto kGlyphs = [] {
    std::array<GlyphEntry, std::size(kGlyphArt)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i] = Parse(kGlyphArt[i]);
    }
    return table;
}();

bool Ink(const std::uint8_t* glyph, int col, int row) {
    if (col < 0 || row < 0 || col >= kGlyphColumns || row >= kGlyphRows) {
        return false;
    }
    return (glyph[row] >> (kGlyphColumns - 1 - col)) & 1;
}

} // namespace

const std::uint8_t* FindGlyph(char c) {
    for (const GlyphEntry& g : kGlyphs) {
        if (g.c == c) {
            return g.rows.data();
        }
    }
    return nullptr;
}

TextStyle OutlinedStyle(int scale, Colour top, Colour bottom, Colour outline) {
    TextStyle s;
    s.scale = scale;
    s.top = top;
    s.bottom = bottom;
    s.outline = true;
    s.outlineColour = outline;
    return s;
}

int TextWidth(std::string_view text, int scale) {
    if (text.empty()) {
        return 0;
    }
    return static_cast<int>(text.size()) * (kGlyphColumns + 1) * scale - scale;
}

void DrawText(Canvas& canvas, int x, int y, std::string_view text, const TextStyle& style) {
    const int s = style.scale;
    const int height = kGlyphRows * s;
    // Three passes over the whole text, so that no shadow or outline of a later letter covers
    // an earlier letter's fill.
    for (int pass = 0; pass < 3; ++pass) {
        int penX = x;
        for (char c : text) {
            const std::uint8_t* glyph = FindGlyph(c);
            if (glyph != nullptr) {
                for (int py = -1; py <= height; ++py) {
                    for (int px = -1; px <= kGlyphColumns * s; ++px) {
                        int col = px >= 0 ? px / s : -1;
                        int row = py >= 0 ? py / s : -1;
                        bool ink = px >= 0 && py >= 0 && Ink(glyph, col, row);
                        if (pass == 0 && ink && style.shadow > 0) {
                            for (int k = 1; k <= style.shadow; ++k) {
                                canvas.Blend(penX + px + k, y + py + k, style.shadowColour,
                                             style.shadowAlpha);
                            }
                        } else if (pass == 1 && !ink && style.outline) {
                            // A border pixel touches a stroke pixel on one of its eight sides.
                            bool near = false;
                            for (int dy = -1; dy <= 1 && !near; ++dy) {
                                for (int dx = -1; dx <= 1 && !near; ++dx) {
                                    int qx = px + dx;
                                    int qy = py + dy;
                                    near = qx >= 0 && qy >= 0 && Ink(glyph, qx / s, qy / s);
                                }
                            }
                            if (near) {
                                canvas.Set(penX + px, y + py, style.outlineColour);
                            }
                        } else if (pass == 2 && ink) {
                            float t = height > 1 ? static_cast<float>(py) / (height - 1) : 0;
                            canvas.Set(penX + px, y + py, Mix(style.top, style.bottom, t));
                        }
                    }
                }
            }
            penX += (kGlyphColumns + 1) * s;
        }
    }
}

void DrawTextCentred(Canvas& canvas, int y, std::string_view text, const TextStyle& style) {
    int w = TextWidth(text, style.scale);
    DrawText(canvas, (canvas.Width() - w) / 2, y, text, style);
}

} // namespace wz::content
