#pragma once

// A decoded image in the device-independent bitmap layout: headers, an optional colour table
// and a pixel array whose rows are stored bottom-up and padded to a multiple of 4 bytes.
//
// Pixel (x, y), with (0, 0) the top-left corner as displayed, begins at byte
// (height - 1 - y) * stride + x * bytesPerPixel of the pixel array: pixel (0, 0) is the first
// pixel of the last row in memory.

#include "BitmapInfo.h"
#include "BitmapLayout.h"
#include "PageMemory.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace wz {

class MessageBoxSink;

// Entries of the colour table a header calls for: biClrUsed when set, else 2^biBitCount up to
// 8 bits per pixel, else 0.
std::uint32_t ColourCountOf(const BitmapInfoHeader& header);

class Picture {
public:
    // Decodes JPEG bytes with libJpgToBmp. A failure shows the decoder's message box through
    // messages (when not null) and leaves the picture empty. The bytes are not kept.
    Picture(const std::uint8_t* bytes, std::uint32_t length, MessageBoxSink* messages);

    // Reads a file: a BMP file when isBitmapFile is non-zero, otherwise a JPEG file.
    Picture(const std::string& path, int isBitmapFile, MessageBoxSink* messages);

    // A black picture of width x height pixels at 24 bits per pixel; empty when a side is not
    // positive or larger than a bitmap file may be, or when there is no memory for it.
    Picture(std::int32_t width, std::int32_t height);

    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Gives everything back, headers included; the picture is empty afterwards. Safe to call
    // more than once.
    void Release();

    std::int32_t Width() const { return header ? header->biWidth : 0; }
    std::int32_t Height() const { return header ? header->biHeight : 0; }
    std::uint32_t Depth() const { return depth; }
    bool IsEmpty() const { return depth == 0; }

    // Null for a picture without headers: a BMP file that was refused, or after Release.
    const BitmapInfo* Info() const { return info ? &*info : nullptr; }
    const BitmapInfoHeader* Header() const { return header ? &*header : nullptr; }
    const std::uint8_t* ColourTable() const { return colourTable; }
    std::uint8_t* Pixels() { return pixels; }
    const std::uint8_t* Pixels() const { return pixels; }
    std::uint32_t Stride() const { return RowStride(Width(), depth); }
    // Bytes of the pixel array (biSizeImage of a decoded picture), 0 when empty.
    std::size_t PixelArraySize() const { return pixelBytes; }

    // ColourCountOf the header; 0 without one.
    std::uint32_t ColourCount() const;

    // The drawing operations return 1 when they copied and 0 when they refused; a refusal
    // leaves this picture unchanged. Positions are (x, y) from the top-left corner.

    // Replaces the whole pixel array with the source's; the two must agree in width, height
    // and depth.
    int CopyFrom(const Picture& source);

    // Copies the w x h rectangle at (sx, sy) of the source to (dx, dy) of this picture. Both
    // depths must be equal and usable, and the rectangle must lie wholly inside both pictures.
    int CopyRect(std::uint32_t dx, std::uint32_t dy, const Picture& source, std::uint32_t sx,
                 std::uint32_t sy, std::uint32_t w, std::uint32_t h);

    // As CopyRect, leaving out the source pixels that match the key. At depth 24 a pixel is
    // left out when each of its bytes (blue, green, red) is below the matching key byte + 50;
    // at depth 8 when it equals the low byte of key0.
    int CopyRectKeyed(std::uint32_t dx, std::uint32_t dy, const Picture& source, std::uint32_t sx,
                      std::uint32_t sy, std::uint32_t w, std::uint32_t h, std::uint32_t key0,
                      std::uint32_t key1, std::uint32_t key2);

    // Paints every pixel black (every byte 0). Returns 0 for an empty picture.
    int FillBlack();

private:
    void DecodeJpeg(const std::uint8_t* bytes, std::uint32_t length, MessageBoxSink* messages);
    void ReadBitmapFile(const std::string& path, MessageBoxSink* messages);
    void ReadJpegFile(const std::string& path, MessageBoxSink* messages);
    // Gives the picture zeroed headers for a decoder to fill in.
    void ClearHeaders();
    bool RectInside(std::uint32_t x, std::uint32_t y, std::uint32_t w, std::uint32_t h) const;

    // The rows of a copy: where each starts in both pictures, top row first.
    struct CopyRows {
        std::uint8_t* d = nullptr; // top row of the destination rectangle
        const std::uint8_t* s = nullptr;
        std::uint32_t dstStride = 0;
        std::uint32_t srcStride = 0;
        std::uint32_t bpp = 0;
        std::uint32_t count = 0; // rows to copy; 0 for an empty rectangle

        // Calls row(d, s) for each row, walking down the screen (back through memory).
        template <typename Row> void ForEach(Row&& row) const;
    };
    bool PrepareCopy(const Picture& source, std::uint32_t dx, std::uint32_t dy, std::uint32_t sx,
                     std::uint32_t sy, std::uint32_t w, std::uint32_t h, CopyRows& rows) const;

    // Named before private members took a trailing underscore; Picture.cpp and PictureFiles.cpp
    // use them throughout, so the rename is a change of its own.
    // NOLINTBEGIN(readability-identifier-naming)
    // The headers are the picture's own in every case (those of a BMP file are copied out of
    // it); both are present or both absent.
    std::optional<BitmapInfo> info;
    std::optional<BitmapInfoHeader> header;
    // colourTable and pixels point into pages: the pixel array of a decoded picture, or the
    // file after its file header (headers, colour table and pixels) for a BMP file.
    const std::uint8_t* colourTable = nullptr;
    std::uint8_t* pixels = nullptr;
    std::uint32_t depth = 0;
    PageBuffer pages;
    std::size_t pixelBytes = 0;
    // NOLINTEND(readability-identifier-naming)
};

} // namespace wz
