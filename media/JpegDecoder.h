#pragma once

// libJpgToBmp's two calls with their information record read through its fields. The record's
// first 40 bytes are a BITMAPINFOHEADER describing the picture as it will be decoded; the
// other 12 belong to the library and go back to it unchanged.

#include "BitmapInfo.h"

#include <JpgToBmp.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace wz::media {

class JpegDecoder {
public:
    // Reads the JPEG header. False when the decoder refuses the bytes; Message() says why and
    // Header() is zero apart from biSize.
    bool ReadInfo(std::span<const std::uint8_t> bytes);

    // After ReadInfo: width, height (positive, rows bottom-up), 24 bits per pixel and
    // biSizeImage, the bytes of the decoded pixel array.
    const BitmapInfoHeader& Header() const { return header_; }

    // Decodes the same bytes into out, which must hold at least Header().biSizeImage bytes:
    // blue-green-red rows, bottom-up, each padded to a multiple of 4 bytes. False with
    // Message() on failure; a damaged picture fails as a whole.
    bool Decode(std::span<const std::uint8_t> bytes, std::uint8_t* out, std::size_t outSize);

    const std::string& Message() const { return message_; }

private:
    bool Refuse(const char* why);

    unsigned char record_[JPGTOBMP_INFO_SIZE] = {};
    BitmapInfoHeader header_{};
    std::string message_;
};

} // namespace wz::media
