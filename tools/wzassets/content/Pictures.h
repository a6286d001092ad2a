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

} // namespace wz::content
