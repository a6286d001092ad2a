#include "MidiFile.h"

#include "ByteOrder.h"
#include "MidiReader.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

namespace wz {
namespace {

// Meta events whose data the player insists on a fixed length for.
std::optional<std::uint32_t> RequiredMetaLength(std::uint8_t type) {
    switch (type) {
    case 0x2F: // end of track
        return 0;
    case 0x51: // tempo
        return 3;
    case 0x54: // SMPTE offset
        return 5;
    case 0x58: // time signature
        return 4;
    case 0x59: // key signature
        return 2;
    default:
        return std::nullopt;
    }
}

int ChannelMessageDataBytes(std::uint8_t status) {
    const std::uint8_t type = status & 0xF0;
    return (type == 0xC0 || type == 0xD0) ? 1 : 2;
}

// Walks the events of one track; returns its length in ticks or sets error.
std::optional<std::int64_t> CheckTrack(MidiChunkReader& reader, bool chunkComplete,
                                       std::string& error) {
    std::int64_t ticks = 0;
    // The status a data byte continues; 0, which no status byte is, for none.
    std::uint8_t runningStatus = 0;
    while (!reader.AtEnd()) {
        auto delta = reader.VarLen();
        if (!delta) {
            error = "bad or cut delta time";
            return std::nullopt;
        }
        ticks += *delta;
        if (ticks > std::numeric_limits<std::int32_t>::max()) {
            error = "track longer than the player can count";
            return std::nullopt;
        }
        auto first = reader.Byte();
        if (!first) {
            error = "event cut off after its delta time";
            return std::nullopt;
        }
        std::uint8_t status = *first;
        int dataBytes = 0;
        if ((status & 0x80) == 0) {
            if (runningStatus == 0) {
                error = "data byte without a status";
                return std::nullopt;
            }
            status = runningStatus;
            dataBytes = ChannelMessageDataBytes(status) - 1; // the first one was just read
        } else if (status == 0xFF) {
            runningStatus = 0;
            auto type = reader.Byte();
            auto length = type ? reader.VarLen() : std::nullopt;
            if (!length) {
                error = "meta event cut off";
                return std::nullopt;
            }
            auto required = RequiredMetaLength(*type);
            if (required && *required != *length) {
                error = "meta event with a wrong length";
                return std::nullopt;
            }
            if (!reader.Skip(*length)) {
                error = "meta event data runs past its chunk";
                return std::nullopt;
            }
            if (*type == 0x2F) {
                return ticks; // whatever follows the end of track is never played
            }
            continue;
        } else if (status == 0xF0) {
            runningStatus = 0;
            auto length = reader.VarLen();
            if (!length || !reader.Skip(*length)) {
                error = "system exclusive message runs past its chunk";
                return std::nullopt;
            }
            continue;
        } else if (status > 0xF0) {
            error = "system message the player does not take";
            return std::nullopt;
        } else {
            runningStatus = status;
            dataBytes = ChannelMessageDataBytes(status);
        }
        for (int i = 0; i < dataBytes; ++i) {
            if (!reader.Byte()) {
                error = "channel message cut off";
                return std::nullopt;
            }
        }
    }
    if (!chunkComplete) {
        error = "file cut off inside a track";
        return std::nullopt;
    }
    return ticks;
}

MidiFileCheck Fail(std::string error) {
    MidiFileCheck check;
    check.error = std::move(error);
    return check;
}

} // namespace

MidiFileCheck CheckMidiFile(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t kHeaderSize = 14;
    if (bytes.size() < kHeaderSize) {
        return Fail("shorter than a MIDI header");
    }
    if (LoadBig32(bytes.data()) != 0x4D546864 /* MThd */ || LoadBig32(bytes.data() + 4) != 6) {
        return Fail("no MIDI header");
    }
    MidiFileInfo info;
    info.format = LoadBig16(bytes.data() + 8);
    info.trackCount = LoadBig16(bytes.data() + 10);
    const std::uint16_t division = LoadBig16(bytes.data() + 12);
    if (info.format > 2) {
        return Fail("unknown MIDI format");
    }
    if (info.trackCount < 1 || info.trackCount > kMaxMidiTracks) {
        return Fail("track count out of range");
    }
    if ((division & 0x8000) != 0 || division == 0) {
        return Fail("timing is not in ticks per quarter note");
    }
    info.division = division;

    std::size_t pos = kHeaderSize;
    int tracksRead = 0;
    while (tracksRead < info.trackCount) {
        if (bytes.size() - pos < 8) {
            return Fail("file ends before all its tracks");
        }
        const std::uint32_t id = LoadBig32(bytes.data() + pos);
        const std::uint32_t length = LoadBig32(bytes.data() + pos + 4);
        pos += 8;
        const std::size_t available = bytes.size() - pos;
        if (id != 0x4D54726B /* MTrk */) {
            if (length > available) {
                return Fail("unknown chunk runs past the end of the file");
            }
            pos += length;
            continue;
        }
        const bool complete = length <= available;
        const std::size_t end = pos + (complete ? length : available);
        MidiChunkReader reader(bytes.subspan(pos, end - pos));
        std::string error;
        auto ticks = CheckTrack(reader, complete, error);
        if (!ticks) {
            return Fail("track " + std::to_string(tracksRead + 1) + ": " + error);
        }
        info.totalTicks = std::max(info.totalTicks, *ticks);
        ++tracksRead;
        pos = end;
    }
    if (info.totalTicks == 0) {
        return Fail("no music: every track ends at its first tick");
    }
    MidiFileCheck check;
    check.info = info;
    return check;
}

} // namespace wz
