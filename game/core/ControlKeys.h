#pragma once

// The five bindable game keys, their defaults and their display names.

#include <array>
#include <cstdint>
#include <string_view>

namespace wz {

// Slots of controlKeys, in the order the settings file stores them.
inline constexpr int kDownSlot = 0;   // one row down
inline constexpr int kDropSlot = 1;   // fall until landing
inline constexpr int kLeftSlot = 2;   // one column left
inline constexpr int kRightSlot = 3;  // one column right
inline constexpr int kRotateSlot = 4; // a quarter turn; also confirms a finished level or game
inline constexpr int kControlKeyCount = 5;

// Virtual-key codes; 0 leaves a slot unbound. Several slots may hold the same key.
using ControlKeys = std::array<std::uint8_t, kControlKeyCount>;

// The Up arrow steps the piece down and the Down arrow drops it.
inline constexpr ControlKeys defaultControlKeys = {0x26, 0x28, 0x25, 0x27, 0x20};

// True when the pressed key is the one bound in slot. An unbound slot matches no key.
constexpr bool KeyMatches(const ControlKeys& keys, int slot, std::uint32_t pressed) {
    return keys[slot] != 0 && pressed == keys[slot];
}

struct KeyNameEntry {
    std::uint8_t code;
    std::string_view name;
};

// The keys that have a written name; every other key shows as its own character.
inline constexpr std::array<KeyNameEntry, 13> keyNames = {{
    {0x00, "-----"},
    {0x08, "BACK"},
    {0x09, "TAB"},
    {0x10, "SHIFT"},
    {0x11, "CONTROL"},
    {0x12, "ALT"},
    {0x14, "CAPITAL"},
    {0x1B, "ESCAPE"},
    {0x20, "SPACE"},
    {0x25, "LEFT"},
    {0x26, "UP"},
    {0x27, "RIGHT"},
    {0x28, "DOWN"},
}};

// The display text of a key code: its written name, or else a one-character text holding the
// code itself as a character of the game's 8-bit code page (Windows-1251), so letter keys show
// their capital and digit keys their digit. The text lives for the whole run.
std::string_view KeyName(std::uint8_t code);

} // namespace wz
