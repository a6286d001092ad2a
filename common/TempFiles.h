#pragma once

// The temporary files that hand the landing sound and the music to their players, which take
// file names. Each is made with a fresh unique name "tmpXXXXXX" in the temporary folder (TMPDIR,
// or /tmp when it is not set), readable and writable by the player's user only.

#include <cstdint>
#include <span>
#include <string>

namespace wz {

// The temporary folder.
std::string TempFolder();

// Makes a new empty temporary file and returns its path, or an empty string on failure.
std::string MakeTempFile();

// Writes bytes as the whole content of the file at path, creating it when it is missing.
// False when the file cannot be opened or not every byte reaches it.
bool WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes);

// Deletes the file; a missing file is no error.
void RemoveFile(const std::string& path);

} // namespace wz
