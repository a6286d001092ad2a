#pragma once

// File-level steps around the asset file: its read-only mark and the final move of the
// compacted scratch copy over it.

#include "OutputFile.h"

#include <filesystem>

namespace wz {

// Makes the file writable for its owner when it is not; other permission bits stay.
// False when the file does not exist or its mode cannot be changed.
bool RemoveReadOnlyMark(const std::filesystem::path& file);

// Moves scratch over target in one atomic rename, so that a failure or crash leaves either the
// old or the new complete file under the target's name, never neither. The scratch copy takes
// the target's permissions and reaches the disk before the rename. Throws
// std::filesystem::filesystem_error on failure; target is then untouched.
void MoveOver(const std::filesystem::path& scratch, const std::filesystem::path& target);

} // namespace wz
