#include "KeyDefinition.h"

namespace wz {

bool KeyDefinition::Begin(ControlKeys& keys) {
    if (definingKeys) {
        return false;
    }
    defineStep = 0;
    definingKeys = 1;
    keys.fill(0);
    return true;
}

bool KeyDefinition::OnKeyEvent(ControlKeys& keys, std::uint32_t code, bool released,
                               bool autoRepeat) {
    if (released || autoRepeat || !definingKeys) {
        return false;
    }
    if (defineStep < 0 || defineStep >= static_cast<std::int32_t>(defineSlotOrder.size())) {
        definingKeys = 0;
        return false;
    }
    keys[defineSlotOrder[defineStep]] = static_cast<std::uint8_t>(code & 0xFFu);
    ++defineStep;
    if (defineStep == static_cast<std::int32_t>(defineSlotOrder.size())) {
        definingKeys = 0;
    }
    return true;
}

std::string_view KeyDefinition::Prompt() const {
    if (defineStep < 0 || defineStep >= static_cast<std::int32_t>(definePrompts.size())) {
        return {};
    }
    return definePrompts[defineStep];
}

} // namespace wz
