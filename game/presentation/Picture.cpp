#include "Picture.h"

#include "BitmapLayout.h"
#include "DecoderMessages.h"
#include "PageMemory.h"

#include <JpegDecoder.h>
#include <MessageBox.h>

#include <cstring>
#include <utility>

namespace wz {

Picture::Picture(const std::uint8_t* bytes, std::uint32_t length, MessageBoxSink* messages) {
    ClearHeaders();
    DecodeJpeg(bytes, length, messages);
}

Picture::Picture(const std::string& path, int isBitmapFile, MessageBoxSink* messages) {
    if (isBitmapFile != 0) {
        ReadBitmapFile(path, messages);
    } else {
        ClearHeaders();
        ReadJpegFile(path, messages);
    }
}

Picture::Picture(std::int32_t width, std::int32_t height) {
    ClearHeaders();
    if (width <= 0 || height <= 0 || width > kMaxBitmapSide || height > kMaxBitmapSide)
        return;
    const std::size_t size = std::size_t{RowStride(width, 24)} * static_cast<std::size_t>(height);
    // Pages arrive zero-filled: the picture is black from the start.
    PageBuffer array = PageBuffer::Allocate(size);
    if (array.IsEmpty())
        return;
    *header = BitmapInfoHeader{sizeof(BitmapInfoHeader),         width, height, 1, 24, 0,
                               static_cast<std::uint32_t>(size), 0,     0,      0, 0};
    info->bmiHeader = *header;
    pages = std::move(array);
    pixelBytes = size;
    pixels = pages.Data();
    depth = 24;
}

void Picture::ClearHeaders() {
    info.emplace();
    header.emplace();
}

void Picture::Release() {
    info.reset();
    header.reset();
    colourTable = nullptr;
    pixels = nullptr;
    pages.Reset();
    pixelBytes = 0;
    depth = 0;
}

std::uint32_t ColourCountOf(const BitmapInfoHeader& header) {
    if (header.biClrUsed != 0)
        return header.biClrUsed;
    if (header.biBitCount <= 8)
        return 1u << header.biBitCount;
    return 0;
}

std::uint32_t Picture::ColourCount() const {
    return header ? ColourCountOf(*header) : 0;
}

void Picture::DecodeJpeg(const std::uint8_t* bytes, std::uint32_t length,
                         MessageBoxSink* messages) {
    const auto report = [messages](const char* text) {
        if (messages != nullptr)
            messages->ShowMessage(DecoderFailureMessage(text));
    };
    media::JpegDecoder decoder;
    const bool described = decoder.ReadInfo({bytes, length});
    std::memcpy(&info->bmiHeader, &decoder.Header(), sizeof(BitmapInfoHeader));
    *header = decoder.Header();
    if (!described) {
        report(decoder.Message().c_str());
        return;
    }
    // The pixel array is sized from the header, so check that the header describes a 24-bit
    // picture whose rows fit in it before anything is written there.
    const std::uint64_t needed = std::uint64_t{RowStride(header->biWidth, 24)} *
                                 static_cast<std::uint64_t>(header->biHeight);
    if (header->biBitCount != 24 || header->biWidth <= 0 || header->biHeight <= 0 ||
        header->biSizeImage < needed) {
        report("the decoder described the image inconsistently");
        return;
    }
    PageBuffer array = PageBuffer::Allocate(header->biSizeImage);
    if (array.IsEmpty())
        return;
    if (!decoder.Decode({bytes, length}, array.Data(), header->biSizeImage)) {
        report(decoder.Message().c_str());
        return;
    }
    if (header->biClrUsed == 0)
        header->biClrUsed = ColourCount();
    pages = std::move(array);
    pixelBytes = pages.Size();
    pixels = pages.Data();
    depth = 24;
}

} // namespace wz
