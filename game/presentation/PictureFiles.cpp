// Building a picture from a file on disk: a BMP file read as it stands, or a JPEG file decoded.

#include "BitmapLayout.h"
#include "DecoderMessages.h"
#include "PageMemory.h"
#include "Picture.h"

#include <MessageBox.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace wz {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// Bounds on the files read whole: the largest BMP the reader accepts (16384 pixels a side at
// 24 bits, headers and a colour table) and a generous JPEG size.
constexpr long long kMaxBitmapFileSize = 820ll * 1024 * 1024;
constexpr long long kMaxJpegFileSize = 256ll * 1024 * 1024;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The size of an open file, or -1.
long long FileSize(std::FILE* f) {
    if (std::fseek(f, 0, SEEK_END) != 0)
        return -1;
    const long size = std::ftell(f);
    if (size < 0 || std::fseek(f, 0, SEEK_SET) != 0)
        return -1;
    return size;
}

bool ReadExactly(std::FILE* f, void* into, std::size_t bytes) {
    return std::fread(into, 1, bytes, f) == bytes;
}

} // namespace

void Picture::ReadBitmapFile(const std::string& path, MessageBoxSink* messages) {
    const auto refuse = [messages] {
        if (messages != nullptr)
            messages->ShowMessage(BitmapFailureMessage());
    };
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        refuse();
        return;
    }
    const long long fileSize = FileSize(file.get());
    std::uint8_t fileHeader[kFileHeaderSize];
    if (fileSize < static_cast<long long>(kFileHeaderSize) || fileSize > kMaxBitmapFileSize ||
        !ReadExactly(file.get(), fileHeader, sizeof fileHeader) || fileHeader[0] != 'B' ||
        fileHeader[1] != 'M') {
        refuse();
        return;
    }
    PageBuffer buffer = PageBuffer::Allocate(static_cast<std::size_t>(fileSize) - kFileHeaderSize);
    BitmapLayout layout;
    if (buffer.IsEmpty() || !ReadExactly(file.get(), buffer.Data(), buffer.Size()) ||
        !CheckBitmapLayout(buffer.Data(), buffer.Size(), layout)) {
        refuse();
        return;
    }
    file.reset();

    // The headers are copied out of the file; the colour table and the pixels stay in its
    // buffer. The layout check saw at least a header and a 4-byte row, so the 44 bytes of info
    // are there. The file header's pixel-offset field is not consulted: the pixels follow the
    // colour table directly.
    BitmapInfo fileInfo{};
    fileInfo.bmiHeader = LoadBitmapInfoHeader(buffer.Data());
    std::copy_n(buffer.Data() + sizeof(BitmapInfoHeader), sizeof fileInfo.bmiColors,
                fileInfo.bmiColors);
    if (fileInfo.bmiHeader.biClrUsed == 0)
        fileInfo.bmiHeader.biClrUsed = ColourCountOf(fileInfo.bmiHeader);
    info = fileInfo;
    header = fileInfo.bmiHeader;
    pages = std::move(buffer);
    colourTable = pages.Data() + layout.colourTableOffset;
    pixels = pages.Data() + layout.pixelOffset;
    pixelBytes = layout.pixelBytes;
    depth = layout.depth;
}

void Picture::ReadJpegFile(const std::string& path, MessageBoxSink* messages) {
    // A JPEG file that cannot be opened or read leaves the picture empty without a message.
    File file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return;
    const long long fileSize = FileSize(file.get());
    if (fileSize < 0 || fileSize > kMaxJpegFileSize)
        return;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(fileSize));
    if (!ReadExactly(file.get(), bytes.data(), bytes.size()))
        return;
    file.reset();
    DecodeJpeg(bytes.data(), static_cast<std::uint32_t>(bytes.size()), messages);
}

} // namespace wz
