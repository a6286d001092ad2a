#include "SongBook.h"

#include "LevelNames.h"

namespace wz::content {

namespace {

using HS = HarmonyStyle;
using BS = BassStyle;
using DS = DrumStyle;

// General MIDI programs, 0-based.
enum Program {
    Piano = 0,
    ElectricPiano = 4,
    Celesta = 8,
    MusicBox = 10,
    Vibraphone = 11,
    Organ = 16,
    PercussiveOrgan = 17,
    Accordion = 21,
    NylonGuitar = 24,
    CleanGuitar = 27,
    OverdriveGuitar = 29,
    AcousticBass = 32,
    FingerBass = 33,
    PickBass = 34,
    FretlessBass = 35,
    SynthBass = 38,
    SynthBass2 = 39,
    Violin = 40,
    Cello = 42,
    Contrabass = 43,
    Harp = 46,
    Strings = 48,
    SlowStrings = 49,
    Choir = 52,
    Trumpet = 56,
    FrenchHorn = 60,
    Brass = 61,
    SynthBrass = 62,
    AltoSax = 65,
    TenorSax = 66,
    Oboe = 68,
    Clarinet = 71,
    Flute = 73,
    Recorder = 74,
    PanFlute = 75,
    SquareLead = 80,
    SawLead = 81,
    PolySynth = 90,
    WarmPad = 89,
    NewAgePad = 88,
    Kalimba = 108,
};

// Key names as MIDI keys of the tonic in the melody's octave.
enum Tonic {
    C = 60,
    Db = 61,
    D = 62,
    Eb = 63,
    E = 64,
    F = 65,
    Fs = 66,
    G = 67,
    Ab = 56,
    A = 57,
    Bb = 58,
    B = 59
};

// Levels 1 to 20 in the order they are played. The tempo climbs with the level; the moods
// follow the level pictures, from a quiet dawn to the nebula of the last level.
// The last figure of each style trims its volume so that every track, the title tune and the
// fanfare included, plays at about -25 LUFS through the game's synthesizer and SoundFont: a
// quiet pad and a brass section at the same channel volume lie 9 dB apart.
constexpr SongStyle kLevelStyles[20] = {
    {"Dawn", 96, 4, C, Mode::Major, false, Flute, Piano, AcousticBass, HS::Arpeggio, BS::Roots,
     DS::Soft, 0.3f, 101, 3.5f},
    {"Evening Tide", 104, 3, A, Mode::Minor, false, Clarinet, NylonGuitar, AcousticBass, HS::Waltz,
     BS::Roots, DS::Waltz, 0.4f, 102, 3.0f},
    {"Seahorse Valley", 108, 4, E, Mode::Minor, false, SquareLead, ElectricPiano, SynthBass,
     HS::Arpeggio, BS::Eighths, DS::Dance, 0.5f, 103, 0.0f},
    {"Dunes", 100, 4, D, Mode::Minor, true, Oboe, Strings, AcousticBass, HS::Sustained,
     BS::RootFifth, DS::Latin, 0.4f, 104, -2.5f},
    {"Plasma", 112, 4, G, Mode::Major, false, SawLead, PercussiveOrgan, SynthBass2, HS::Stabs,
     BS::Octaves, DS::Dance, 0.6f, 105, -1.0f},
    {"Misty Pines", 98, 3, F, Mode::Major, true, Recorder, Harp, Cello, HS::Arpeggio, BS::Roots,
     DS::None, 0.3f, 106, -0.5f},
    {"Julia", 114, 4, B, Mode::Minor, false, Vibraphone, NewAgePad, FingerBass, HS::Sustained,
     BS::RootFifth, DS::Soft, 0.5f, 107, 1.5f},
    {"Falling Leaves", 116, 3, D, Mode::Major, false, Violin, Piano, Contrabass, HS::Waltz,
     BS::Roots, DS::Waltz, 0.5f, 108, 0.5f},
    {"Stained Glass", 118, 4, A, Mode::Major, false, Trumpet, Strings, FingerBass, HS::Sustained,
     BS::RootFifth, DS::Rock, 0.5f, 109, -2.0f},
    {"Deep Blue", 100, 4, F, Mode::Minor, true, Kalimba, WarmPad, FretlessBass, HS::Sustained,
     BS::Roots, DS::Soft, 0.4f, 110, 4.5f},
    {"Mandala", 122, 4, C, Mode::Minor, true, PanFlute, Harp, SynthBass, HS::Arpeggio, BS::Eighths,
     DS::Latin, 0.6f, 111, 1.5f},
    {"Night City", 120, 4, Eb, Mode::Major, false, TenorSax, ElectricPiano, AcousticBass, HS::Stabs,
     BS::Walking, DS::Swing, 0.6f, 112, 1.5f},
    {"Three Roots", 126, 4, G, Mode::Minor, false, SquareLead, PolySynth, SynthBass, HS::Arpeggio,
     BS::Octaves, DS::Dance, 0.6f, 113, 0.0f},
    {"Snowfall", 108, 4, D, Mode::Major, false, MusicBox, Choir, Cello, HS::Sustained, BS::Roots,
     DS::Soft, 0.4f, 114, 2.0f},
    {"Moire", 130, 4, A, Mode::Minor, false, CleanGuitar, PercussiveOrgan, PickBass, HS::Stabs,
     BS::Eighths, DS::Rock, 0.6f, 115, 2.5f},
    {"Eruption", 134, 4, E, Mode::Minor, false, Brass, Strings, FingerBass, HS::Broken, BS::Eighths,
     DS::Rock, 0.6f, 116, 0.5f},
    {"Spiral Galaxy", 136, 4, Db, Mode::Minor, false, SawLead, ElectricPiano, SynthBass,
     HS::Arpeggio, BS::Octaves, DS::Dance, 0.7f, 117, -1.5f},
    {"Northern Lights", 140, 4, Fs, Mode::Minor, false, Violin, Piano, FingerBass, HS::Arpeggio,
     BS::Octaves, DS::Rock, 0.6f, 118, -0.5f},
    {"Ringworld", 144, 4, Bb, Mode::Major, false, SynthBrass, Strings, SynthBass2, HS::Stabs,
     BS::Octaves, DS::Dance, 0.7f, 119, -1.5f},
    {"Nebula", 150, 4, D, Mode::Minor, false, OverdriveGuitar, SlowStrings, PickBass, HS::Sustained,
     BS::Eighths, DS::Rock, 0.7f, 120, 2.5f},
};

// The title tune is slow and stately; the final track a fanfare.
constexpr SongStyle kTitleStyle{"WinZolvik",   84,         4,       F,          Mode::Major,
                                false,         FrenchHorn, Strings, Contrabass, HS::Sustained,
                                BS::RootFifth, DS::Soft,   0.3f,    99,         -4.0f};
constexpr SongStyle kWinStyle{"Victory",   132,      4,     C,          Mode::Major,
                              false,       Trumpet,  Brass, FingerBass, HS::Stabs,
                              BS::Octaves, DS::Rock, 0.6f,  121,        1.0f};

} // namespace

const SongStyle* FindSongStyle(std::u16string_view streamName) {
    if (streamName == kTitleTrack) {
        return &kTitleStyle;
    }
    if (streamName == kWinTrack) {
        return &kWinStyle;
    }
    for (int level = 1; level <= kLevelCount; ++level) {
        if (levelTrackNames[static_cast<std::size_t>(level - 1)] == streamName) {
            return &kLevelStyles[level - 1];
        }
    }
    return nullptr;
}

std::vector<std::uint8_t> MakeMusicTrack(std::u16string_view streamName) {
    const SongStyle* style = FindSongStyle(streamName);
    return style != nullptr ? ComposeSong(*style) : std::vector<std::uint8_t>{};
}

} // namespace wz::content
