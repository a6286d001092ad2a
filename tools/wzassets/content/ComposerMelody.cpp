// The melody: two-bar cells of rhythm and scale degrees drawn towards the chord tones, a
// phrase of four cells that may answer an earlier theme, and its notes on the lead channel.

#include "ComposerSong.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace wz::content::song {

namespace {

// Melody rhythms of a bar of four beats and of three, busy, calm, and for a phrase's end.
const std::vector<Rhythm> kBusy4 = {{2, 2, 2, 2},      {3, 1, 2, 2},    {2, 1, 1, 2, 2},
                                    {1, 1, 2, 2, 2},   {2, 2, 1, 1, 2}, {3, 3, 2},
                                    {1, 1, 1, 1, 2, 2}};
const std::vector<Rhythm> kCalm4 = {{4, 4}, {4, 2, 2}, {6, 2}, {2, 2, 4}, {3, 1, 4}, {3, 3, 2}};
const std::vector<Rhythm> kEnding4 = {{2, 2, 4},     {4, 4},     {2, 6}, {3, 1, 4},
                                      {2, 2, 2, -2}, {4, 2, -2}, {6, -2}};
const std::vector<Rhythm> kBusy3 = {{2, 2, 2}, {3, 1, 2}, {2, 1, 1, 2}, {1, 1, 2, 2}};
const std::vector<Rhythm> kCalm3 = {{4, 2}, {6}, {2, 4}, {3, 1, 2}};
const std::vector<Rhythm> kEnding3 = {{2, 4}, {6}, {4, -2}, {2, 2, -2}};

} // namespace

const Rhythm& Song::PickRhythm(bool ending) {
    bool four = s_.beatsPerBar == 4;
    const auto& list = ending ? (four ? kEnding4 : kEnding3)
                              : (random_.Chance(s_.busyness) ? (four ? kBusy4 : kBusy3)
                                                             : (four ? kCalm4 : kCalm3));
    return list[static_cast<std::size_t>(random_.Range(0, static_cast<int>(list.size()) - 1))];
}

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
                if ((degree > centre + 3 && step > 0) || (degree < centre - 3 && step < 0)) {
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

} // namespace wz::content::song
