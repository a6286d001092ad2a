#pragma once

// The definition of new control keys, one key after another, as the Control Keys dialog runs
// it. The dialog is only a shell around this: it starts a definition, routes every raw key
// event here while one runs (swallowing them all, so no key works the dialog meanwhile), shows
// the names and the prompt, and stops capturing once definingKeys drops back to 0.

#include "ControlKeys.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace wz {

// The prompt shown before each key is captured, and the closing line after the fifth.
inline constexpr std::array<std::string_view, 6> definePrompts = {
    "Press Left key", "Press Right key", "Press Rotate key",
    "Press Drop key", "Press Down key",  "Definition completed",
};

// The slot that the key captured at each step fills: Left, Right, Rotate, Drop, Down.
inline constexpr std::array<int, 5> defineSlotOrder = {kLeftSlot, kRightSlot, kRotateSlot,
                                                       kDropSlot, kDownSlot};

struct KeyDefinition {
    std::int32_t definingKeys = 0; // a definition runs and captures keys
    std::int32_t defineStep = 0;   // 0 to 5: keys captured so far

    // Starts a definition: every binding is cleared, and the first prompt is due. Does nothing
    // and returns false while a definition already runs.
    bool Begin(ControlKeys& keys);

    // The key capture could not be set up: the definition ends at once, with the bindings left
    // cleared.
    void Abandon() { definingKeys = 0; }

    // One raw key event while capturing. Releases and auto-repeats are ignored; a fresh press
    // binds the low 8 bits of code to the slot of the current step and moves to the next
    // prompt, and the fifth ends the definition. Returns true when a key was bound.
    bool OnKeyEvent(ControlKeys& keys, std::uint32_t code, bool released, bool autoRepeat);

    // The text for the prompt line.
    std::string_view Prompt() const;
};

// Puts the default bindings back. A definition that runs goes on with its next prompt.
inline void RestoreDefaultKeys(ControlKeys& keys) {
    keys = defaultControlKeys;
}

} // namespace wz
