// Decoding a 296 x 432 JPEG through libJpgToBmp against libturbojpeg's own tjDecompress2 of
// the same bytes into a plain top-down buffer.

#include "PairedTiming.h"

#include <PictureSamples.h>

#include <JpgToBmp.h>
#include <turbojpeg.h>

#include <cstring>
#include <vector>

namespace {

struct Decoders {
    std::vector<std::uint8_t> jpeg = wz::test::EncodeJpeg(296, 432, wz::test::BackgroundColour, 90);
    unsigned length = static_cast<unsigned>(jpeg.size());
    tjhandle handle = tjInitDecompress();
    std::vector<unsigned char> plain = std::vector<unsigned char>(std::size_t(296) * 432 * 3);

    ~Decoders() { tjDestroy(handle); }

    // The baseline: the handle is made once, the output is a plain top-down buffer.
    bool TurboDecode() {
        const int status =
            tjDecompress2(handle, jpeg.data(), length, plain.data(), 296, 0, 432, TJPF_BGR, 0);
        benchmark::DoNotOptimize(plain.data());
        return status == 0;
    }
};

void BM_DecodeAgainstTjDecompress2(benchmark::State& state) {
    Decoders d;
    unsigned char record[JPGTOBMP_INFO_SIZE];
    std::vector<unsigned char> pixels(std::size_t(296 * 3) * 432); // 888-byte rows, no padding
    wz::bench::RunPaired(
        state, "jpgtobmp", "tjdecompress2",
        [&] {
            const bool ok = GetJpgInfo(record, d.jpeg.data(), d.length) != 0 &&
                            JpgToBmp(record, d.jpeg.data(), d.length, pixels.data(),
                                     static_cast<unsigned>(pixels.size())) != 0;
            benchmark::DoNotOptimize(pixels.data());
            return ok;
        },
        [&] { return d.TurboDecode(); });
}
BENCHMARK(BM_DecodeAgainstTjDecompress2)->UseManualTime()->MinTime(2.0);

// For information: a whole Picture (header blocks, fresh pixel pages, decode, release).
void BM_PictureAgainstTjDecompress2(benchmark::State& state) {
    Decoders d;
    wz::bench::RunPaired(
        state, "picture", "tjdecompress2",
        [&] {
            wz::Picture picture(d.jpeg.data(), d.length, nullptr);
            benchmark::DoNotOptimize(picture.Pixels());
            return !picture.IsEmpty();
        },
        [&] { return d.TurboDecode(); });
}
BENCHMARK(BM_PictureAgainstTjDecompress2)->UseManualTime()->MinTime(1.0);

} // namespace

BENCHMARK_MAIN();
