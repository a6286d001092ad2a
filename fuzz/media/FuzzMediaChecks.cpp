// Feeds arbitrary bytes to the WAV and MIDI checks of `wzassets check`: they must name a
// problem or pass, never read outside the bytes or loop without end.

#include "MediaChecks.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    wz::media::WaveInfo wave;
    (void)wz::media::CheckWave(bytes, wave);
    wz::media::MidiInfo midi;
    (void)wz::media::CheckMidi(bytes, midi);
    return 0;
}
