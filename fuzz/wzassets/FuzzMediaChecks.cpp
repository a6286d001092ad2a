// Feeds arbitrary bytes to the WAV and MIDI checks of `wzassets check`: they must name a
// problem or pass, never read outside the bytes or loop without end.

#include "MediaChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    wz::content::WaveInfo wave;
    (void)wz::content::CheckWave(bytes, wave);
    wz::content::MidiInfo midi;
    (void)wz::content::CheckMidi(bytes, midi);
    return 0;
}
