#include "GameCommandLine.h"

#include <optional>
#include <string_view>

namespace wz {
namespace {

// Digits only: no sign, no blanks, no base prefix. Long strings of digits are refused before
// they could overflow.
std::optional<std::int32_t> ParseLevel(std::string_view text) {
    if (text.empty() || text.size() > 4) {
        return std::nullopt;
    }
    std::int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < kFirstLevel || value > kLastLevel) {
        return std::nullopt;
    }
    return value;
}

GameCommandLine Refused(std::string error) {
    GameCommandLine refused;
    refused.error = std::move(error);
    return refused;
}

} // namespace

GameCommandLine ParseGameCommandLine(const std::vector<std::string>& arguments) {
    GameCommandLine line;
    bool optionsEnded = false;
    bool packGiven = false;
    bool levelGiven = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (!isOption) {
            if (argument.empty()) {
                return Refused("an empty pack name");
            }
            if (packGiven) {
                return Refused("a second pack \"" + std::string(argument) + "\" (after \"" +
                               line.pack + "\"): only one can be played");
            }
            line.pack = argument;
            packGiven = true;
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            line.help = true;
            continue;
        }
        std::string_view value;
        if (argument == "--level") {
            if (i + 1 >= arguments.size()) {
                return Refused("--level without a level: give one from 1 to 20");
            }
            value = arguments[++i];
        } else if (argument.starts_with("--level=")) {
            value = argument.substr(8);
        } else {
            return Refused("unknown option \"" + std::string(argument) + "\"");
        }
        if (levelGiven) {
            return Refused("--level given twice");
        }
        const std::optional<std::int32_t> level = ParseLevel(value);
        if (!level) {
            return Refused("bad level \"" + std::string(value) +
                           "\" for --level: give one from 1 to 20");
        }
        line.startLevel = *level;
        levelGiven = true;
    }
    return line;
}

const char* GameUsageText() {
    return "Usage: WinZolvik [--level N] [PACK]\n"
           "Plays the falling-block puzzle game.\n"
           "\n"
           "  PACK        an asset file to play instead of \"WinData.stg\" in the current\n"
           "              folder. It is opened as \"WinData.stg\" is and never written.\n"
           "  --level N   start a game at once at level N (1 to 20), as if the levels before\n"
           "              it had been completed: score (N-1) x 1000, level N's picture and\n"
           "              music, and level N's fall speed. Such a game enters no high\n"
           "              score; games started later begin at level 1.\n"
           "  --help      print this text and stop\n"
           "\n"
           "Keys, speed, Sound, Music and the high scores belong to the player, not to the\n"
           "pack: they stay in \"WinZolvik.cfg\" in the current folder, whatever is played.\n"
           "A bad argument is reported on one line and ends the program with exit status 2.\n";
}

} // namespace wz
