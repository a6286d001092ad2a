#pragma once

// The tile sheet "Titles": glyphs, labels, cell tiles and panels that the game copies into its
// frame, painted to the positions of TileSheet.h. Everything that is not a tile stays black,
// and so does the background of every glyph, label and panel, since the game draws those with
// a black key.

#include "Canvas.h"

namespace wz::content {

inline constexpr int kTileSheetWidth = 160;
inline constexpr int kTileSheetHeight = 336;

// The characters that have a glyph on the sheet.
inline constexpr const char* kSheetGlyphs = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ:.+!*";

Canvas MakeTileSheet();

// One cell tile on its own, for the icons and the title picture.
Canvas MakeCellTile(int colour, int size);

} // namespace wz::content
