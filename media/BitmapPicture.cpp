#include "BitmapPicture.h"

#include "PictureLibrary.h"

#include "BitmapInfo.h"
#include "BitmapLayout.h"

namespace wz::media {

namespace {
constexpr std::size_t kFileHeaderSize = 14;
}

bool LooksLikeBitmap(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

std::string DecodeBitmap(std::span<const std::uint8_t> file, std::uint64_t maxPixels,
                         DecodedBitmap& bitmap) {
    bitmap = {};
    BitmapLayout layout;
    if (!LooksLikeBitmap(file) || file.size() < kFileHeaderSize ||
        !CheckBitmapLayout(file.data() + kFileHeaderSize, file.size() - kFileHeaderSize, layout))
        return "BMP file is damaged or of a kind this program does not read (only uncompressed "
               "24-bit and 8-bit files)";
    const std::uint8_t* data = file.data() + kFileHeaderSize;
    const BitmapInfoHeader header = LoadBitmapInfoHeader(data);
    const int width = header.biWidth;
    const int height = header.biHeight;
    if (static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) > maxPixels)
        return TooLargeLine(width, height);

    const std::uint8_t* colours = data + layout.colourTableOffset;
    const std::uint8_t* pixels = data + layout.pixelOffset;
    const std::size_t stride = RowStride(width, layout.depth);
    bitmap.width = width;
    bitmap.height = height;
    bitmap.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    std::uint8_t* out = bitmap.rgb.data();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + stride * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x, out += 3) {
            // Both depths keep their colours blue first; an index past the table reads black.
            const std::uint8_t* bgr = nullptr;
            if (layout.depth == 24)
                bgr = row + 3 * static_cast<std::size_t>(x);
            else if (row[x] < layout.colourCount)
                bgr = colours + 4 * static_cast<std::size_t>(row[x]);
            out[0] = bgr != nullptr ? bgr[2] : 0;
            out[1] = bgr != nullptr ? bgr[1] : 0;
            out[2] = bgr != nullptr ? bgr[0] : 0;
        }
    }
    return {};
}

} // namespace wz::media
