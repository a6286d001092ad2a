#include "FrameView.h"

#include "Picture.h"

namespace wz {

FrameView ViewOf(const Picture& frame) {
    if (frame.Depth() != 24 || frame.Pixels() == nullptr)
        return {};
    return {frame.Width(), frame.Height(), frame.Stride(), frame.Pixels()};
}

} // namespace wz
