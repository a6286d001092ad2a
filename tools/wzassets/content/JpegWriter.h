#pragma once

// Encodes a canvas as a baseline JPEG file with libturbojpeg.

#include "Canvas.h"

#include <cstdint>
#include <vector>

namespace wz::content {

enum class ChromaSampling {
    Full,   // 4:4:4, for sharp coloured edges such as glyphs
    Halved, // 4:2:0, for photographs and gradients
};

// Returns the complete file, or an empty vector if the encoder failed (it only fails when it
// cannot allocate). The output depends only on the pixels and the settings.
std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality, ChromaSampling sampling);

} // namespace wz::content
