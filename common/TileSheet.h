#pragma once

// Where each tile lies on the tile sheet: the top-left corner and the size of its source
// rectangle. The screens draw from these positions and the asset generator paints the sheet
// to them, so both take them from here.

#include <cstdint>
#include <optional>

namespace wz::tilesheet {

struct TileRect {
    std::uint32_t x;
    std::uint32_t y;
    std::uint32_t w;
    std::uint32_t h;
};

inline constexpr std::uint32_t kMinWidth = 160;
inline constexpr std::uint32_t kMinHeight = 336;

inline constexpr std::uint32_t kGlyphSize = 16;
inline constexpr std::uint32_t kCellSize = 20;
inline constexpr int kCellColours = 6;

inline constexpr TileRect kSpeedLabel{0, 64, 80, 16};
inline constexpr TileRect kScoreLabel{0, 80, 80, 16};
inline constexpr TileRect kGameOverPanel{0, 128, 160, 144};
inline constexpr TileRect kPausePanel{0, 272, 160, 64};

// Digit d, 0 to 9, on the top row.
constexpr TileRect Digit(int d) {
    return {kGlyphSize * static_cast<std::uint32_t>(d), 0, kGlyphSize, kGlyphSize};
}

// The 20 x 20 cell tile of colour k, 1 to 6.
constexpr TileRect Cell(int k) {
    return {kCellSize * static_cast<std::uint32_t>(k - 1), 96, kCellSize, kCellSize};
}

// The glyph tile of a character, or nothing for a character without a glyph. Letters run in
// rows of ten: "A" to "J" at y 16, "K" to "T" at y 32, "U" to "Z" at y 48, followed on that
// row by ":", "." and "+"; "!" and "*" sit right of the speed label.
constexpr std::optional<TileRect> Glyph(char ch) {
    const auto tile = [](std::uint32_t x, std::uint32_t y) {
        return TileRect{x, y, kGlyphSize, kGlyphSize};
    };
    if (ch >= '0' && ch <= '9')
        return Digit(ch - '0');
    if (ch >= 'A' && ch <= 'Z') {
        const auto index = static_cast<std::uint32_t>(ch - 'A');
        return tile(kGlyphSize * (index % 10), 16 + kGlyphSize * (index / 10));
    }
    switch (ch) {
    case ':':
        return tile(112, 48);
    case '.':
        return tile(128, 48);
    case '+':
        return tile(144, 48);
    case '!':
        return tile(112, 64);
    case '*':
        return tile(128, 64);
    default:
        return std::nullopt;
    }
}

} // namespace wz::tilesheet
