// The media checks on good files and on damaged ones: every damage is named, none crashes or
// reads past the bytes it was given.

#include "MediaChecks.h"
#include "DefaultContent.h"
#include "JpegWriter.h"
#include "KnockSound.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace wz::content;
using namespace wz::media;
using Bytes = std::vector<std::uint8_t>;

// Runs a check on an exactly sized heap copy, so that AddressSanitizer sees any read past the
// end.
template <class Info>
std::string CheckCopy(std::string (*check)(std::span<const std::uint8_t>, Info&),
                      const Bytes& bytes) {
    auto copy = std::make_unique<std::uint8_t[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), copy.get());
    Info info;
    return check(std::span<const std::uint8_t>(copy.get(), bytes.size()), info);
}

struct Damage {
    const char* name;
    std::function<void(Bytes&)> apply;
    const char* expected; // a part of the problem text, or "" for a file that stays good
};

void Expect(const Damage& d, const std::string& problem) {
    SCOPED_TRACE(d.name);
    if (*d.expected == 0) {
        EXPECT_EQ(problem, "");
    } else {
        EXPECT_NE(problem.find(d.expected), std::string::npos) << problem;
    }
}

void Put32Le(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

TEST(WaveCheck, NamesEachKindOfDamage) {
    const Bytes good = MakeKnockWav();
    const Damage cases[] = {
        {"intact", [](Bytes&) {}, ""},
        {"empty", [](Bytes& b) { b.clear(); }, "not a WAV"},
        {"cut inside the header", [](Bytes& b) { b.resize(10); }, "not a WAV"},
        {"wrong magic", [](Bytes& b) { b[0] = 'X'; }, "not a WAV"},
        {"cut after the header", [](Bytes& b) { b.resize(12); }, "without a format"},
        {"format chunk huge", [](Bytes& b) { Put32Le(b, 16, 0xFFFFFFF0u); }, "format chunk"},
        {"format chunk short", [](Bytes& b) { Put32Le(b, 16, 8); }, "format chunk"},
        {"compressed samples", [](Bytes& b) { b[20] = 2; }, "not PCM"},
        {"no channels", [](Bytes& b) { b[22] = 0; }, "channel"},
        {"odd sample size", [](Bytes& b) { b[34] = 12; }, "sample size"},
        {"data longer than the file", [](Bytes& b) { Put32Le(b, 40, 0x7FFFFFFFu); },
         "past the end"},
        {"cut inside the data", [](Bytes& b) { b.resize(100); }, "past the end"},
        {"no data chunk", [](Bytes& b) { b.resize(36); }, "without sample data"},
        {"data before format", [](Bytes& b) { std::copy_n("data", 4, b.begin() + 12); },
         "before its format"},
        {"unknown chunk before data",
         [](Bytes& b) {
             Bytes extra = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
             b.insert(b.begin() + 36, extra.begin(), extra.end());
         },
         ""},
    };
    for (const Damage& d : cases) {
        Bytes b = good;
        d.apply(b);
        Expect(d, CheckCopy(CheckWave, b));
    }
}

void Put32Be(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
    }
}

// Declares the last chunk `extra` bytes longer than what is left of the file after its head.
void Overstate(Bytes& b, std::uint32_t extra) {
    std::size_t last = 14;
    for (std::size_t pos = 14; pos + 8 <= b.size();) {
        last = pos;
        pos += 8 + (std::size_t{b[pos + 4]} << 24 | std::size_t{b[pos + 5]} << 16 |
                    std::size_t{b[pos + 6]} << 8 | b[pos + 7]);
    }
    Put32Be(b, last + 4, static_cast<std::uint32_t>(b.size() - last - 8 + extra));
}

TEST(MidiCheck, NamesEachKindOfDamage) {
    const Bytes good = MakeDefaultElement({u"Music", u"Love1"});
    // The first track chunk starts at 14; its first event at 22.
    const Damage cases[] = {
        {"intact", [](Bytes&) {}, ""},
        {"empty", [](Bytes& b) { b.clear(); }, "not a Standard MIDI"},
        {"wrong magic", [](Bytes& b) { b[1] = 'X'; }, "not a Standard MIDI"},
        {"header size huge", [](Bytes& b) { Put32Be(b, 4, 0xFFFFFFFFu); }, "header"},
        {"header size short", [](Bytes& b) { Put32Be(b, 4, 2); }, "header"},
        {"format 3", [](Bytes& b) { b[9] = 3; }, "format"},
        {"no tracks", [](Bytes& b) { b[11] = 0; }, "track count"},
        {"format 0 with five tracks", [](Bytes& b) { b[9] = 0; }, "track count"},
        {"no division", [](Bytes& b) { b[12] = b[13] = 0; }, "division"},
        {"more tracks declared than present", [](Bytes& b) { b[11] = 9; }, "ends after 5 of 9"},
        {"track chunk longer than the file", [](Bytes& b) { Put32Be(b, 18, 0x7FFFFFFFu); },
         "past the end"},
        // Just past the end: the chunk's head counts as well as what is left.
        {"last track 1 byte longer than the file", [](Bytes& b) { Overstate(b, 1); },
         "past the end"},
        {"last track 8 bytes longer than the file", [](Bytes& b) { Overstate(b, 8); },
         "past the end"},
        {"cut in the middle", [](Bytes& b) { b.resize(b.size() / 2); }, ""},
        {"last track without its end", [](Bytes& b) { b[b.size() - 2] = 0x01; }, "no end-of-track"},
        {"cut just after the header", [](Bytes& b) { b.resize(14); }, "ends after 0 of 5"},
        {"unknown chunk before the tracks",
         [](Bytes& b) {
             Bytes extra = {'X', 'Y', 'Z', 'W', 0, 0, 0, 2, 1, 2};
             b.insert(b.begin() + 14, extra.begin(), extra.end());
         },
         ""},
    };
    for (const Damage& d : cases) {
        Bytes b = good;
        d.apply(b);
        std::string problem = CheckCopy(CheckMidi, b);
        if (std::string(d.name) == "cut in the middle") {
            EXPECT_NE(problem, "") << d.name;
            continue;
        }
        Expect(d, problem);
    }
}

