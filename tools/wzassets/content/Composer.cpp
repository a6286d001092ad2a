#include "Composer.h"

#include "ComposerSong.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

namespace wz::content {

namespace song {

namespace {

// The progressions a song draws its verses and bridges from, by mode.
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

int KeySignature(int tonic, Mode mode) {
    // Sharps (positive) or flats (negative) of the major key with this pitch class.
    static constexpr int kSharps[12] = {0, -5, 2, -3, 4, -1, 6, 1, -4, 3, -2, 5};
    int major = (tonic + (mode == Mode::Minor ? 3 : 0)) % 12;
    return kSharps[major];
}

} // namespace

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

} // namespace song

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
    song::Song composer(style);
    return composer.Write();
}

} // namespace wz::content
