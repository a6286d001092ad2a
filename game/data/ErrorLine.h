#pragma once

// Errors that end the game are also told on the standard error stream, one line each, so that a
// terminal or a launcher's log shows why the game did not start even where the message box is
// never seen.

#include <string_view>

namespace wz {

// Writes "WinZolvik: " and text as one line; any line break or control character in text
// becomes a blank, so the line stays one.
void WriteErrorLine(std::string_view text);

} // namespace wz
