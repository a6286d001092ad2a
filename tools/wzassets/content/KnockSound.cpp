#include "KnockSound.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace wz::content {

namespace {

void Put(std::vector<std::uint8_t>& out, std::string_view tag) {
    for (const char c : tag) {
        out.push_back(static_cast<std::uint8_t>(c));
    }
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

} // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    Put(out, "RIFF");
    Put32(out, 36 + dataBytes);
    Put(out, "WAVE");
    Put(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, static_cast<std::uint32_t>(sampleRate));
    Put32(out, static_cast<std::uint32_t>(sampleRate) * 2);
    Put16(out, 2);
    Put16(out, 16);
    Put(out, "data");
    Put32(out, dataBytes);
    for (std::int16_t s : samples) {
        Put16(out, static_cast<std::uint16_t>(s));
    }
    return out;
}

std::vector<std::uint8_t> MakeKnockWav() {
    const int count = kKnockSampleRate * kKnockMilliseconds / 1000;
    std::vector<float> wave(static_cast<std::size_t>(count));
    Random random(9);
    const double pi = 3.141592653589793;
    double phase1 = 0, phase2 = 0;
    float noiseState = 0;
    for (int i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kKnockSampleRate;
        // A hollow body: a low tone whose pitch drops as it dies away, like a block of wood
        // struck on a table, and an overtone that dies faster.
        double f1 = 150 + 90 * std::exp(-t / 0.012);
        double f2 = 470 + 120 * std::exp(-t / 0.008);
        phase1 += 2 * pi * f1 / kKnockSampleRate;
        phase2 += 2 * pi * f2 / kKnockSampleRate;
        double body = std::sin(phase1) * std::exp(-t / 0.028);
        double ring = 0.45 * std::sin(phase2) * std::exp(-t / 0.012);
        // The strike itself: a few milliseconds of softened noise.
        noiseState += 0.35f * ((random.Unit() * 2 - 1) - noiseState);
        double click = 0.9 * noiseState * std::exp(-t / 0.0025);
        double attack = std::min(1.0, t / 0.0008);
        wave[static_cast<std::size_t>(i)] = static_cast<float>((body + ring + click) * attack);
    }
    // Fade the last 15 ms to silence so the sound never ends on a click.
    const int fade = kKnockSampleRate * 15 / 1000;
    for (int i = 0; i < fade; ++i) {
        wave[static_cast<std::size_t>(count - 1 - i)] *= static_cast<float>(i) / fade;
    }
    float peak = 0;
    for (float v : wave) {
        peak = std::max(peak, std::fabs(v));
    }
    std::vector<std::int16_t> samples(wave.size());
    for (std::size_t i = 0; i < wave.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(wave[i] / peak * 0.8f * 32767));
    }
    return EncodeWav(samples, kKnockSampleRate);
}

} // namespace wz::content
