#pragma once

// The landing sound "Knock": a short wooden knock, synthesized, as a 16-bit PCM wave file.

#include <cstdint>
#include <vector>

namespace wz::content {

inline constexpr int kKnockSampleRate = 22050;
inline constexpr int kKnockMilliseconds = 120;

std::vector<std::uint8_t> MakeKnockWav();

// A complete RIFF/WAVE file of mono 16-bit samples.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate);

} // namespace wz::content
