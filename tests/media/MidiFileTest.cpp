// The structural check of MIDI files: what the player can play to an end is taken, everything
// cut, malformed or endless is refused before it reaches the audio thread.

#include "MidiFile.h"
#include "AudioTestSupport.h"

#include <gtest/gtest.h>

namespace wz::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes Chunk(const char* id, const Bytes& data) {
    Bytes chunk(id, id + 4);
    AppendBigEndian(chunk, static_cast<std::uint32_t>(data.size()), 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};
// A note held for 96 ticks, then the end of the track.
const Bytes kNote = {0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};

Bytes Song(const Bytes& trackData, int tracks = 1, int format = 0, int division = 480) {
    Bytes song = MidiHeader(format, tracks, division);
    for (int i = 0; i < tracks; ++i) {
        song = Join({song, Chunk("MTrk", trackData)});
    }
    return song;
}

struct Accepted {
    const char* name;
    Bytes bytes;
    std::int64_t totalTicks;
};

TEST(MidiFileTest, AcceptsPlayableFiles) {
    const Accepted cases[] = {
        {"one note", Song(kNote), 96},
        {"format 1, the longest track counts",
         Join({MidiHeader(1, 2, 96), Chunk("MTrk", kNote),
               Chunk("MTrk", {0x83, 0x60, 0xFF, 0x2F, 0x00})}),
         480},
        {"running status",
         Song({0x00, 0x90, 60, 100, 0x10, 62, 100, 0x10, 64, 0, 0x00, 0xFF, 0x2F, 0x00}), 32},
        {"program change and channel pressure take one data byte",
         Song({0x00, 0xC0, 19, 0x00, 0xD0, 40, 0x20, 0xE0, 0x00, 0x40, 0x00, 0xFF, 0x2F, 0x00}),
         32},
        {"system exclusive and text",
         Song({0x00, 0xF0, 0x03, 0x7E, 0x09, 0xF7, 0x00, 0xFF, 0x01, 0x02, 'h', 'i', 0x40, 0xFF,
               0x2F, 0x00}),
         64},
        {"tempo and time signature",
         Song({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8, 0x30,
               0xFF, 0x2F, 0x00}),
         48},
        {"unknown chunk skipped",
         Join({MidiHeader(0, 1, 480), Chunk("XFIH", {1, 2, 3}), Chunk("MTrk", kNote)}), 96},
        {"no end of track event", Song({0x00, 0x90, 60, 100, 0x60, 0x80, 60, 0}), 96},
        {"bytes after the end of track are ignored", Song({0x60, 0xFF, 0x2F, 0x00, 0x90}), 96},
        {"last chunk longer than the file, end of track inside",
         [] {
             Bytes song = Song(kNote);
             song[14 + 7] += 10;
             return song;
         }(),
         96},
        {"four-byte delta time", Song({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00}), 0x0FFFFFFF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MidiFileCheck check = CheckMidiFile(c.bytes);
        EXPECT_TRUE(check.ok()) << check.error;
        EXPECT_EQ(check.info.totalTicks, c.totalTicks);
        EXPECT_TRUE(check.error.empty());
    }
}

TEST(MidiFileTest, ReportsTheHeader) {
    const MidiFileCheck check = CheckMidiFile(Song(kNote, 3, 1, 192));
    ASSERT_TRUE(check.ok()) << check.error;
    EXPECT_EQ(check.info.format, 1);
    EXPECT_EQ(check.info.trackCount, 3);
    EXPECT_EQ(check.info.division, 192);
}

struct Refused {
    const char* name;
    Bytes bytes;
};

TEST(MidiFileTest, RefusesWhatThePlayerCannotPlayToAnEnd) {
    const Bytes good = Song(kNote);
    auto withHeaderByte = [&](std::size_t at, std::uint8_t value) {
        Bytes song = good;
        song[at] = value;
        return song;
    };
    const Refused cases[] = {
        {"empty", {}},
        {"shorter than a header", Bytes(good.begin(), good.begin() + 13)},
        {"wrong magic", withHeaderByte(0, 'X')},
        {"header length 7", withHeaderByte(7, 7)},
        {"format 3", withHeaderByte(9, 3)},
        {"no tracks", withHeaderByte(11, 0)},
        {"more tracks than the player takes", Song(kNote, kMaxMidiTracks + 1, 1)},
        {"SMPTE timing", Song(kNote, 1, 0, 0xE728)},
        {"zero ticks per quarter note: time would never advance", Song(kNote, 1, 0, 0)},
        {"fewer tracks than the header says", Join({MidiHeader(1, 2, 480), Chunk("MTrk", kNote)})},
        {"unknown chunk runs past the end",
         Join({MidiHeader(0, 1, 480), Bytes{'X', 'X', 'X', 'X', 0, 0, 1, 0}})},
        {"file cut inside a track", Bytes(good.begin(), good.end() - 5)},
        {"data byte without a status", Song({0x00, 60, 100, 0x00, 0xFF, 0x2F, 0x00})},
        {"running status does not survive a meta event",
         Song(
             {0x00, 0x90, 60, 100, 0x00, 0xFF, 0x01, 0x00, 0x00, 62, 100, 0x00, 0xFF, 0x2F, 0x00})},
        {"note cut at the chunk end", Song({0x00, 0x90, 60})},
        {"delta time of five bytes", Song({0x80, 0x80, 0x80, 0x80, 0x00, 0xFF, 0x2F, 0x00})},
        {"delta time cut", Song({0x80})},
        {"meta data past the chunk", Song({0x00, 0xFF, 0x01, 0x40, 'a'})},
        {"tempo of two bytes", Song({0x00, 0xFF, 0x51, 0x02, 0x07, 0xA1, 0x60, 0xFF, 0x2F, 0x00})},
        {"end of track with data", Song({0x60, 0xFF, 0x2F, 0x01, 0x00})},
        {"system exclusive past the chunk", Song({0x00, 0xF0, 0x7F, 0x01})},
        {"escape message the player refuses",
         Song({0x00, 0xF7, 0x01, 0x01, 0x00, 0xFF, 0x2F, 0x00})},
        {"system common message", Song({0x00, 0xF2, 0x00, 0x00, 0x00, 0xFF, 0x2F, 0x00})},
        {"no music at all: it would end at every buffer", Song(kEnd)},
        {"longer than the player can count",
         Song({0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF,
               0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF,
               0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0xFF, 0xFF, 0x7F, 0xFF, 0x2F, 0x00})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const MidiFileCheck check = CheckMidiFile(c.bytes);
        EXPECT_FALSE(check.ok());
        EXPECT_FALSE(check.error.empty());
    }
}

// Every prefix of a good file is either refused or, once the end of track is in, accepted;
// none is read past its end (the sanitizers watch).
TEST(MidiFileTest, EveryTruncationIsSafe) {
    const Bytes song =
        Join({MidiHeader(1, 2, 480), Chunk("MTrk", kNote),
              Chunk("MTrk", {0x00, 0xF0, 0x02, 0x01, 0xF7, 0x10, 0xFF, 0x2F, 0x00})});
    for (std::size_t size = 0; size < song.size(); ++size) {
        const Bytes cut(song.begin(), song.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(CheckMidiFile(cut).ok()) << size;
    }
    EXPECT_TRUE(CheckMidiFile(song).ok());
}

} // namespace
} // namespace wz::test
