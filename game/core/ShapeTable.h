#pragma once

// The seven shapes of the game, each in four rotations. A rotation is a 4 x 4 mask stored row
// by row from the top; 1 marks an occupied cell. Rotation n + 1 is rotation n turned a quarter
// clockwise.

#include <array>
#include <cstdint>

namespace wz {

inline constexpr int kShapeCount = 7;
inline constexpr int kRotationCount = 4;
inline constexpr int kMaskSize = 4;

using ShapeMask = std::array<std::int32_t, kMaskSize * kMaskSize>;
using ShapeRotations = std::array<ShapeMask, kRotationCount>;

namespace detail {

struct MaskCell {
    int row;
    int column;
};

constexpr ShapeMask MakeMask(std::array<MaskCell, 4> cells) {
    ShapeMask mask{};
    for (const MaskCell& cell : cells) {
        mask[cell.row * kMaskSize + cell.column] = 1;
    }
    return mask;
}

} // namespace detail

// Written as the (mask row, mask column) of the four occupied cells of each rotation.
inline constexpr std::array<ShapeRotations, kShapeCount> ShapeTable = {{
    // 0: square
    {{detail::MakeMask({{{0, 1}, {0, 2}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {0, 2}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {0, 2}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {0, 2}, {1, 1}, {1, 2}}})}},
    // 1: bar
    {{detail::MakeMask({{{0, 0}, {0, 1}, {0, 2}, {0, 3}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {2, 1}, {3, 1}}}),
      detail::MakeMask({{{0, 0}, {0, 1}, {0, 2}, {0, 3}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {2, 1}, {3, 1}}})}},
    // 2: T, nub right, down, left, up
    {{detail::MakeMask({{{0, 1}, {1, 1}, {1, 2}, {2, 1}}}),
      detail::MakeMask({{{1, 0}, {1, 1}, {1, 2}, {2, 1}}}),
      detail::MakeMask({{{0, 1}, {1, 0}, {1, 1}, {2, 1}}}),
      detail::MakeMask({{{0, 1}, {1, 0}, {1, 1}, {1, 2}}})}},
    // 3: J
    {{detail::MakeMask({{{0, 0}, {0, 1}, {0, 2}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {2, 0}, {2, 1}}}),
      detail::MakeMask({{{0, 0}, {1, 0}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {0, 2}, {1, 1}, {2, 1}}})}},
    // 4: L
    {{detail::MakeMask({{{0, 2}, {1, 0}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {2, 1}, {2, 2}}}),
      detail::MakeMask({{{0, 0}, {0, 1}, {0, 2}, {1, 0}}}),
      detail::MakeMask({{{0, 0}, {0, 1}, {1, 1}, {2, 1}}})}},
    // 5: S
    {{detail::MakeMask({{{0, 1}, {0, 2}, {1, 0}, {1, 1}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {1, 2}, {2, 2}}}),
      detail::MakeMask({{{0, 1}, {0, 2}, {1, 0}, {1, 1}}}),
      detail::MakeMask({{{0, 1}, {1, 1}, {1, 2}, {2, 2}}})}},
    // 6: Z
    {{detail::MakeMask({{{0, 0}, {0, 1}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 2}, {1, 1}, {1, 2}, {2, 1}}}),
      detail::MakeMask({{{0, 0}, {0, 1}, {1, 1}, {1, 2}}}),
      detail::MakeMask({{{0, 2}, {1, 1}, {1, 2}, {2, 1}}})}},
}};

} // namespace wz
