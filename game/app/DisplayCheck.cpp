#include "DisplayCheck.h"

#include "ErrorLine.h"

#include <string>

namespace wz {

MessageBoxRequest DisplayTooShallowMessage() {
    return {"Error initialize display",
            "Error: You must have more than 256 colors\n               for play this Game !!!\n\n"
            "Set Hi-Color or True-Color videomode !!!",
            MessageIcon::Exclamation, MessageOwner::None};
}

bool CheckDisplayDepth(int bitsPerPixel, MessageBoxSink& messages) {
    if (bitsPerPixel > 8) {
        return true;
    }
    WriteErrorLine("fatal error: the display has " + std::to_string(bitsPerPixel) +
                   " bits per pixel; the game needs more than 256 colours");
    messages.ShowMessage(DisplayTooShallowMessage());
    return false;
}

} // namespace wz
