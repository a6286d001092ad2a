#pragma once

// The composer's song, shared by its three files: the song's form and its MIDI file
// (Composer.cpp), the melody (ComposerMelody.cpp) and the accompaniment of harmony, bass and
// drums (ComposerAccompaniment.cpp). Only the composer includes this.

#include "Composer.h"
#include "MidiWriter.h"
#include "Noise.h"

#include <array>
#include <cstdint>
#include <vector>

namespace wz::content::song {

inline constexpr int kEighth = kTicksPerQuarter / 2;
inline constexpr int kLeadChannel = 0;
inline constexpr int kHarmonyChannel = 1;
inline constexpr int kBassChannel = 2;
inline constexpr int kDrumChannel = 9;

inline constexpr int kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};
inline constexpr int kMinorScale[7] = {0, 2, 3, 5, 7, 8, 10};

// Chord roots as scale degrees (0 is the tonic), one chord per bar, eight bars a phrase.
// Each progression ends on the dominant, which leads into the next phrase's tonic.
using Progression = std::array<int, 8>;

// Melody rhythms, in eighth notes per bar; a negative length is a rest.
using Rhythm = std::vector<int>;

struct MelodyNote {
    int start;  // in eighths from the start of its two-bar cell
    int length; // in eighths
    int degree; // scale degree counted from the tonic, across octaves
    bool rest;
};
using Cell = std::vector<MelodyNote>;

struct Phrase {
    Progression chords;
    std::array<Cell, 4> cells;
};

inline int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

class Song {
public:
    explicit Song(const SongStyle& style)
        : s_(style), random_(style.seed), unitsPerBar_(style.beatsPerBar * 2) {}

    std::vector<std::uint8_t> Write();

private:
    const int* Scale() const { return s_.mode == Mode::Major ? kMajorScale : kMinorScale; }

    // The key of a scale degree; over the dominant chord of a minor key the seventh degree is
    // raised, as the leading note of the harmonic minor.
    int Key(int degree, int base, int chordRoot) const {
        int octave = FloorDiv(degree, 7);
        int d = degree - octave * 7;
        int key = base + 12 * octave + Scale()[d];
        if (s_.mode == Mode::Minor && d == 6 && ((chordRoot % 7) + 7) % 7 == 4) {
            key += 1;
        }
        return key;
    }

    bool IsChordTone(int degree, int chordRoot) const {
        int rel = ((degree - chordRoot) % 7 + 7) % 7;
        return rel == 0 || rel == 2 || rel == 4;
    }

    bool Allowed(int degree) const {
        if (!s_.pentatonic) {
            return true;
        }
        int d = ((degree % 7) + 7) % 7;
        // Major pentatonic leaves out the fourth and seventh, minor the second and sixth.
        return s_.mode == Mode::Major ? (d != 3 && d != 6) : (d != 1 && d != 5);
    }

    int NearestChordTone(int target, int chordRoot, int direction) {
        for (int k = 0; k < 7; ++k) {
            int up = target + k;
            int down = target - k;
            bool upOk = IsChordTone(up, chordRoot) && Allowed(up);
            bool downOk = IsChordTone(down, chordRoot) && Allowed(down);
            if (upOk && downOk) {
                return direction >= 0 ? up : down;
            }
            if (upOk) {
                return up;
            }
            if (downOk) {
                return down;
            }
        }
        return target;
    }

    int NearestAllowed(int target, int direction) {
        for (int k = 0; k < 4; ++k) {
            if (Allowed(target + (direction >= 0 ? k : -k))) {
                return target + (direction >= 0 ? k : -k);
            }
            if (Allowed(target - (direction >= 0 ? k : -k))) {
                return target - (direction >= 0 ? k : -k);
            }
        }
        return target;
    }

    const Rhythm& PickRhythm(bool ending);

    Cell MakeCell(int chord0, int chord1, int centre, bool cadence, int finalDegree);
    Cell Sequence(const Cell& motif, int shift, int chord0, int chord1);
    Phrase MakePhrase(const Progression& chords, int centre, const Phrase* theme, bool final);

    void WriteMelody(MidiTrack& t, const Phrase& p, std::uint32_t barTick, bool final);
    void WriteHarmony(MidiTrack& t, int chord, int nextChord, std::uint32_t tick, bool final);
    void WriteBass(MidiTrack& t, int chord, int nextChord, std::uint32_t tick, bool final);
    void WriteDrums(MidiTrack& t, int barInPhrase, std::uint32_t tick, bool phraseStart,
                    bool final);

    int Humanise(int velocity) { return velocity + random_.Range(-5, 5); }
    std::uint32_t Units(int eighths) const { return static_cast<std::uint32_t>(eighths * kEighth); }

    std::array<int, 3> Voicing(int chord, int centre) const;

    const SongStyle& s_;
    Random random_;
    int unitsPerBar_;
    std::array<int, 3> lastVoicing_{};
};

} // namespace wz::content::song
