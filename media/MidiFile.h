#pragma once

// A structural check of a Standard MIDI File, made when the music is opened. The synthesizer's
// player reads the file only once it starts playing, on the audio thread, and a file it cannot
// read then simply stays silent; checking first lets a broken track fail at open, where the
// game reports it.
//
// Layout: a header chunk "MThd" (length 6: format, track count, division, all big-endian 16-bit)
// followed by chunks of a four-letter id and a 32-bit big-endian length. "MTrk" chunks hold
// events, each a variable-length delta time (at most four bytes of seven bits) and a message:
// a channel message (running status allowed), a system exclusive message (0xF0, variable
// length) or a meta event (0xFF, type, variable length). Other chunks are skipped.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace wz {

// The player takes at most this many tracks.
inline constexpr int kMaxMidiTracks = 128;

struct MidiFileInfo {
    int format = 0;
    int trackCount = 0;
    int division = 0;            // ticks per quarter note
    std::int64_t totalTicks = 0; // the end of the longest track
};

struct MidiFileCheck {
    MidiFileInfo info;
    std::string error; // what is wrong, for a developer; empty when the file plays
    bool ok() const { return error.empty(); }
};

// Accepts only what the player can play to a definite end: metrical timing with a non-zero
// division, 1 to kMaxMidiTracks tracks, every event complete inside its chunk, and at least
// one tick of music (an empty song would end, and be restarted, at every audio buffer).
MidiFileCheck CheckMidiFile(std::span<const std::uint8_t> bytes);

} // namespace wz
