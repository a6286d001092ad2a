#include "MidiWriter.h"

#include <algorithm>

namespace wz::content {

namespace {

void PutVarLen(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t bytes[5];
    int n = 0;
    do {
        bytes[n++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (n > 1) {
        out.push_back(bytes[--n] | 0x80);
    }
    out.push_back(bytes[0]);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) {
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

std::uint8_t Data(int v) {
    return static_cast<std::uint8_t>(std::clamp(v, 0, 127));
}

std::uint8_t Status(int kind, int channel) {
    return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}

} // namespace

void MidiTrack::Add(std::uint32_t tick, int order, std::vector<std::uint8_t> bytes) {
    events_.push_back({tick, order, static_cast<std::uint32_t>(events_.size()), std::move(bytes)});
}

void MidiTrack::Name(std::string_view name) {
    std::vector<std::uint8_t> b{0xFF, 0x03,
                                static_cast<std::uint8_t>(std::min<std::size_t>(name.size(), 127))};
    b.insert(b.end(), name.begin(), name.begin() + b[2]);
    Add(0, 0, std::move(b));
}

void MidiTrack::Tempo(std::uint32_t tick, int beatsPerMinute) {
    auto us = static_cast<std::uint32_t>(60000000 / beatsPerMinute);
    Add(tick, 0,
        {0xFF, 0x51, 0x03, static_cast<std::uint8_t>(us >> 16), static_cast<std::uint8_t>(us >> 8),
         static_cast<std::uint8_t>(us)});
}

void MidiTrack::TimeSignature(std::uint32_t tick, int beatsPerBar) {
    // Quarter-note beats; 24 clocks per metronome click, 8 thirty-seconds per quarter.
    Add(tick, 0, {0xFF, 0x58, 0x04, static_cast<std::uint8_t>(beatsPerBar), 2, 24, 8});
}

void MidiTrack::KeySignature(std::uint32_t tick, int sharps, bool minor) {
    Add(tick, 0,
        {0xFF, 0x59, 0x02, static_cast<std::uint8_t>(static_cast<std::int8_t>(sharps)),
         static_cast<std::uint8_t>(minor ? 1 : 0)});
}

void MidiTrack::Program(std::uint32_t tick, int channel, int program) {
    Add(tick, 2, {Status(0xC0, channel), Data(program)});
}

void MidiTrack::Controller(std::uint32_t tick, int channel, int controller, int value) {
    Add(tick, 2, {Status(0xB0, channel), Data(controller), Data(value)});
}

void MidiTrack::Note(std::uint32_t tick, int channel, int key, int velocity,
                     std::uint32_t duration) {
    Add(tick, 3, {Status(0x90, channel), Data(key), Data(std::max(velocity, 1))});
    // A note-off is written as a note-on of velocity 0, which every player takes.
    Add(tick + duration, 1, {Status(0x90, channel), Data(key), 0});
}

std::vector<std::uint8_t> MidiTrack::Encode() const {
    // Whatever would sound past the end is cut at the end, so that no note hangs over into
    // the next time round.
    std::uint32_t end = end_;
    for (const Event& e : events_) {
        end = end_ == 0 ? std::max(end, e.tick + (e.order == 3 ? 1 : 0)) : end;
    }
    auto tickOf = [end](const Event& e) { return std::min(e.tick, end); };
    std::vector<const Event*> sorted;
    sorted.reserve(events_.size());
    for (const Event& e : events_) {
        // A note that would start at the very end could never be switched off.
        if (e.order == 3 && e.tick >= end) {
            continue;
        }
        sorted.push_back(&e);
    }
    std::sort(sorted.begin(), sorted.end(), [&](const Event* a, const Event* b) {
        if (tickOf(*a) != tickOf(*b)) {
            return tickOf(*a) < tickOf(*b);
        }
        if (a->order != b->order) {
            return a->order < b->order;
        }
        return a->sequence < b->sequence;
    });
    std::vector<std::uint8_t> body;
    std::uint32_t now = 0;
    for (const Event* e : sorted) {
        PutVarLen(body, tickOf(*e) - now);
        now = tickOf(*e);
        body.insert(body.end(), e->bytes.begin(), e->bytes.end());
    }
    PutVarLen(body, end - now);
    body.insert(body.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> chunk{'M', 'T', 'r', 'k'};
    Put32(chunk, static_cast<std::uint32_t>(body.size()));
    chunk.insert(chunk.end(), body.begin(), body.end());
    return chunk;
}

std::vector<std::uint8_t> EncodeMidiFile(const std::vector<MidiTrack>& tracks) {
    std::vector<std::uint8_t> out{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    out.push_back(static_cast<std::uint8_t>(tracks.size() >> 8));
    out.push_back(static_cast<std::uint8_t>(tracks.size()));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter >> 8));
    out.push_back(static_cast<std::uint8_t>(kTicksPerQuarter & 0xFF));
    for (const MidiTrack& t : tracks) {
        auto chunk = t.Encode();
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    return out;
}

} // namespace wz::content
