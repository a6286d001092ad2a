#include "ScaledJpeg.h"

#include <turbojpeg.h>

namespace wz::media {

namespace {

// The largest of libjpeg-turbo's shrinks that still leaves `scale` of the size.
int ShrinkFor(double scale) {
    for (const int shrink : {8, 4, 2}) {
        if (1.0 / shrink >= scale)
            return shrink;
    }
    return 1;
}

} // namespace

bool DecodeJpegAtScale(std::span<const std::uint8_t> file, double scale, std::uint64_t maxPixels,
                       ScaledJpeg& jpeg) {
    jpeg = {};
    tjhandle decoder = tjInitDecompress();
    if (decoder == nullptr)
        return false;
    const auto size = static_cast<unsigned long>(file.size());
    int fullWidth = 0, fullHeight = 0, subsampling = 0, colourspace = 0;
    bool ok =
        tjDecompressHeader3(decoder, file.data(), size, &fullWidth, &fullHeight, &subsampling,
                            &colourspace) == 0 &&
        colourspace != TJCS_CMYK && colourspace != TJCS_YCCK &&
        static_cast<std::uint64_t>(fullWidth) * static_cast<std::uint64_t>(fullHeight) <= maxPixels;
    if (ok) {
        const tjscalingfactor factor{1, ShrinkFor(scale)};
        jpeg.width = TJSCALED(fullWidth, factor);
        jpeg.height = TJSCALED(fullHeight, factor);
        jpeg.bands = colourspace == TJCS_GRAY ? 1 : 3;
        jpeg.pixels.resize(static_cast<std::size_t>(jpeg.width) *
                           static_cast<std::size_t>(jpeg.height) *
                           static_cast<std::size_t>(jpeg.bands));
        // A warning fails the decode too: libvips then judges the file.
        ok = tjDecompress2(decoder, file.data(), size, jpeg.pixels.data(), jpeg.width, 0,
                           jpeg.height, jpeg.bands == 1 ? TJPF_GRAY : TJPF_RGB, 0) == 0;
    }
    tjDestroy(decoder);
    if (!ok)
        jpeg = {};
    return ok;
}

} // namespace wz::media
