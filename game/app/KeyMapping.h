#pragma once

// Qt key events to the Windows virtual-key codes that the game's key bindings and the settings
// file store. The codes are those of a US PC keyboard: punctuation keys keep their 0xBA to 0xE2
// codes whether or not Shift is held, so a binding survives a change of the Shift state.

#include <cstdint>

class QKeyEvent;

namespace wz {

// The facts of one key press that decide its code. keypad is true for keys of the numeric keypad
// (Qt's keypad modifier); nativeScanCode is the platform's key code where it has one (the X11
// key code), 0 otherwise.
struct KeyPress {
    int qtKey = 0;
    bool keypad = false;
    std::uint32_t nativeScanCode = 0;
};

// The virtual-key code of the press, or 0 for a key that has none.
int VirtualKeyFor(const KeyPress& press);

int VirtualKeyFor(const QKeyEvent& event);

} // namespace wz
