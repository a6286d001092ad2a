// Hands arbitrary bytes to the BMP reader as a real file, then makes the copy operations walk
// every pixel of whatever it accepted.

#include <FrameView.h>
#include <Picture.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One scratch file for the whole run, in memory when the system offers it (a file on disk
// costs more than the parsing). It is unlinked at once and reached through /proc, so nothing
// is left behind however the fuzzer stops.
struct ScratchFile {
    int fd = -1;
    std::string path;

    ScratchFile() {
        for (const char* folder : {"/dev/shm", "/tmp"}) {
            std::string pattern = std::string(folder) + "/wzfuzzbmpXXXXXX";
            fd = mkstemp(pattern.data());
            if (fd >= 0) {
                unlink(pattern.c_str());
                path = "/proc/self/fd/" + std::to_string(fd);
                return;
            }
        }
        std::abort();
    }

    void Write(const std::uint8_t* data, std::size_t size) const {
        if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const ScratchFile scratch;
    scratch.Write(data, size);
    wz::Picture picture(scratch.path, 1, nullptr);
    if (picture.IsEmpty())
        return 0;

    // Read the colour table and every pixel byte; the sanitizers report any byte outside.
    unsigned sum = 0;
    for (std::uint32_t i = 0; i < 4 * picture.ColourCount(); ++i)
        sum += picture.ColourTable()[i];
    for (std::size_t i = 0; i < picture.PixelArraySize(); ++i)
        sum += picture.Pixels()[i];
    const auto w = static_cast<std::uint32_t>(picture.Width());
    const auto h = static_cast<std::uint32_t>(picture.Height());
    picture.CopyFrom(picture);
    picture.CopyRect(0, 0, picture, 0, 0, w, h);
    picture.CopyRectKeyed(w / 2, h / 2, picture, 0, 0, w - w / 2, h - h / 2, sum, 0, 0);
    picture.CopyRect(0, 0, picture, 1, 1, w, h); // refused: past the edge
    const wz::FrameView view = wz::ViewOf(picture);
    if (!view.IsEmpty() && view.pixels[std::size_t(view.height - 1) * view.stride] == 0xFF)
        sum++;
    return static_cast<int>(sum & 0);
}
