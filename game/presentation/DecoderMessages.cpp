#include "DecoderMessages.h"

#include <cstdio>

namespace wz {

MessageBoxRequest DecoderFailureMessage(const char* libraryMessage) {
    char title[200];
    std::snprintf(title, sizeof title, "Error: %s", libraryMessage ? libraryMessage : "");
    return {title, "Error", MessageIcon::Exclamation, MessageOwner::None};
}

MessageBoxRequest BitmapFailureMessage() {
    return {"Not a bitmap file", "Error", MessageIcon::Exclamation, MessageOwner::None};
}

} // namespace wz
