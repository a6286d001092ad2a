#pragma once

// The game's own pictures outside the asset file: the program icon and the 250 x 224 picture
// of the About dialog. Both are drawn here rather than stored, so they need no files.

#include <QIcon>
#include <QImage>

namespace wz {

inline constexpr int kAboutPictureWidth = 250;
inline constexpr int kAboutPictureHeight = 224;

// The icon at 16, 24, 32, 48, 64 and 128 pixels: a falling piece over a well of blocks.
QIcon GameIcon();
// One size of the icon.
QImage GameIconImage(int size);

// The About picture, 24 bits per pixel.
QImage AboutPicture();

} // namespace wz
