#pragma once

// Whether a file can take a slot's place in the game: the checks the asset tool runs on the
// stored elements, applied to the files the user drops and saves. A picture slot holds a
// background, a JPEG that libJpgToBmp decodes at the frame's size; a music slot holds a
// Standard MIDI File that parses and has notes to play.

#include "SlotLists.h"

#include <cstdint>
#include <span>
#include <string>

namespace wz {

// Empty when the bytes would play in the game in a slot of the kind; else one line that says
// why not, such as "picture is 640 x 480, the game needs 296 x 432" or "no notes".
std::string CheckSlotBytes(SlotKind kind, std::span<const std::uint8_t> bytes);

// Reads the file whole and checks it; a file that cannot be read fails with the reason. A file
// larger than kMaxCheckedFileSize is not read (a drop must not stall the editor or fill its
// memory): it fails as too large, and Save checks it once it has read it anyway.
std::string CheckSlotFile(SlotKind kind, const std::string& path);
inline constexpr std::uintmax_t kMaxCheckedFileSize = 64u << 20;

} // namespace wz
