#pragma once

// Checks of the three kinds of media an asset file holds: JPEG pictures, the WAV knock and
// MIDI tracks. Each takes the bytes of a whole file, never trusts a length or count in them,
// and returns an empty string when the file is sound or one line that says what is wrong.

#include "FrameSize.h"

#include <cstdint>
#include <span>
#include <string>

namespace wz::media {

struct PictureInfo {
    int width = 0;
    int height = 0;
};

// Decodes the picture through libJpgToBmp, as the game does. Pictures larger than
// kMaxCheckedSide on a side are reported without being decoded.
std::string CheckPicture(std::span<const std::uint8_t> bytes, PictureInfo& info);
inline constexpr int kMaxCheckedSide = 4096;

// CheckPicture, and the picture must be a background's size, the frame the game draws in.
std::string CheckBackground(std::span<const std::uint8_t> bytes, PictureInfo& info);

struct WaveInfo {
    int format = 0; // 1 for PCM
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::uint32_t frames = 0;
};

// A RIFF/WAVE file of PCM samples with a format chunk before its data chunk.
std::string CheckWave(std::span<const std::uint8_t> bytes, WaveInfo& info);

struct MidiInfo {
    int format = 0;
    int tracks = 0;
    int ticksPerQuarter = 0;       // 0 for SMPTE timing
    std::uint32_t notes = 0;       // note-ons with a velocity
    std::uint64_t lengthTicks = 0; // the latest end of track
    double seconds = 0;
};

// A Standard MIDI File whose every track parses to its end-of-track event.
std::string CheckMidi(std::span<const std::uint8_t> bytes, MidiInfo& info);

} // namespace wz::media
