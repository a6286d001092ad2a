#pragma once

// The music of the default asset file: a title tune, one track per level and a final track.

#include "Composer.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace wz::content {

// The style of the track stored under a music stream name ("Titles", "Love1" to "Love20",
// "Win"), or nullptr for another name. A level track is written in the mood of the level that
// plays it, which is not always the level of its name (level 6 plays "Love18").
const SongStyle* FindSongStyle(std::u16string_view streamName);

// The Standard MIDI File of a music stream, or empty for an unknown name.
std::vector<std::uint8_t> MakeMusicTrack(std::u16string_view streamName);

} // namespace wz::content
