#pragma once

// Identifiers of the game's menu commands. Commands queued by the game itself use the same
// numbers.

#include <cstdint>

namespace wz {

inline constexpr std::uint32_t kCommandStartNewGame = 40001;
inline constexpr std::uint32_t kCommandPauseGame = 40002;
inline constexpr std::uint32_t kCommandGameSpeed = 40003;
inline constexpr std::uint32_t kCommandExitGame = 40004;
inline constexpr std::uint32_t kCommandAbout = 40005;
inline constexpr std::uint32_t kCommandSound = 40008;
inline constexpr std::uint32_t kCommandMusic = 40009;
inline constexpr std::uint32_t kCommandControl = 40010;

} // namespace wz
