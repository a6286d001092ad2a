#pragma once

// The game draws in a frame of 296 x 432 pixels, and every background picture of the asset
// file has exactly that size: the editor checks, the tool generates and fits pictures to it.

#include <cstdint>

namespace wz {

inline constexpr std::int32_t kFrameWidth = 296;
inline constexpr std::int32_t kFrameHeight = 432;

} // namespace wz
