// Feeds arbitrary bytes to both calls of libJpgToBmp, decoding into a buffer of exactly the
// size the library asked for.

#include <JpgToBmp.h>

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    unsigned char record[JPGTOBMP_INFO_SIZE];
    const auto length = static_cast<unsigned int>(size);
    if (GetJpgInfo(record, data, length) == 0)
        return 0;
    std::uint32_t sizeImage = 0;
    std::memcpy(&sizeImage, record + 20, sizeof sizeImage);
    // Large images are valid but slow; they teach the fuzzer nothing a small one does not.
    if (sizeImage > (4u << 20))
        return 0;
    std::vector<unsigned char> pixels(sizeImage);
    JpgToBmp(record, data, length, pixels.data(), sizeImage);
    return 0;
}
