#pragma once

// Where a game tried from the editor starts: at the level whose picture or track the author
// is looking at, so that a new picture for level 12 is seen without playing eleven levels.

#include <string>
#include <vector>

namespace wz {

// The level a game tried on the slot (index 0..21 of either list) starts at: picture or track
// N of a level plays level N, the final ones ("Win") play level 20, the level after which they
// are shown. 0 for the title screen: the jacket and the title music are seen there.
int TryLevel(int slot);

// The game's command line after its program name: "--level N PACK", or "PACK" alone for the
// title screen.
std::vector<std::string> TryArguments(int slot, const std::string& pack);

} // namespace wz
