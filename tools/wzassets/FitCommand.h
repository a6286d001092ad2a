#pragma once

// `wzassets fit IN OUT [--crop attention|centre|X,Y,W,H] [--quality N]` (RunFit, with the other
// commands in WzAssets.h): the game picture for one file of any picture format; and the
// fitting that `build --fit` applies to the backgrounds it collected.

#include "BuildCommand.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace wz::assets {

// Fits every background taken from a file that is not already a game picture (the tile sheet
// keeps its own layout and is never fitted), with the attention crop. Prints one line per
// fitted file on out. On failure returns false with error set, naming the file.
bool FitBackgrounds(std::vector<BuiltElement>& elements, std::ostream& out, std::string& error);

// A build without --fit stores the author's files as they are: names on err, one line each,
// the backgrounds the game will not show.
void NoteUnfitBackgrounds(const std::vector<BuiltElement>& elements, std::ostream& err);

} // namespace wz::assets
