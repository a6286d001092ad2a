// Feeds arbitrary bytes to the MIDI file check: it must never read outside the bytes, and what
// it accepts must be something the player can play to an end.

#include "MidiFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const wz::MidiFileCheck check = wz::CheckMidiFile({data, size});
    if (check.ok()) {
        const auto& info = check.info;
        if (info.totalTicks <= 0 || info.totalTicks > INT32_MAX || info.division <= 0 ||
            info.trackCount < 1 || info.trackCount > wz::kMaxMidiTracks || info.format > 2) {
            std::abort();
        }
    }
    return 0;
}
