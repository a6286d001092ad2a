#pragma once

// MidiWriter: builds a Standard MIDI File (format 1) from timed events. Events are kept with
// their absolute tick and sorted when the file is written, so a composer can add them in any
// order.

#include <cstdint>
#include <string_view>
#include <vector>

namespace wz::content {

class MidiTrack {
public:
    void Name(std::string_view name);
    void Tempo(std::uint32_t tick, int beatsPerMinute);
    void TimeSignature(std::uint32_t tick, int beatsPerBar);
    // sharps: −7 to 7 (flats negative); minor: whether the key is minor.
    void KeySignature(std::uint32_t tick, int sharps, bool minor);
    void Program(std::uint32_t tick, int channel, int program);
    void Controller(std::uint32_t tick, int channel, int controller, int value);
    void Note(std::uint32_t tick, int channel, int key, int velocity, std::uint32_t duration);
    // Where the track ends; every track of a file should end at the same tick, so that the
    // whole file is as long as its music and a player's end notice comes on the bar line.
    void End(std::uint32_t tick) { end_ = tick; }

    // The MTrk chunk.
    std::vector<std::uint8_t> Encode() const;

private:
    struct Event {
        std::uint32_t tick;
        int order; // at one tick: meta first, then note-offs, then set-up, then note-ons
        std::uint32_t sequence;
        std::vector<std::uint8_t> bytes;
    };
    void Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes);

    std::vector<Event> events_;
    std::uint32_t end_ = 0;
};

inline constexpr int kTicksPerQuarter = 480;

// A whole format-1 file: the MThd chunk and the tracks.
std::vector<std::uint8_t> EncodeMidiFile(const std::vector<MidiTrack>& tracks);

} // namespace wz::content
