#pragma once

// The game draws in true colour and refuses displays of 256 colours or fewer.

#include "MessageBox.h"

namespace wz {

// The box shown, without an owner, before the program gives up on such a display.
MessageBoxRequest DisplayTooShallowMessage();

// True when a display of this many bits per pixel can show the game; otherwise shows the box
// and returns false.
bool CheckDisplayDepth(int bitsPerPixel, MessageBoxSink& messages);

} // namespace wz
