#include "Composer.h"

#include "MidiWriter.h"
#include "Noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace wz::content {

namespace {

constexpr int kEighth = kTicksPerQuarter / 2;
constexpr int kLeadChannel = 0;
constexpr int kHarmonyChannel = 1;
constexpr int kBassChannel = 2;
constexpr int kDrumChannel = 9;

constexpr int kMajorScale[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr int kMinorScale[7] = {0, 2, 3, 5, 7, 8, 10};

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

// Chord roots as scale degrees (0 is the tonic), one chord per bar, eight bars a phrase.
// Each progression ends on the dominant, which leads into the next phrase's tonic.
using Progression = std::array<int, 8>;
constexpr Progression kMajorVerses[] = {
    {0, 4, 5, 3, 0, 4, 3, 4},
    {0, 5, 3, 4, 0, 5, 1, 4},
    {0, 3, 5, 4, 0, 3, 4, 4},
    {0, 2, 3, 4, 0, 2, 1, 4},
};
constexpr Progression kMajorBridges[] = {
    {3, 4, 2, 5, 3, 4, 1, 4},
    {5, 3, 0, 4, 5, 3, 1, 4},
    {3, 3, 0, 0, 3, 3, 1, 4},
};
constexpr Progression kMinorVerses[] = {
    {0, 5, 2, 6, 0, 5, 3, 4},
    {0, 3, 6, 2, 5, 3, 4, 4},
    {0, 6, 5, 6, 0, 6, 5, 4},
};
constexpr Progression kMinorBridges[] = {
    {5, 6, 0, 0, 5, 6, 4, 4},
    {3, 0, 6, 2, 5, 3, 4, 4},
};

// Melody rhythms, in eighth notes per bar; a negative length is a rest.
using Rhythm = std::vector<int>;
const std::vector<Rhythm> kBusy4 = {{2, 2, 2, 2},      {3, 1, 2, 2},    {2, 1, 1, 2, 2},
                                    {1, 1, 2, 2, 2},   {2, 2, 1, 1, 2}, {3, 3, 2},
                                    {1, 1, 1, 1, 2, 2}};
const std::vector<Rhythm> kCalm4 = {{4, 4}, {4, 2, 2}, {6, 2}, {2, 2, 4}, {3, 1, 4}, {3, 3, 2}};
const std::vector<Rhythm> kEnding4 = {{2, 2, 4},     {4, 4},     {2, 6}, {3, 1, 4},
                                      {2, 2, 2, -2}, {4, 2, -2}, {6, -2}};
const std::vector<Rhythm> kBusy3 = {{2, 2, 2}, {3, 1, 2}, {2, 1, 1, 2}, {1, 1, 2, 2}};
const std::vector<Rhythm> kCalm3 = {{4, 2}, {6}, {2, 4}, {3, 1, 2}};
const std::vector<Rhythm> kEnding3 = {{2, 4}, {6}, {4, -2}, {2, 2, -2}};

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

int FloorDiv(int a, int b) {
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

    const Rhythm& PickRhythm(bool ending) {
        bool four = s_.beatsPerBar == 4;
        const auto& list = ending ? (four ? kEnding4 : kEnding3)
                                  : (random_.Chance(s_.busyness) ? (four ? kBusy4 : kBusy3)
                                                                 : (four ? kCalm4 : kCalm3));
        return list[static_cast<std::size_t>(random_.Range(0, static_cast<int>(list.size()) - 1))];
    }

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

Cell Song::MakeCell(int chord0, int chord1, int centre, bool cadence, int finalDegree) {
    Cell cell;
    int degree = NearestChordTone(centre + random_.Range(-2, 2), chord0, 0);
    for (int bar = 0; bar < 2; ++bar) {
        int chord = bar == 0 ? chord0 : chord1;
        Rhythm rhythm = PickRhythm(bar == 1);
        if (cadence && bar == 1 && finalDegree >= -7) {
            // The song's last bar: one long tonic, then a breath before the restart.
            rhythm = {unitsPerBar_ - 2, -2};
        }
        int pos = 0;
        for (std::size_t i = 0; i < rhythm.size(); ++i) {
            int len = rhythm[i];
            if (len < 0) {
                cell.push_back({bar * unitsPerBar_ + pos, -len, 0, true});
                pos -= len;
                continue;
            }
            bool first = cell.empty();
            bool lastOfCell = bar == 1 && (i + 1 == rhythm.size() || rhythm[i + 1] < 0);
            bool onBeat = pos % 2 == 0;
            if (!first) {
                // A step or a small leap, pulled back towards the centre of the range.
                static constexpr int kSteps[] = {-2, -1, -1, 1, 1, 2, 3, -3};
                int step = kSteps[random_.Range(0, 7)];
                if (degree > centre + 3 && step > 0) {
                    step = -step;
                } else if (degree < centre - 3 && step < 0) {
                    step = -step;
                }
                int target = std::clamp(degree + step, centre - 5, centre + 7);
                int next =
                    onBeat ? NearestChordTone(target, chord, step) : NearestAllowed(target, step);
                // Snapping to the chord can undo the step; a melody that keeps striking one
                // note goes nowhere, so it moves on to the next chord tone instead.
                if (next == degree && random_.Chance(0.75f)) {
                    next = NearestChordTone(degree + (step > 0 ? 1 : -1), chord, step);
                    if (next == degree) {
                        next = NearestChordTone(degree + (step > 0 ? 2 : -2), chord, step);
                    }
                }
                degree = next;
            }
            if (lastOfCell && cadence) {
                // Cadences land on the chord's root: the tonic at the end of the song.
                int root = finalDegree >= -7 ? finalDegree : chord;
                int best = root;
                for (int o = -2; o <= 2; ++o) {
                    int candidate = root + 7 * o;
                    if (std::abs(candidate - degree) < std::abs(best - degree)) {
                        best = candidate;
                    }
                }
                degree = best;
            }
            cell.push_back({bar * unitsPerBar_ + pos, len, degree, false});
            pos += len;
        }
    }
    return cell;
}

Cell Song::Sequence(const Cell& motif, int shift, int chord0, int chord1) {
    // The motif moved by the distance between the chords, its beat notes fitted to the new
    // chords, which the ear hears as the same idea one step on.
    Cell cell = motif;
    for (MelodyNote& n : cell) {
        if (n.rest) {
            continue;
        }
        int chord = n.start < unitsPerBar_ ? chord0 : chord1;
        n.degree += shift;
        if (n.start % 2 == 0) {
            n.degree = NearestChordTone(n.degree, chord, 0);
        } else {
            n.degree = NearestAllowed(n.degree, 0);
        }
    }
    return cell;
}

Phrase Song::MakePhrase(const Progression& chords, int centre, const Phrase* theme, bool final) {
    Phrase p{chords, {}};
    if (theme != nullptr) {
        // A return of the theme: the first half as before, a new continuation.
        p.cells[0] = theme->cells[0];
        p.cells[1] = theme->cells[1];
    } else {
        p.cells[0] = MakeCell(chords[0], chords[1], centre, false, -99);
        int shift = chords[2] - chords[0];
        if (shift > 3) {
            shift -= 7;
        } else if (shift < -3) {
            shift += 7;
        }
        p.cells[1] = Sequence(p.cells[0], shift, chords[2], chords[3]);
    }
    p.cells[2] = MakeCell(chords[4], chords[5], centre + 1, false, -99);
    p.cells[3] = MakeCell(chords[6], chords[7], centre, true, final ? 0 : -99);
    return p;
}

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

void Song::WriteMelody(MidiTrack& t, const Phrase& p, std::uint32_t phraseTick, bool final) {
    (void) final;
    for (int c = 0; c < 4; ++c) {
        std::uint32_t cellTick = phraseTick + Units(c * 2 * unitsPerBar_);
        for (const MelodyNote& n : p.cells[static_cast<std::size_t>(c)]) {
            if (n.rest) {
                continue;
            }
            int chord =
                p.chords[static_cast<std::size_t>(c * 2 + (n.start >= unitsPerBar_ ? 1 : 0))];
            int velocity = (n.start % unitsPerBar_ == 0 ? 100 : n.start % 2 == 0 ? 90 : 80);
            // Slightly detached notes sound sung rather than glued.
            std::uint32_t length = Units(n.length) - kEighth / 6;
            t.Note(cellTick + Units(n.start), kLeadChannel, Key(n.degree, s_.tonic, chord),
                   Humanise(velocity), length);
        }
    }
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

int KeySignature(int tonic, Mode mode) {
    // Sharps (positive) or flats (negative) of the major key with this pitch class.
    static constexpr int kSharps[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    int major = (tonic + (mode == Mode::Minor ? 3 : 0)) % 12;
    return kSharps[major];
}

std::vector<std::uint8_t> Song::Write() {
    const int phrases = PhraseCount(s_.tempo, s_.beatsPerBar);
    // Song forms by length; every form ends with the main theme.
    static const char* kForms[] = {"A",     "A",      "AB",      "ABA",     "AABA",
                                   "ABABA", "AABABA", "AABAABA", "AABABABA"};
    const std::string form = kForms[std::clamp(phrases, 1, 8)];

    const bool major = s_.mode == Mode::Major;
    const Progression verse =
        major ? kMajorVerses[random_.Range(0, 3)] : kMinorVerses[random_.Range(0, 2)];
    const Progression bridge =
        major ? kMajorBridges[random_.Range(0, 2)] : kMinorBridges[random_.Range(0, 1)];

    MidiTrack conductor, lead, harmony, bass, drums;
    conductor.Name(s_.title);
    conductor.Tempo(0, s_.tempo);
    conductor.TimeSignature(0, s_.beatsPerBar);
    conductor.KeySignature(0, KeySignature(s_.tonic, s_.mode), !major);
    struct Part {
        MidiTrack& track;
        const char* name;
        int channel;
        int program;
        int volume;
        int pan;
        int reverb;
    };
    // Channel volumes leave headroom: with every part playing and each style's trim applied,
    // no track peaks above two fifths of full scale through the game's synthesizer.
    Part parts[] = {{lead, "Melody", kLeadChannel, s_.lead, 88, 64, 56},
                    {harmony, "Harmony", kHarmonyChannel, s_.harmony, 68, 42, 70},
                    {bass, "Bass", kBassChannel, s_.bass, 84, 70, 24},
                    {drums, "Drums", kDrumChannel, 0, 76, 64, 40}};
    // The channel volume acts on the square of its value, 40 log10(volume / 127) dB.
    const float trim = std::pow(10.0f, s_.levelDb / 40.0f);
    for (Part& p : parts) {
        p.track.Name(p.name);
        if (p.channel != kDrumChannel) {
            p.track.Program(0, p.channel, p.program);
        }
        p.track.Controller(0, p.channel, 7,
                           std::clamp(static_cast<int>(std::lround(p.volume * trim)), 1, 127));
        p.track.Controller(0, p.channel, 10, p.pan);
        p.track.Controller(0, p.channel, 91, p.reverb);
    }

    const int melodyCentre = 2;
    Phrase theme{};
    bool haveTheme = false;
    std::uint32_t tick = 0;
    const std::uint32_t barTicks = Units(unitsPerBar_);
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool final = i + 1 == form.size();
        const bool isBridge = form[i] == 'B';
        Progression chords = isBridge ? bridge : verse;
        if (final) {
            chords[6] = 4; // dominant, then home
            chords[7] = 0;
        }
        Phrase phrase = MakePhrase(chords, isBridge ? melodyCentre + 2 : melodyCentre,
                                   !isBridge && haveTheme ? &theme : nullptr, final);
        if (!isBridge && !haveTheme) {
            theme = phrase;
            haveTheme = true;
        }
        WriteMelody(lead, phrase, tick, final);
        for (int b = 0; b < 8; ++b) {
            const bool lastBar = final && b == 7;
            int next = b < 7 ? chords[static_cast<std::size_t>(b + 1)] : 0;
            std::uint32_t barTick = tick + barTicks * static_cast<std::uint32_t>(b);
            WriteHarmony(harmony, chords[static_cast<std::size_t>(b)], next, barTick, lastBar);
            WriteBass(bass, chords[static_cast<std::size_t>(b)], next, barTick, lastBar);
            WriteDrums(drums, b, barTick, b == 0, lastBar);
        }
        tick += barTicks * 8;
    }
    for (MidiTrack* t : {&conductor, &lead, &harmony, &bass, &drums}) {
        t->End(tick);
    }
    return EncodeMidiFile({conductor, lead, harmony, bass, drums});
}

} // namespace

int PhraseCount(int tempo, int beatsPerBar) {
    const double phraseSeconds = 8.0 * beatsPerBar * 60.0 / tempo;
    // Aim for about 70 seconds, always within 45 to 90.
    int n = static_cast<int>(std::lround(70.0 / phraseSeconds));
    while (n > 1 && n * phraseSeconds > 90) {
        --n;
    }
    while (n * phraseSeconds < 45) {
        ++n;
    }
    return std::clamp(n, 1, 8);
}

std::vector<std::uint8_t> ComposeSong(const SongStyle& style) {
    Song song(style);
    return song.Write();
}

} // namespace wz::content
