#pragma once

// Pictures for the tests and benchmarks of the drawing code: JPEG and BMP files encoded here,
// a tile sheet whose every tile can be told apart, and a play screen composed as the game
// composes it. Header-only, so that the benchmarks can use it without the test build.

#include <Glyphs.h>
#include <Picture.h>
#include <ScreenLayout.h>
#include <TileSheet.h>

#include <turbojpeg.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace wz::test {

struct Bgr {
    std::uint8_t b, g, r;
};

// Encodes a 24-bit image given pixel by pixel (x, y from the top-left) as a high-quality JPEG.
template <typename PixelAt>
std::vector<std::uint8_t> EncodeJpeg(int width, int height, PixelAt pixelAt, int quality = 95) {
    std::vector<std::uint8_t> bgr(std::size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr p = pixelAt(x, y);
            std::uint8_t* at = &bgr[(std::size_t(y) * width + x) * 3];
            at[0] = p.b;
            at[1] = p.g;
            at[2] = p.r;
        }
    tjhandle handle = tjInitCompress();
    unsigned char* out = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(handle, bgr.data(), width, 0, height, TJPF_BGR, &out, &size,
                                   TJSAMP_444, quality, 0);
    std::vector<std::uint8_t> bytes;
    if (status == 0)
        bytes.assign(out, out + size);
    tjFree(out);
    tjDestroy(handle);
    if (status != 0)
        throw std::runtime_error("cannot encode a test JPEG");
    return bytes;
}

inline void PutLe(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A whole BMP file (file header, 40-byte info header, colour table, bottom-up rows). For 8
// bits per pixel pixelAt gives the index in b and the file carries `colours` table entries.
template <typename PixelAt>
std::vector<std::uint8_t> EncodeBmp(int width, int height, int bitCount, PixelAt pixelAt,
                                    std::uint32_t colours = 0) {
    const std::uint32_t bpp = bitCount == 8 ? 1 : 3;
    const std::uint32_t stride = (width * bpp + 3) & ~3u;
    const std::uint32_t tableEntries = colours != 0 ? colours : (bitCount == 8 ? 256 : 0);
    const std::size_t pixelOffset = 14 + 40 + 4 * tableEntries;
    std::vector<std::uint8_t> file(pixelOffset + std::size_t(stride) * height);
    file[0] = 'B';
    file[1] = 'M';
    PutLe(file, 2, static_cast<std::uint32_t>(file.size()), 4);
    PutLe(file, 10, static_cast<std::uint32_t>(pixelOffset), 4);
    PutLe(file, 14, 40, 4);
    PutLe(file, 18, static_cast<std::uint32_t>(width), 4);
    PutLe(file, 22, static_cast<std::uint32_t>(height), 4);
    PutLe(file, 26, 1, 2);
    PutLe(file, 28, static_cast<std::uint32_t>(bitCount), 2);
    PutLe(file, 34, stride * height, 4);
    PutLe(file, 46, colours, 4);
    for (std::uint32_t i = 0; i < tableEntries; ++i)
        PutLe(file, 54 + 4 * i, i * 0x010101u, 4); // a grey ramp
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr p = pixelAt(x, y);
            std::uint8_t* at = &file[pixelOffset + std::size_t(height - 1 - y) * stride + x * bpp];
            at[0] = p.b;
            if (bpp == 3) {
                at[1] = p.g;
                at[2] = p.r;
            }
        }
    return file;
}

// Every 16 x 16 cell of the sheet gets its own colour, bright enough never to match the black
// key, so a test can tell which tile was drawn where. The blue byte says the column, the green
// byte the row of the cell.
inline Bgr SheetColour(int x, int y) {
    return {static_cast<std::uint8_t>(60 + 10 * (x / 16)),
            static_cast<std::uint8_t>(40 + 8 * (y / 16)), 255};
}

// A sheet for the benchmarks: like the game's, half of every glyph, label and panel is the
// transparent black around the shapes.
inline Bgr GameLikeSheetColour(int x, int y) {
    if (y < 96 || y >= 128)
        if (((x / 3) + (y / 3)) % 2 == 0)
            return {0, 0, 0};
    return {static_cast<std::uint8_t>(40 + x), static_cast<std::uint8_t>(y / 2), 200};
}

inline Bgr BackgroundColour(int x, int y) {
    return {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y / 2),
            static_cast<std::uint8_t>((x + y) / 3)};
}

// The 18 x 12 cells of the well that the play screen draws, 0 for a free cell.
using WellCells = std::array<std::array<std::uint8_t, 12>, 18>;

inline WellCells FullWell() {
    WellCells cells{};
    for (int r = 0; r < 18; ++r)
        for (int c = 0; c < 12; ++c)
            cells[r][c] = static_cast<std::uint8_t>(1 + (r + c) % 6);
    return cells;
}

// The play screen, drawn in the order the game draws it.
inline void ComposePlayScreen(Picture& frame, const Picture& background, const Picture& tiles,
                              std::int32_t score, std::int32_t speed, const WellCells& cells,
                              bool gameOver) {
    namespace ts = tilesheet;
    namespace ly = layout;
    frame.CopyFrom(background);
    frame.CopyRectKeyed(ly::kSpeedLabel.x, ly::kSpeedLabel.y, tiles, ts::kSpeedLabel.x,
                        ts::kSpeedLabel.y, ts::kSpeedLabel.w, ts::kSpeedLabel.h, 0, 0, 0);
    frame.CopyRectKeyed(ly::kScoreLabel.x, ly::kScoreLabel.y, tiles, ts::kScoreLabel.x,
                        ts::kScoreLabel.y, ts::kScoreLabel.w, ts::kScoreLabel.h, 0, 0, 0);
    DrawNumber(frame, tiles, score, ly::kScoreDigits.x, ly::kScoreDigits.y);
    DrawNumber(frame, tiles, speed, ly::kSpeedDigits.x, ly::kSpeedDigits.y);
    for (int r = 0; r < ly::kWellRows; ++r)
        for (int c = ly::kFirstWellColumn; c <= ly::kLastWellColumn; ++c) {
            const int colour = cells[r][c - 1];
            if (colour == 0)
                continue;
            const auto tile = ts::Cell(colour);
            const auto at = ly::WellCell(r, c);
            frame.CopyRect(at.x, at.y, tiles, tile.x, tile.y, tile.w, tile.h);
        }
    if (gameOver)
        frame.CopyRectKeyed(ly::kGameOverPanel.x, ly::kGameOverPanel.y, tiles, ts::kGameOverPanel.x,
                            ts::kGameOverPanel.y, ts::kGameOverPanel.w, ts::kGameOverPanel.h, 0, 0,
                            0);
}

} // namespace wz::test
