// The knock and the 22 music tracks as files: the knock a short PCM WAV that starts at once
// and ends in silence, every track a Standard MIDI File of the right length whose notes all
// end before the file does.

#include "DefaultContent.h"
#include "KnockSound.h"
#include "LevelNames.h"
#include "MediaChecks.h"
#include "SongBook.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace {

using namespace wz::content;
using namespace wz::media;

std::string Narrow(std::u16string_view s) {
    return {s.begin(), s.end()};
}

TEST(Knock, IsAShortSixteenBitPcmWaveThatEndsInSilence) {
    auto wav = MakeKnockWav();
    WaveInfo info;
    ASSERT_EQ(CheckWave(wav, info), "");
    EXPECT_EQ(info.format, 1);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(info.bitsPerSample, 16);
    EXPECT_LE(info.frames * 1000.0 / info.sampleRate, 150.0);
    ASSERT_EQ(wav.size(), 44 + info.frames * 2);

    auto sample = [&](std::size_t i) {
        return static_cast<std::int16_t>(wav[44 + 2 * i] | (wav[45 + 2 * i] << 8));
    };
    int peak = 0;
    std::size_t peakAt = 0;
    for (std::size_t i = 0; i < info.frames; ++i) {
        if (std::abs(sample(i)) > peak) {
            peak = std::abs(sample(i));
            peakAt = i;
        }
    }
    EXPECT_GT(peak, 20000);                           // loud enough to hear over the music
    EXPECT_LT(peakAt, info.frames / 10);              // percussive: the loudest part comes first
    EXPECT_LT(std::abs(sample(info.frames - 1)), 50); // and no click at the end
}

// The events of a file that CheckMidi has passed, for a closer look.
struct Event {
    std::uint64_t tick;
    int status;
    int a;
    int b;
};

std::vector<std::vector<Event>> ReadEvents(const std::vector<std::uint8_t>& midi) {
    std::vector<std::vector<Event>> tracks;
    std::size_t pos = 14;
    while (pos + 8 <= midi.size()) {
        std::size_t size =
            (midi[pos + 4] << 24) | (midi[pos + 5] << 16) | (midi[pos + 6] << 8) | midi[pos + 7];
        std::size_t p = pos + 8;
        std::size_t end = p + size;
        std::uint64_t tick = 0;
        std::vector<Event> events;
        while (p < end) {
            std::uint32_t delta = 0;
            do {
                delta = (delta << 7) | (midi[p] & 0x7F);
            } while (midi[p++] & 0x80);
            tick += delta;
            int status = midi[p++];
            if (status == 0xFF) {
                int type = midi[p++];
                int len = midi[p++];
                events.push_back({tick, status, type, len});
                p += static_cast<std::size_t>(len);
            } else if ((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0) {
                events.push_back({tick, status, midi[p], 0});
                p += 1;
            } else {
                events.push_back({tick, status, midi[p], midi[p + 1]});
                p += 2;
            }
        }
        tracks.push_back(events);
        pos = end;
    }
    return tracks;
}

TEST(Music, EveryTrackIsAStandardMidiFileOfFortyFiveToNinetySeconds) {
    std::set<std::pair<int, int>> tempoAndLead;
    for (const AssetElement& e : AssetElements()) {
        if (e.storage != wz::kMusicStorage) {
            continue;
        }
        SCOPED_TRACE(Narrow(e.name));
        auto midi = MakeDefaultElement(e);
        MidiInfo info;
        ASSERT_EQ(CheckMidi(midi, info), "");
        EXPECT_EQ(info.format, 1);
        EXPECT_GE(info.seconds, 45.0);
        EXPECT_LE(info.seconds, 90.0);
        EXPECT_GT(info.notes, 100u);

        const SongStyle* style = FindSongStyle(e.name);
        ASSERT_NE(style, nullptr);
        // The file ends on a bar line, so the restart keeps the beat.
        EXPECT_EQ(info.lengthTicks % (480u * static_cast<unsigned>(style->beatsPerBar)), 0u);

        std::map<std::pair<int, int>, int> sounding;
        int programs = 0;
        for (const auto& track : ReadEvents(midi)) {
            ASSERT_FALSE(track.empty());
            EXPECT_EQ(track.back().status, 0xFF);
            EXPECT_EQ(track.back().a, 0x2F);
            EXPECT_EQ(track.back().tick, info.lengthTicks) << "every track ends together";
            for (const Event& ev : track) {
                if ((ev.status & 0xF0) == 0x90) {
                    sounding[{ev.status & 0x0F, ev.a}] += ev.b > 0 ? 1 : -1;
                } else if ((ev.status & 0xF0) == 0xC0) {
                    ++programs;
                }
            }
        }
        for (const auto& [key, count] : sounding) {
            EXPECT_EQ(count, 0) << "note " << key.second << " on channel " << key.first
                                << " still sounds at the end";
        }
        EXPECT_EQ(programs, 3); // melody, harmony and bass; drums on channel 10
        tempoAndLead.insert({style->tempo, style->lead});
    }
    EXPECT_EQ(tempoAndLead.size(), 22u) << "each track has its own tempo or instrument";
}

TEST(Music, TheTrackOfALevelIsWrittenInThatLevelsMood) {
    // Level 6 plays the stream "Love18" and level 20 "Love6": the styles follow the levels.
    EXPECT_EQ(FindSongStyle(u"Love18"), FindSongStyle(wz::levelTrackNames[5]));
    EXPECT_LT(FindSongStyle(u"Love18")->tempo, FindSongStyle(u"Love6")->tempo);
    EXPECT_EQ(FindSongStyle(u"Love21"), nullptr);
    EXPECT_TRUE(MakeMusicTrack(u"Jacket").empty());
}

TEST(Music, PhrasePlansStayWithinTheLengthForEveryTempo) {
    for (int beats : {3, 4}) {
        for (int tempo = 60; tempo <= 180; ++tempo) {
            double seconds = PhraseCount(tempo, beats) * 8.0 * beats * 60.0 / tempo;
            EXPECT_GE(seconds, 45.0) << tempo;
            EXPECT_LE(seconds, 90.0) << tempo;
        }
    }
}

} // namespace
