#pragma once

// The composer of the default music: from a style (tempo, key, instruments, patterns and a
// seed) it writes a complete General MIDI song in a song form of eight-bar phrases (for
// example A A B A), each phrase built from a two-bar motif, its sequence, a contrast and a
// cadence. The last bar settles on the tonic and ends on the bar line, so that the game's
// restart from the beginning follows like the next bar.

#include <cstdint>
#include <string_view>
#include <vector>

namespace wz::content {

enum class Mode { Major, Minor };
enum class HarmonyStyle { Sustained, Arpeggio, Stabs, Waltz, Broken };
enum class BassStyle { Roots, RootFifth, Eighths, Octaves, Walking };
enum class DrumStyle { None, Soft, Rock, Dance, Waltz, Latin, Swing };

struct SongStyle {
    std::string_view title;
    int tempo;       // quarter notes per minute
    int beatsPerBar; // 3 or 4 quarter-note beats
    int tonic;       // MIDI key of the tonic in the melody's octave
    Mode mode;
    bool pentatonic; // the melody keeps to five notes of the scale
    int lead;        // General MIDI programs, 0-based
    int harmony;
    int bass;
    HarmonyStyle harmonyStyle;
    BassStyle bassStyle;
    DrumStyle drums;
    float busyness; // 0 for a calm melody of long notes, 1 for a lively one
    std::uint32_t seed;
    // Trim of every channel's volume, in decibels: instruments and patterns differ widely in
    // how loud they sound, so each style is set by ear (and by measurement through the game's
    // SoundFont) to play about as loud as the others.
    float levelDb = 0;
};

// The phrase plan for a tempo: how many eight-bar phrases make a song of 45 to 90 seconds.
int PhraseCount(int tempo, int beatsPerBar);

// The whole Standard MIDI File.
std::vector<std::uint8_t> ComposeSong(const SongStyle& style);

} // namespace wz::content
