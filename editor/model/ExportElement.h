#pragma once

// Export: the element a slot holds in the asset file, written to a file of the user's choice.
// The asset file is only read, shared with the running game; an element whose chain is broken
// or shares sectors with another is refused rather than written out wrong.

#include "MessageBox.h"
#include "SlotLists.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wz {

// The slot's element as a path in the asset file, such as "Images/Love3" or "Music/Titles".
std::string ElementPath(const SlotLists& lists, SlotKind kind, int slot);

// The file name offered for the slot's element: its stream name with ".jpg" or ".mid".
std::string ExportFileName(const SlotLists& lists, SlotKind kind, int slot);

// Reads the slot's element whole from the asset file, opened read-only so that a running game
// does not stand in the way. False, with the reason, when the file or the element cannot be
// read or the file's structure shows the element damaged.
bool ReadStoredElement(const std::filesystem::path& assetFile, const SlotLists& lists,
                       SlotKind kind, int slot, std::vector<std::uint8_t>& bytes,
                       std::string& reason);

// Export of one slot: reads the element and writes it whole to the target (see OutputFile.h),
// or shows why not. A target that is the asset file itself is refused: the element would
// take the place of the file it came from. True when the target holds the element.
bool ExportSlot(MessageBoxSink& messages, const std::filesystem::path& assetFile,
                const SlotLists& lists, SlotKind kind, int slot,
                const std::filesystem::path& target);

} // namespace wz
