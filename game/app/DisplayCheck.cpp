#include "DisplayCheck.h"

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
    messages.ShowMessage(DisplayTooShallowMessage());
    return false;
}

} // namespace wz
