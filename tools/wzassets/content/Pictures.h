#pragma once

// The pictures of the default asset file, each a pure function of its name.

#include "Canvas.h"

namespace wz::content {

// The background of level 1 to 20, 296 × 432.
Canvas MakeLevelPicture(int level);
// The title picture, showing the game's name, 296 × 432.
Canvas MakeJacketPicture();
// The picture after the last level, congratulating the player, 296 × 432.
Canvas MakeWinPicture();
// The picture of the game's About dialog, 250 × 224.
Canvas MakeAboutPicture();
// A square icon of the game (a falling piece) or of the editor (a piece and a pencil).
enum class IconKind { Game, Editor };
Canvas MakeIcon(IconKind kind, int size);

} // namespace wz::content
