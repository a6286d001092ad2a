// libJpgToBmp over libturbojpeg, which decodes straight into the DIB layout: blue-green-red
// pixels, bottom-up rows, any row pitch. Nothing is decoded into a buffer of our own first.

#include "JpgToBmp.h"

#include <turbojpeg.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

char g_strJpgMessage[JPGTOBMP_MESSAGE_SIZE] = "";

namespace {

// The library's own 12 bytes after the header: a tag, the length of the bytes the record was
// made for, and their width and height packed together, so that JpgToBmp notices a record
// that belongs to other bytes.
constexpr std::uint32_t kRecordTag = 0x3142544au; // "JTB1"
constexpr unsigned kHeaderSize = 40;

void SetMessage(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(g_strJpgMessage, JPGTOBMP_MESSAGE_SIZE, format, args);
    va_end(args);
}

void Put16(unsigned char* at, std::uint16_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void Put32(unsigned char* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(v >> (8 * i));
}

// One decompressor per thread, made on first use and kept: creating one costs several
// allocations, which would show up in every decode of a small picture. A decompressor that has
// failed is thrown away, since libjpeg leaves it in the middle of its work and the next image
// would then be misread.
struct Decompressor {
    tjhandle handle = nullptr;
    ~Decompressor() { Discard(); }
    void Discard() {
        if (handle != nullptr)
            tjDestroy(handle);
        handle = nullptr;
    }
};

thread_local Decompressor threadDecompressor;

tjhandle ThreadDecompressor() {
    if (threadDecompressor.handle == nullptr)
        threadDecompressor.handle = tjInitDecompress();
    if (threadDecompressor.handle == nullptr)
        SetMessage("The JPEG decoder could not be started: %s", tjGetErrorStr2(nullptr));
    return threadDecompressor.handle;
}

void DiscardThreadDecompressor() {
    threadDecompressor.Discard();
}

struct Geometry {
    int width = 0;
    int height = 0;
    std::uint32_t stride = 0;
    std::uint32_t sizeImage = 0;
};

// Reads and checks the header of the bytes. Writes the message and returns false when they
// cannot be decoded into blue-green-red pixels of a sane size.
bool ReadGeometry(tjhandle handle, const unsigned char* bytes, unsigned int length,
                  Geometry& geometry) {
    if (bytes == nullptr || length == 0) {
        SetMessage("No JPEG data was given");
        return false;
    }
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    // A header that only drew a warning (stray bytes between markers) is still readable.
    if (tjDecompressHeader3(handle, bytes, length, &width, &height, &subsampling, &colourspace) !=
            0 &&
        (tjGetErrorCode(handle) != TJERR_WARNING || width <= 0 || height <= 0)) {
        SetMessage("Not a readable JPEG image (%s)", tjGetErrorStr2(handle));
        DiscardThreadDecompressor();
        return false;
    }
    if (colourspace == TJCS_CMYK || colourspace == TJCS_YCCK) {
        SetMessage("CMYK JPEG images cannot be decoded to colour pixels");
        return false;
    }
    if (width <= 0 || height <= 0 || width > JPGTOBMP_MAX_SIDE || height > JPGTOBMP_MAX_SIDE) {
        SetMessage("JPEG image of %d x %d pixels is outside the supported size (1 to %d a side)",
                   width, height, JPGTOBMP_MAX_SIDE);
        return false;
    }
    // Within the bound above the sizes fit 32 bits: 16384 * 3 * 16384 < 2^32.
    geometry.width = width;
    geometry.height = height;
    geometry.stride = (static_cast<std::uint32_t>(width) * 3u + 3u) & ~3u;
    geometry.sizeImage = geometry.stride * static_cast<std::uint32_t>(height);
    return true;
}

// The thread's decoder once it has read the geometry of the bytes; null, with the message set,
// when there is no decoder or the bytes are not a picture it can decode.
tjhandle DecoderWithGeometry(const unsigned char* bytes, unsigned int length, Geometry& geometry) {
    tjhandle handle = ThreadDecompressor();
    if (handle == nullptr || !ReadGeometry(handle, bytes, length, geometry))
        return nullptr;
    return handle;
}

void WriteRecord(unsigned char* record, const Geometry& g, unsigned int length) {
    std::memset(record, 0, JPGTOBMP_INFO_SIZE);
    Put32(record + 0, kHeaderSize);                          // biSize
    Put32(record + 4, static_cast<std::uint32_t>(g.width));  // biWidth
    Put32(record + 8, static_cast<std::uint32_t>(g.height)); // biHeight, positive: bottom-up
    Put16(record + 12, 1);                                   // biPlanes
    Put16(record + 14, g.width > 0 ? 24 : 0);                // biBitCount
    Put32(record + 20, g.sizeImage);                         // biSizeImage
    // biCompression, the resolutions, biClrUsed and biClrImportant stay 0.
    Put32(record + 40, kRecordTag);
    Put32(record + 44, length);
    Put32(record + 48,
          static_cast<std::uint32_t>(g.width) << 16 ^ static_cast<std::uint32_t>(g.height));
}

// The warnings libjpeg gives when the entropy-coded data stops before the image is complete.
bool IsMissingData(const char* detail) {
    return detail != nullptr && (std::strstr(detail, "Premature end") != nullptr ||
                                 std::strstr(detail, "premature end") != nullptr);
}

} // namespace

extern "C" int GetJpgInfo(void* info, const unsigned char* bytes, unsigned int length) {
    if (info == nullptr) {
        SetMessage("No information record was given");
        return 0;
    }
    auto* record = static_cast<unsigned char*>(info);
    WriteRecord(record, Geometry{}, 0);
    Geometry geometry;
    if (DecoderWithGeometry(bytes, length, geometry) == nullptr)
        return 0;
    WriteRecord(record, geometry, length);
    return 1;
}

extern "C" int JpgToBmp(void* info, const unsigned char* bytes, unsigned int length,
                        unsigned char* out, unsigned int outSize) {
    if (info == nullptr) {
        SetMessage("No information record was given");
        return 0;
    }
    if (out == nullptr) {
        SetMessage("No output buffer was given");
        return 0;
    }
    // The geometry comes from the bytes themselves, never from the caller's record, so a stale
    // or altered record cannot make the decoder write past the buffer.
    Geometry geometry;
    tjhandle handle = DecoderWithGeometry(bytes, length, geometry);
    if (handle == nullptr)
        return 0;
    unsigned char expected[JPGTOBMP_INFO_SIZE];
    WriteRecord(expected, geometry, length);
    if (std::memcmp(expected, info, JPGTOBMP_INFO_SIZE) != 0) {
        SetMessage("The information record does not belong to these JPEG bytes");
        return 0;
    }
    if (outSize < geometry.sizeImage) {
        SetMessage("The output buffer of %u bytes is too small for the %u bytes of the image",
                   outSize, geometry.sizeImage);
        return 0;
    }
    // The first pass stops at any warning, so that a stream which ends early is caught:
    // otherwise libjpeg fills the missing part with grey (silently, for progressive files) and
    // the game would show a half picture as if it were whole. Other warnings are harmless
    // (stray bytes between markers, as some cameras write): the picture is decoded again
    // without stopping, and is whole.
    const int flags = TJFLAG_BOTTOMUP | TJFLAG_LIMITSCANS;
    if (tjDecompress2(handle, bytes, length, out, geometry.width, static_cast<int>(geometry.stride),
                      geometry.height, TJPF_BGR, flags | TJFLAG_STOPONWARNING) != 0) {
        const bool harmless =
            tjGetErrorCode(handle) == TJERR_WARNING && !IsMissingData(tjGetErrorStr2(handle));
        if (!harmless) {
            SetMessage("The JPEG image is damaged (%s)", tjGetErrorStr2(handle));
            DiscardThreadDecompressor();
            return 0;
        }
        // A decoder that stopped half-way is not trusted with anything again.
        DiscardThreadDecompressor();
        handle = ThreadDecompressor();
        if (handle == nullptr)
            return 0;
        const int again =
            tjDecompress2(handle, bytes, length, out, geometry.width,
                          static_cast<int>(geometry.stride), geometry.height, TJPF_BGR, flags);
        const bool fatal = again != 0 && tjGetErrorCode(handle) != TJERR_WARNING;
        if (fatal)
            SetMessage("The JPEG image is damaged (%s)", tjGetErrorStr2(handle));
        DiscardThreadDecompressor();
        if (fatal)
            return 0;
    }
    // The decoder leaves the padding at the end of each row alone; clear it so that the pixel
    // array is fully defined.
    const std::uint32_t used = static_cast<std::uint32_t>(geometry.width) * 3u;
    if (used != geometry.stride) {
        for (int row = 0; row < geometry.height; ++row)
            std::memset(out + static_cast<std::size_t>(row) * geometry.stride + used, 0,
                        geometry.stride - used);
    }
    return 1;
}
