// The accompaniment: chords voiced near the last voicing on the harmony channel, the bass
// line, and the drum patterns with their fills.

#include "ComposerSong.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wz::content::song {

namespace {

// General MIDI percussion keys.
enum Drum {
    Kick = 36,
    SideStick = 37,
    Snare = 38,
    Clap = 39,
    LowTom = 45,
    ClosedHat = 42,
    PedalHat = 44,
    MidTom = 47,
    OpenHat = 46,
    Crash = 49,
    HighTom = 50,
    Ride = 51,
    Tambourine = 54,
    LowConga = 64,
    HighConga = 63,
    Maracas = 70,
    Claves = 75,
};

} // namespace

std::array<int, 3> Song::Voicing(int chord, int centre) const {
    // Each chord tone in the octave nearest the centre, which keeps the voices moving by
    // small steps from chord to chord.
    std::array<int, 3> keys{};
    for (int i = 0; i < 3; ++i) {
        int key = Key(chord + 2 * i, s_.tonic - 12, chord);
        while (key < centre - 6) {
            key += 12;
        }
        while (key >= centre + 6) {
            key -= 12;
        }
        keys[static_cast<std::size_t>(i)] = key;
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

void Song::WriteHarmony(MidiTrack& t, int chord, int nextChord, std::uint32_t tick, bool final) {
    (void)nextChord;
    const int centre = s_.tonic - 5;
    auto v = Voicing(chord, centre);
    const std::uint32_t bar = Units(unitsPerBar_);
    if (final) {
        for (int key : v) {
            t.Note(tick, kHarmonyChannel, key, 62, bar - Units(2));
        }
        return;
    }
    switch (s_.harmonyStyle) {
    case HarmonyStyle::Sustained:
        for (int key : v) {
            t.Note(tick, kHarmonyChannel, key, Humanise(58), bar - 24);
        }
        break;
    case HarmonyStyle::Arpeggio: {
        const int order[] = {0, 1, 2, 3, 2, 1, 0, 1};
        for (int u = 0; u < unitsPerBar_; ++u) {
            int i = order[u % 8];
            int key = i == 3 ? v[0] + 12 : v[static_cast<std::size_t>(i)];
            t.Note(tick + Units(u), kHarmonyChannel, key, Humanise(u % 2 == 0 ? 62 : 52),
                   Units(1) * 3 / 2);
        }
        break;
    }
    case HarmonyStyle::Broken: {
        const int order[] = {0, 2, 1, 2};
        for (int u = 0; u < unitsPerBar_; ++u) {
            t.Note(tick + Units(u), kHarmonyChannel, v[static_cast<std::size_t>(order[u % 4])],
                   Humanise(u % 2 == 0 ? 60 : 50), Units(1));
        }
        break;
    }
    case HarmonyStyle::Stabs:
        for (int u = 2; u < unitsPerBar_; u += 4) {
            for (int key : v) {
                t.Note(tick + Units(u), kHarmonyChannel, key, Humanise(66), Units(1) + kEighth / 2);
            }
        }
        if (s_.beatsPerBar == 4) {
            for (int key : v) {
                t.Note(tick + Units(7), kHarmonyChannel, key, Humanise(54), Units(1) - 20);
            }
        }
        break;
    case HarmonyStyle::Waltz:
        for (int u = 2; u < unitsPerBar_; u += 2) {
            for (int key : v) {
                t.Note(tick + Units(u), kHarmonyChannel, key, Humanise(58), Units(1) + kEighth / 2);
            }
        }
        break;
    }
}

void Song::WriteBass(MidiTrack& t, int chord, int nextChord, std::uint32_t tick, bool final) {
    const int base = s_.tonic - 24;
    auto key = [&](int degree) {
        int k = Key(degree, base, chord);
        while (k > s_.tonic - 14) {
            k -= 12;
        }
        while (k < s_.tonic - 29) {
            k += 12;
        }
        return k;
    };
    const int root = key(chord);
    const std::uint32_t bar = Units(unitsPerBar_);
    if (final) {
        t.Note(tick, kBassChannel, root, 96, bar - Units(2));
        return;
    }
    const bool four = s_.beatsPerBar == 4;
    switch (s_.bassStyle) {
    case BassStyle::Roots:
        if (four) {
            t.Note(tick, kBassChannel, root, Humanise(92), Units(4) - 30);
            t.Note(tick + Units(4), kBassChannel, root, Humanise(84), Units(4) - 30);
        } else {
            t.Note(tick, kBassChannel, root, Humanise(92), bar - 30);
        }
        break;
    case BassStyle::RootFifth: {
        int fifth = key(chord + 4);
        if (four) {
            t.Note(tick, kBassChannel, root, Humanise(94), Units(3) - 20);
            t.Note(tick + Units(3), kBassChannel, root, Humanise(76), Units(1) - 20);
            t.Note(tick + Units(4), kBassChannel, fifth, Humanise(86), Units(4) - 30);
        } else {
            t.Note(tick, kBassChannel, root, Humanise(94), Units(2) - 20);
            t.Note(tick + Units(2), kBassChannel, fifth, Humanise(78), Units(2) - 20);
            t.Note(tick + Units(4), kBassChannel, fifth, Humanise(78), Units(2) - 20);
        }
        break;
    }
    case BassStyle::Eighths:
        for (int u = 0; u < unitsPerBar_; ++u) {
            int k = root;
            if (u == unitsPerBar_ - 1 && nextChord != chord) {
                k = key(nextChord + (nextChord > chord ? -1 : 1)); // a step into the next chord
            }
            t.Note(tick + Units(u), kBassChannel, k, Humanise(u % 2 == 0 ? 96 : 80), Units(1) - 30);
        }
        break;
    case BassStyle::Octaves:
        for (int u = 0; u < unitsPerBar_; ++u) {
            t.Note(tick + Units(u), kBassChannel, u % 2 == 0 ? root : root + 12,
                   Humanise(u % 2 == 0 ? 98 : 84), Units(1) - 40);
        }
        break;
    case BassStyle::Walking: {
        // Quarter notes: root, a chord tone, a passing note, then a step into the next root.
        int beats = s_.beatsPerBar;
        int degrees[4] = {chord, chord + 2, chord + 4, nextChord + 1};
        for (int b = 0; b < beats; ++b) {
            int d = b == beats - 1 ? nextChord + (random_.Chance(0.5f) ? 1 : -1) : degrees[b];
            t.Note(tick + Units(b * 2), kBassChannel, key(d), Humanise(b == 0 ? 94 : 82),
                   Units(2) - 40);
        }
        break;
    }
    }
}

void Song::WriteDrums(MidiTrack& t, int barInPhrase, std::uint32_t tick, bool phraseStart,
                      bool final) {
    auto hit = [&](int unit, int key, int velocity, int offset = 0) {
        t.Note(tick + Units(unit) + static_cast<std::uint32_t>(offset), kDrumChannel, key,
               Humanise(velocity), kEighth / 2);
    };
    if (s_.drums == DrumStyle::None) {
        return;
    }
    if (final) {
        hit(0, Kick, 100);
        if (s_.drums != DrumStyle::Soft && s_.drums != DrumStyle::Waltz) {
            hit(0, Crash, 96);
        }
        return;
    }
    const bool crash = phraseStart && s_.drums != DrumStyle::Soft && s_.drums != DrumStyle::Waltz;
    if (crash) {
        hit(0, Crash, 92);
    }
    const int n = unitsPerBar_;
    const bool fill =
        barInPhrase == 7 && s_.drums != DrumStyle::Soft && s_.drums != DrumStyle::Waltz;
    switch (s_.drums) {
    case DrumStyle::None:
        break;
    case DrumStyle::Soft:
        hit(0, Kick, 72);
        if (n == 8) {
            hit(4, Kick, 60);
        }
        for (int u = 2; u < n; u += 4) {
            hit(u, SideStick, 58);
        }
        for (int u = 0; u < n; ++u) {
            hit(u, ClosedHat, u % 2 == 0 ? 48 : 36);
        }
        break;
    case DrumStyle::Rock:
        hit(0, Kick, 100);
        hit(4, Kick, 92);
        hit(5, Kick, 78);
        for (int u = 2; u < n && !(fill && u >= 4); u += 4) {
            hit(u, Snare, 96);
        }
        for (int u = 0; u < n && !(fill && u >= 4); ++u) {
            if (!(crash && u == 0)) {
                hit(u, ClosedHat, u % 2 == 0 ? 74 : 56);
            }
        }
        break;
    case DrumStyle::Dance:
        for (int u = 0; u < n; u += 2) {
            hit(u, Kick, 104);
        }
        for (int u = 2; u < n && !(fill && u >= 4); u += 4) {
            hit(u, Clap, 86);
        }
        for (int u = 1; u < n; u += 2) {
            hit(u, OpenHat, 64);
        }
        break;
    case DrumStyle::Waltz:
        hit(0, Kick, 84);
        hit(2, PedalHat, 54);
        hit(4, PedalHat, 54);
        hit(2, SideStick, 46);
        hit(4, SideStick, 46);
        break;
    case DrumStyle::Latin: {
        hit(0, Kick, 90);
        hit(3, Kick, 74);
        hit(4, Kick, 86);
        // The son clave, three strokes in one bar and two in the next.
        const int clave[2][3] = {{0, 3, 6}, {2, 4, -1}};
        for (int u : clave[barInPhrase % 2]) {
            if (u >= 0 && u < n) {
                hit(u, Claves, 76);
            }
        }
        for (int u = 0; u < n; ++u) {
            hit(u, Maracas, u % 2 == 0 ? 58 : 44);
        }
        for (int u = 1; u < n; u += 2) {
            hit(u, u % 4 == 1 ? HighConga : LowConga, 66);
        }
        break;
    }
    case DrumStyle::Swing:
        // Ride on the beats with a swung upbeat two thirds of the way through the beat.
        for (int b = 0; b < s_.beatsPerBar; ++b) {
            hit(b * 2, Ride, b % 2 == 0 ? 70 : 80);
            if (b % 2 == 1) {
                hit(b * 2, Ride, 56, kTicksPerQuarter * 2 / 3);
            }
        }
        hit(2, PedalHat, 60);
        hit(6, PedalHat, 60);
        hit(0, Kick, 58);
        break;
    }
    if (fill) {
        // A run down the toms and the snare into the next phrase.
        const int toms[] = {HighTom, HighTom, MidTom, MidTom, LowTom, LowTom, Snare, Snare};
        for (int k = 0; k < 8; ++k) {
            t.Note(tick + Units(n - 4) + static_cast<std::uint32_t>(k * kEighth / 2), kDrumChannel,
                   toms[k], Humanise(70 + k * 4), kEighth / 2);
        }
    }
}

} // namespace wz::content::song
