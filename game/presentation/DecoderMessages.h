#pragma once

// The message boxes with which picture construction reports a failure.

#include <MessageBox.h>

namespace wz {

// The decoder's box: no owner, exclamation icon, the library's message in the title
// ("Error: <message>", cut to fit a 200-character buffer) and the single word "Error" as text.
MessageBoxRequest DecoderFailureMessage(const char* libraryMessage);

// The BMP reader's box, for a file that cannot be opened, read or used.
MessageBoxRequest BitmapFailureMessage();

} // namespace wz
