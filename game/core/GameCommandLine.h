#pragma once

// The game's command line: WinZolvik [--level N] [PACK]
//
//   PACK       an asset file to play in place of "WinData.stg" in the current folder
//   --level N  start a game at once at level N (1 to 20) instead of showing the title
//   --help     print the usage and stop
//
// "--level=N" is the same as "--level N", and "--" ends the options, so a pack whose name
// begins with "-" can still be given. Parsing needs nothing of the window system, so a bad
// argument is refused before any window exists.

#include <cstdint>
#include <string>
#include <vector>

namespace wz {

inline constexpr std::int32_t kFirstLevel = 1;
inline constexpr std::int32_t kLastLevel = 20;

struct GameCommandLine {
    // The asset file to play; empty for "WinData.stg" in the current folder.
    std::string pack;
    // The level a game starts at without the title screen; 0 for the title screen.
    std::int32_t startLevel = 0;
    bool help = false;
    // Why the arguments were refused, naming the argument, in one line; empty when taken.
    std::string error;

    bool operator==(const GameCommandLine&) const = default;
};

// arguments are those after the program's own name.
GameCommandLine ParseGameCommandLine(const std::vector<std::string>& arguments);

// The text --help prints, ending with a line break.
const char* GameUsageText();

} // namespace wz
