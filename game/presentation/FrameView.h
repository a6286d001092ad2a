#pragma once

// What the game window needs to present the frame: its size and its pixels, read-only. The
// rows are bottom-up, blue-green-red, stride bytes apart; the window flips them as it draws.

#include <cstdint>

namespace wz {

class Picture;

struct FrameView {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint32_t stride = 0;
    const std::uint8_t* pixels = nullptr; // null when there is nothing to show

    bool IsEmpty() const { return pixels == nullptr; }
};

// The view of a 24-bit picture; an empty view for any other picture (an empty one included),
// which the window shows as nothing.
FrameView ViewOf(const Picture& frame);

} // namespace wz
