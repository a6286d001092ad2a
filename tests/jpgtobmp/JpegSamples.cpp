#include "JpegSamples.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>
#include <stdexcept>

namespace wz::test {

RgbImage TestPattern(int width, int height) {
    RgbImage image{width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image.rgb[(std::size_t(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(255 * x / std::max(1, width - 1));
            p[1] = static_cast<std::uint8_t>(255 * y / std::max(1, height - 1));
            p[2] = static_cast<std::uint8_t>(((x / 32 + y / 32) % 2) ? 200 : 40);
        }
    }
    return image;
}

const char* KindName(JpegKind kind) {
    switch (kind) {
    case JpegKind::Baseline420:
        return "Baseline420";
    case JpegKind::Baseline444:
        return "Baseline444";
    case JpegKind::Baseline422:
        return "Baseline422";
    case JpegKind::Grayscale:
        return "Grayscale";
    case JpegKind::Progressive:
        return "Progressive";
    case JpegKind::RestartIntervals:
        return "RestartIntervals";
    case JpegKind::Cmyk:
        return "Cmyk";
    }
    return "?";
}

std::vector<std::uint8_t> MakeJpeg(const RgbImage& image, JpegKind kind, int quality) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);

    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    int components = 3;
    if (kind == JpegKind::Grayscale) {
        cinfo.input_components = components = 1;
        cinfo.in_color_space = JCS_GRAYSCALE;
    } else if (kind == JpegKind::Cmyk) {
        cinfo.input_components = components = 4;
        cinfo.in_color_space = JCS_CMYK;
    } else {
        cinfo.input_components = 3;
        cinfo.in_color_space = JCS_RGB;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (components == 3) {
        // Luma sampling factors; chroma stays 1 x 1.
        const int h = kind == JpegKind::Baseline444 ? 1 : 2;
        const int v = (kind == JpegKind::Baseline444 || kind == JpegKind::Baseline422) ? 1 : 2;
        cinfo.comp_info[0].h_samp_factor = h;
        cinfo.comp_info[0].v_samp_factor = v;
    }
    if (kind == JpegKind::Progressive)
        jpeg_simple_progression(&cinfo);
    if (kind == JpegKind::RestartIntervals)
        cinfo.restart_interval = 3;

    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(std::size_t(image.width) * components);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* src = image.At(0, static_cast<int>(cinfo.next_scanline));
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = src + std::size_t{3} * x;
            if (components == 1) {
                row[x] = static_cast<std::uint8_t>((p[0] * 77 + p[1] * 150 + p[2] * 29) >> 8);
            } else if (components == 4) {
                row[4 * x + 0] = static_cast<std::uint8_t>(255 - p[0]);
                row[4 * x + 1] = static_cast<std::uint8_t>(255 - p[1]);
                row[4 * x + 2] = static_cast<std::uint8_t>(255 - p[2]);
                row[4 * x + 3] = 0;
            } else {
                row[3 * x + 0] = p[0];
                row[3 * x + 1] = p[1];
                row[3 * x + 2] = p[2];
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<std::uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&cinfo);
    std::free(out);
    return bytes;
}

std::optional<RgbImage> DecodeWithImageMagick(const std::vector<std::uint8_t>& jpeg) {
    TempDir dir;
    const std::string in = dir.File("in.jpg");
    const std::string out = dir.File("out.rgb");
    const std::string size = dir.File("size.txt");
    WriteFile(in, jpeg);
    const std::string command = "convert '" + in + "' -depth 8 rgb:'" + out +
                                "' 2>/dev/null && identify -format '%w %h' '" + in + "' > '" +
                                size + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    RgbImage image;
    std::ifstream dims(size);
    if (!(dims >> image.width >> image.height))
        return std::nullopt;
    image.rgb = ReadFile(out);
    if (image.rgb.size() != std::size_t(image.width) * image.height * 3)
        return std::nullopt;
    return image;
}

void WriteFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace wz::test
