#pragma once

// The Windows virtual-key codes the game uses. The game keeps these codes throughout (the
// settings file stores them), and the window maps its toolkit's keys onto them.

#include <cstdint>

namespace wz {

inline constexpr std::uint32_t VK_BACK = 0x08;
inline constexpr std::uint32_t VK_TAB = 0x09;
inline constexpr std::uint32_t VK_SHIFT = 0x10;
inline constexpr std::uint32_t VK_CONTROL = 0x11;
inline constexpr std::uint32_t VK_MENU = 0x12; // Alt
inline constexpr std::uint32_t VK_CAPITAL = 0x14;
inline constexpr std::uint32_t VK_ESCAPE = 0x1B;
inline constexpr std::uint32_t VK_SPACE = 0x20;
inline constexpr std::uint32_t VK_LEFT = 0x25;
inline constexpr std::uint32_t VK_UP = 0x26;
inline constexpr std::uint32_t VK_RIGHT = 0x27;
inline constexpr std::uint32_t VK_DOWN = 0x28;
// Letter keys have the code of their capital letter, digit keys that of their digit.
inline constexpr std::uint32_t VK_KEY_L = 0x4C;
inline constexpr std::uint32_t VK_KEY_P = 0x50;

} // namespace wz
