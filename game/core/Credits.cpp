#include "Credits.h"

#include <string_view>
#include <utility>

namespace wz {

namespace {

// The rows that carry text; every other row is blank. A text shorter than the row is centred
// in it; full rows stand as written.
constexpr std::pair<int, std::string_view> creditTexts[] = {
    {3, "WINZOLVIK MAKERS"},   {5, "     PRESENT      "}, {7, "       THE        "},
    {9, "    GREAT GAME    "}, {11, "WINZOLVIK"},         {13, "   2001 EDITION   "},
    {21, "PROGRAM AND ART"},   {23, "BY THE WZ TEAM"},    {25, "THANK YOU FOR"},
    {27, "PLAYING!"},          {29, "*** HAVE FUN ***"},  {40, "    HIGH SCORE:   "},
};

} // namespace

CreditsLines DefaultCreditsLines() {
    CreditsLines lines{};
    for (CreditsLine& line : lines) {
        line.fill(' ');
        line[kCreditsRowLength] = '\0';
    }
    for (const auto& [row, text] : creditTexts) {
        const std::size_t start = (kCreditsRowLength - text.size()) / 2;
        text.copy(lines[row].data() + start, text.size());
    }
    return lines;
}

} // namespace wz
