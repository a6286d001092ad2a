#pragma once

#include "PictureSamples.h"

#include <JpegSamples.h>
#include <MessageBox.h>
#include <Picture.h>

#include <memory>
#include <string>
#include <vector>

namespace wz::test {

// Stands in for the user: records every box instead of showing it.
class RecordingMessages : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest& request) override { shown.push_back(request); }
    std::vector<MessageBoxRequest> shown;
};

// Writes the BMP bytes to a file in dir and reads it back as a picture.
inline std::unique_ptr<Picture> LoadBmp(const TempDir& dir, const std::vector<std::uint8_t>& file,
                                        MessageBoxSink* messages = nullptr) {
    static int serial = 0;
    const std::string path = dir.File("picture" + std::to_string(serial++) + ".bmp");
    WriteFile(path, file);
    return std::make_unique<Picture>(path, 1, messages);
}

// A 24-bit picture of one colour.
inline std::unique_ptr<Picture> SolidPicture(const TempDir& dir, int width, int height,
                                             Bgr colour) {
    return LoadBmp(dir, EncodeBmp(width, height, 24, [colour](int, int) { return colour; }));
}

// The colour of pixel (x, y), with (0, 0) at the top-left, of a 24-bit picture.
inline Bgr PixelOf(const Picture& picture, int x, int y) {
    const std::uint8_t* p =
        picture.Pixels() + std::size_t(picture.Height() - 1 - y) * picture.Stride() + 3 * x;
    return {p[0], p[1], p[2]};
}

inline bool operator==(const Bgr& a, const Bgr& b) {
    return a.b == b.b && a.g == b.g && a.r == b.r;
}

inline std::vector<std::uint8_t> PixelBytes(const Picture& picture) {
    return {picture.Pixels(), picture.Pixels() + picture.PixelArraySize()};
}

} // namespace wz::test