// One track chunk holding the given event bytes, in a format-0 file.
Bytes OneTrack(const Bytes& events) {
    Bytes b = {'M', 'T',  'h',  'd', 0,   0,   0,   6, 0, 0, 0,
               1,   0x01, 0xE0, 'M', 'T', 'r', 'k', 0, 0, 0, 0};
    Put32Be(b, 18, static_cast<std::uint32_t>(events.size()));
    b.reserve(b.size() + events.size());
    b.insert(b.end(), events.begin(), events.end());
    return b;
}

TEST(MidiCheck, EventsOfEveryKindAreWalkedSafely) {
    const Bytes end = {0x00, 0xFF, 0x2F, 0x00};
    auto with = [&](Bytes events) {
        events.insert(events.end(), end.begin(), end.end());
        return OneTrack(events);
    };
    struct Case {
        const char* name;
        Bytes file;
        const char* expected;
    };
    const Case cases[] = {
        {"only the end", with({}), ""},
        {"note with running status", with({0x00, 0x90, 60, 100, 0x60, 60, 0}), ""},
        {"program change has one data byte", with({0x00, 0xC0, 5, 0x00, 0xD0, 7}), ""},
        {"system exclusive", with({0x00, 0xF0, 0x03, 1, 2, 0xF7}), ""},
        {"tempo", with({0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}), ""},
        {"running status without a status", with({0x00, 60, 100}), "without a status"},
        {"data byte above 127", with({0x00, 0x90, 0x80, 100}), "above 127"},
        {"tempo of zero", with({0x00, 0xFF, 0x51, 0x03, 0, 0, 0}), "tempo of zero"},
        {"tempo too short", with({0x00, 0xFF, 0x51, 0x02, 1, 2}), "wrong length"},
        {"meta longer than the track", OneTrack({0x00, 0xFF, 0x01, 0x7F, 'a'}), "past the end"},
        {"sysex longer than the track", OneTrack({0x00, 0xF0, 0x7F, 1}), "past the end"},
        {"five-byte delta", OneTrack({0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0x00}), "delta"},
        {"delta cut off", OneTrack({0x81}), "delta"},
        {"real-time byte", with({0x00, 0xF8}), "no place"},
        {"note cut off", OneTrack({0x00, 0x90, 60}), "cut off"},
        {"no end", OneTrack({0x00, 0x90, 60, 100}), "no end-of-track"},
    };
    for (const Case& c : cases) {
        Expect({c.name, {}, c.expected}, CheckCopy(CheckMidi, c.file));
    }
}

TEST(MidiCheck, LengthFollowsTheTempoMap) {
    // 480 ticks a quarter: one quarter at 120 beats a minute, then a tempo of 60 and one more.
    Bytes events = {0x83, 0x60, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40, // 1 000 000 us a quarter
                    0x83, 0x60, 0xFF, 0x2F, 0x00};
    MidiInfo info;
    Bytes file = OneTrack(events);
    ASSERT_EQ(CheckMidi(file, info), "");
    EXPECT_EQ(info.lengthTicks, 960u);
    EXPECT_DOUBLE_EQ(info.seconds, 1.5);
}

TEST(PictureCheck, DecodesGoodPicturesAndNamesBadOnes) {
    // A busy pattern, so that most of the file is picture data rather than tables.
    wz::content::Canvas canvas(40, 30);
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 40; ++x) {
            canvas.Set(x, y,
                       wz::content::Rgb{static_cast<std::uint8_t>(x * 37 ^ y * 91),
                                        static_cast<std::uint8_t>(x * y), 90});
        }
    }
    const Bytes good = EncodeJpeg(canvas, 90, ChromaSampling::Halved);
    PictureInfo info;
    ASSERT_EQ(CheckPicture(good, info), "");
    EXPECT_EQ(info.width, 40);
    EXPECT_EQ(info.height, 30);

    const Damage cases[] = {
        {"empty", [](Bytes& b) { b.clear(); }, "not a JPEG"},
        {"a WAV file", [](Bytes& b) { b = MakeKnockWav(); }, "not a JPEG"},
        {"cut inside the picture data", [](Bytes& b) { b.resize(b.size() - 40); },
         "does not decode"},
    };
    for (const Damage& d : cases) {
        Bytes b = good;
        d.apply(b);
        Expect(d, CheckCopy(CheckPicture, b));
    }
}

} // namespace
