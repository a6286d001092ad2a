#include "JpegWriter.h"

#include <turbojpeg.h>

namespace wz::content {

std::vector<std::uint8_t> EncodeJpeg(const Canvas& canvas, int quality, ChromaSampling sampling) {
    std::vector<std::uint8_t> out;
    tjhandle handle = tjInitCompress();
    if (handle == nullptr) {
        return out;
    }
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    int subsampling = sampling == ChromaSampling::Full ? TJSAMP_444 : TJSAMP_420;
    // The accurate DCT keeps flat dark backgrounds flat, which the black key relies on.
    int rc = tjCompress2(handle, canvas.Data(), canvas.Width(), canvas.Width() * 3, canvas.Height(),
                         TJPF_RGB, &jpeg, &size, subsampling, quality, TJFLAG_ACCURATEDCT);
    if (rc == 0 && jpeg != nullptr) {
        out.assign(jpeg, jpeg + size);
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return out;
}

} // namespace wz::content
