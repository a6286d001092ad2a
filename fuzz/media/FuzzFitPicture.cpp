// Feeds arbitrary bytes to the fitting of an author's picture: every answer is a game picture
// or one line that says why, never a read outside the bytes, a crash or a hang. The seeds are
// small pictures of each format the fitting reads.

#include "FitPicture.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> jpeg;
    (void)wz::media::FitPicture(std::span<const std::uint8_t>(data, size), wz::media::FitOptions{},
                                jpeg);
    return 0;
}
