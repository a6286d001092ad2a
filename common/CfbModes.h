#pragma once

// The engine's open modes, with the values of the structured-storage flags they stand for; a
// header of their own, so that CompoundStorage names them without the whole engine.

#include <cstdint>

namespace cfb {

inline constexpr std::uint32_t kModeRead = 0x0;
inline constexpr std::uint32_t kModeReadWrite = 0x2;
inline constexpr std::uint32_t kShareExclusive = 0x10;
inline constexpr std::uint32_t kShareDenyWrite = 0x20;
inline constexpr std::uint32_t kModeCreate = 0x1000;

} // namespace cfb
