#pragma once

// Small audio files made on the spot (Standard MIDI Files and wave files) and the analysis of
// what a device played, shared by the sound tests and the sound benchmarks.

#include "KnockSound.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace wz::test {

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

// The 16-bit samples that the disk audio driver wrote to path, channels interleaved.
inline std::vector<std::int16_t> ReadRawSamples(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(in.tellg()) / 2);
    in.seekg(0);
    in.read(reinterpret_cast<char*>(samples.data()),
            static_cast<std::streamsize>(samples.size() * 2));
    return samples;
}

// The largest absolute sample of frame i over all channels.
inline int FramePeak(const std::vector<std::int16_t>& samples, int channels, std::size_t frame) {
    int peak = 0;
    for (int c = 0; c < channels; ++c) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[frame * channels + c])));
    }
    return peak;
}

// The first frame at or after from whose peak exceeds threshold, or -1.
inline long FirstLoudFrame(const std::vector<std::int16_t>& samples, int channels,
                           std::size_t from = 0, int threshold = 64) {
    const std::size_t frames = samples.size() / channels;
    for (std::size_t i = from; i < frames; ++i) {
        if (FramePeak(samples, channels, i) > threshold) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

// Frames where sound starts after at least quietFrames of near silence.
inline std::vector<long> Onsets(const std::vector<std::int16_t>& samples, int channels,
                                std::size_t quietFrames, int threshold = 64) {
    std::vector<long> onsets;
    const std::size_t frames = samples.size() / channels;
    std::size_t quiet = quietFrames; // the stream starts in silence
    for (std::size_t i = 0; i < frames; ++i) {
        if (FramePeak(samples, channels, i) > threshold) {
            if (quiet >= quietFrames) {
                onsets.push_back(static_cast<long>(i));
            }
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}

// A Standard MIDI File of format 0 with one track made of the given events (each a delta time
// in ticks and the message bytes), at 480 ticks per quarter note and 120 beats a minute, so
// that one tick is 1/960 s.
struct MidiEvent {
    std::uint32_t delta;
    std::vector<std::uint8_t> message;
};

inline void AppendVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[5];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 0) {
        --count;
        out.push_back(static_cast<std::uint8_t>(groups[count] | (count > 0 ? 0x80 : 0)));
    }
}

inline void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

inline std::vector<std::uint8_t> TrackChunk(const std::vector<MidiEvent>& events) {
    std::vector<std::uint8_t> data;
    for (const auto& event : events) {
        AppendVarLen(data, event.delta);
        data.insert(data.end(), event.message.begin(), event.message.end());
    }
    std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
    AppendBigEndian(chunk, static_cast<std::uint32_t>(data.size()), 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

inline std::vector<std::uint8_t> MidiHeader(int format, int tracks, int division) {
    std::vector<std::uint8_t> header{'M', 'T', 'h', 'd', 0, 0, 0, 6};
    AppendBigEndian(header, static_cast<std::uint32_t>(format), 2);
    AppendBigEndian(header, static_cast<std::uint32_t>(tracks), 2);
    AppendBigEndian(header, static_cast<std::uint32_t>(division), 2);
    return header;
}

inline std::vector<std::uint8_t> MidiSong(const std::vector<MidiEvent>& events) {
    auto song = MidiHeader(0, 1, 480);
    auto track = TrackChunk(events);
    song.insert(song.end(), track.begin(), track.end());
    return song;
}

inline constexpr std::uint32_t kTicksPerSecond = 960;

// A note of program (General MIDI, channel 0) held for holdTicks, the data ending at endTicks.
inline std::vector<std::uint8_t> OneNoteSong(std::uint8_t program, std::uint32_t holdTicks,
                                             std::uint32_t endTicks, std::uint8_t note = 60) {
    return MidiSong({{0, {0xC0, program}},
                     {0, {0x90, note, 110}},
                     {holdTicks, {0x80, note, 0}},
                     {endTicks - holdTicks, {0xFF, 0x2F, 0x00}}});
}

// A short woodblock on the percussion channel: a sharp start and no tail to speak of, so that
// every repeat of the song shows as a fresh onset in the output.
inline std::vector<std::uint8_t> WoodblockSong(std::uint32_t endTicks) {
    return MidiSong(
        {{0, {0x99, 76, 120}}, {48, {0x89, 76, 0}}, {endTicks - 48, {0xFF, 0x2F, 0x00}}});
}

// A song like a game's background track, for measuring what playback costs: piano chords,
// bass, a string pad and drums, `seconds` long (whole seconds).
inline std::vector<std::uint8_t> BusySong(int seconds) {
    struct Timed {
        std::uint32_t at;
        std::vector<std::uint8_t> message;
    };
    std::vector<Timed> timed{{0, {0xC0, 0}}, {0, {0xC1, 33}}, {0, {0xC2, 48}}};
    const std::uint32_t beat = kTicksPerSecond / 2;
    const std::uint8_t chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    const std::uint32_t beats = static_cast<std::uint32_t>(seconds) * 2;
    for (std::uint32_t b = 0; b < beats; ++b) {
        const std::uint32_t at = b * beat;
        const auto& chord = chords[(b / 4) % 4];
        for (std::uint8_t note : chord) {
            timed.push_back({at, {0x90, note, 80}});
            timed.push_back({at + beat - 10, {0x80, note, 0}});
        }
        timed.push_back({at, {0x91, static_cast<std::uint8_t>(chord[0] - 24), 100}});
        timed.push_back({at + beat / 2, {0x81, static_cast<std::uint8_t>(chord[0] - 24), 0}});
        if (b % 4 == 0) {
            timed.push_back({at, {0x92, static_cast<std::uint8_t>(chord[1] + 12), 60}});
            timed.push_back({at, {0x92, static_cast<std::uint8_t>(chord[2] + 12), 60}});
            timed.push_back(
                {at + 4 * beat - 10, {0x82, static_cast<std::uint8_t>(chord[1] + 12), 0}});
            timed.push_back(
                {at + 4 * beat - 10, {0x82, static_cast<std::uint8_t>(chord[2] + 12), 0}});
        }
        timed.push_back({at, {0x99, static_cast<std::uint8_t>(b % 2 ? 38 : 36), 110}});
        timed.push_back({at, {0x99, 42, 70}});
        timed.push_back({at + beat / 2, {0x99, 42, 60}});
    }
    std::stable_sort(timed.begin(), timed.end(),
                     [](const Timed& a, const Timed& b) { return a.at < b.at; });
    std::vector<MidiEvent> events;
    std::uint32_t last = 0;
    for (const auto& t : timed) {
        events.push_back({t.at - last, t.message});
        last = t.at;
    }
    events.push_back({beats * beat - last, {0xFF, 0x2F, 0x00}});
    return MidiSong(events);
}

// A mono 16-bit wave file of a sine tone, written as the asset tool writes the knock.
inline std::vector<std::uint8_t> SineWave(int rate, double seconds, double hz, int amplitude) {
    const auto frames = static_cast<std::uint32_t>(rate * seconds);
    std::vector<std::int16_t> samples(frames);
    for (std::uint32_t i = 0; i < frames; ++i) {
        samples[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2.0 * M_PI * hz * i / rate)));
    }
    return wz::content::EncodeWav(samples, rate);
}

} // namespace wz::test
