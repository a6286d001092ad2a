#include "MediaChecks.h"

#include "ByteOrder.h"
#include "JpegDecoder.h"
#include "MidiReader.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <vector>

namespace wz::media {

namespace {

bool Tag(const std::uint8_t* p, const char* tag) {
    return std::memcmp(p, tag, 4) == 0;
}

std::string CheckTrack(std::span<const std::uint8_t> chunk, int index, MidiInfo& info,
                       std::map<std::uint64_t, std::uint32_t>& tempos) {
    const std::string where = "track " + std::to_string(index + 1) + ": ";
    MidiChunkReader r(chunk);
    std::uint64_t tick = 0;
    std::uint8_t running = 0;
    while (!r.AtEnd()) {
        const auto delta = r.VarLen();
        if (!delta) {
            return where + "bad or cut-off delta time";
        }
        tick += *delta;
        const auto read = r.Byte();
        if (!read) {
            return where + "event cut off";
        }
        std::uint8_t status = *read;
        if (status == 0xFF) {
            const auto type = r.Byte();
            const auto length = type ? r.VarLen() : std::nullopt;
            if (!length) {
                return where + "meta event cut off";
            }
            const std::uint8_t* body = r.Rest().data();
            if (!r.Skip(*length)) {
                return where + "meta event runs past the end of the track";
            }
            if (*type == 0x51) {
                if (*length != 3) {
                    return where + "tempo event of the wrong length";
                }
                const std::uint32_t us = LoadBig24(body);
                if (us == 0) {
                    return where + "tempo of zero";
                }
                tempos[tick] = us;
            }
            if (*type == 0x2F) {
                info.lengthTicks = std::max(info.lengthTicks, tick);
                return {};
            }
            running = 0; // meta and system events cancel running status
            continue;
        }
        if (status == 0xF0 || status == 0xF7) {
            const auto length = r.VarLen();
            if (!length || !r.Skip(*length)) {
                return where + "system exclusive event runs past the end of the track";
            }
            running = 0;
            continue;
        }
        if (status > 0xF0) {
            return where + "system message that has no place in a file";
        }
        std::uint8_t first;
        if (status < 0x80) {
            if (running == 0) {
                return where + "data byte without a status";
            }
            first = status;
            status = running;
        } else {
            running = status;
            const auto data = r.Byte();
            if (!data) {
                return where + "channel event cut off";
            }
            first = *data;
        }
        std::uint8_t second = 0;
        const std::uint8_t kind = status & 0xF0;
        if (kind != 0xC0 && kind != 0xD0) {
            const auto data = r.Byte();
            if (!data) {
                return where + "channel event cut off";
            }
            second = *data;
        }
        if ((first | second) & 0x80) {
            return where + "channel event with a data byte above 127";
        }
        if (kind == 0x90 && second > 0) {
            ++info.notes;
        }
    }
    return where + "no end-of-track event";
}

double Seconds(const MidiInfo& info, int division,
               const std::map<std::uint64_t, std::uint32_t>& tempos) {
    if (division & 0x8000) {
        // SMPTE timing: frames per second (negative) and ticks per frame.
        int fps = -static_cast<std::int8_t>(division >> 8);
        int perFrame = division & 0xFF;
        if (fps <= 0 || perFrame == 0) {
            return 0;
        }
        return static_cast<double>(info.lengthTicks) / (fps * perFrame);
    }
    double seconds = 0;
    std::uint64_t at = 0;
    std::uint32_t us = 500000; // 120 beats a minute until a tempo says otherwise
    for (const auto& [tick, tempo] : tempos) {
        if (tick >= info.lengthTicks) {
            break;
        }
        seconds += static_cast<double>(tick - at) * us / 1e6 / division;
        at = tick;
        us = tempo;
    }
    seconds += static_cast<double>(info.lengthTicks - at) * us / 1e6 / division;
    return seconds;
}

} // namespace

std::string CheckBackground(std::span<const std::uint8_t> bytes, PictureInfo& info) {
    std::string problem = CheckPicture(bytes, info);
    if (problem.empty() && (info.width != kFrameWidth || info.height != kFrameHeight)) {
        problem = "picture is " + std::to_string(info.width) + " x " + std::to_string(info.height) +
                  ", the game needs " + std::to_string(kFrameWidth) + " x " +
                  std::to_string(kFrameHeight);
    }
    return problem;
}

std::string CheckPicture(std::span<const std::uint8_t> bytes, PictureInfo& info) {
    info = {};
    if (bytes.size() > 0xFFFFFFFFu) {
        return "picture file too large";
    }
    JpegDecoder decoder;
    if (!decoder.ReadInfo(bytes)) {
        return "not a JPEG picture the game can decode (" + decoder.Message() + ")";
    }
    info.width = decoder.Header().biWidth;
    info.height = decoder.Header().biHeight;
    const std::uint32_t imageSize = decoder.Header().biSizeImage;
    if (info.width <= 0 || info.height <= 0 || info.width > kMaxCheckedSide ||
        info.height > kMaxCheckedSide) {
        return {};
    }
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[imageSize]);
    if (!pixels) {
        return "picture too large to decode";
    }
    if (!decoder.Decode(bytes, pixels.get(), imageSize)) {
        return "picture does not decode (" + decoder.Message() + ")";
    }
    return {};
}

std::string CheckWave(std::span<const std::uint8_t> bytes, WaveInfo& info) {
    info = {};
    if (bytes.size() < 12 || !Tag(bytes.data(), "RIFF") || !Tag(bytes.data() + 8, "WAVE")) {
        return "not a WAV file (no RIFF/WAVE header)";
    }
    std::size_t pos = 12;
    bool haveFormat = false;
    int blockAlign = 0;
    while (pos + 8 <= bytes.size()) {
        const std::uint8_t* chunk = bytes.data() + pos;
        const std::uint32_t size = Load32(chunk + 4);
        const std::size_t room = bytes.size() - pos - 8;
        if (Tag(chunk, "fmt ")) {
            if (size < 16 || size > room) {
                return "WAV format chunk of the wrong size";
            }
            info.format = Load16(chunk + 8);
            info.channels = Load16(chunk + 10);
            info.sampleRate =
                static_cast<int>(std::min<std::uint32_t>(Load32(chunk + 12), 0x7FFFFFFF));
            blockAlign = Load16(chunk + 20);
            info.bitsPerSample = Load16(chunk + 22);
            if (info.format != 1 && info.format != 0xFFFE) {
                return "WAV file is not PCM (format " + std::to_string(info.format) + ")";
            }
            if (info.channels < 1 || info.channels > 8 || info.sampleRate < 1000 ||
                info.sampleRate > 384000) {
                return "WAV file with an unplayable channel count or sample rate";
            }
            if ((info.bitsPerSample != 8 && info.bitsPerSample != 16 && info.bitsPerSample != 24 &&
                 info.bitsPerSample != 32) ||
                blockAlign != info.channels * info.bitsPerSample / 8) {
                return "WAV file with inconsistent sample size";
            }
            haveFormat = true;
        } else if (Tag(chunk, "data")) {
            if (!haveFormat) {
                return "WAV data comes before its format";
            }
            if (size > room) {
                return "WAV data runs past the end of the file";
            }
            info.frames = size / static_cast<std::uint32_t>(blockAlign);
            return {};
        }
        if (size > room) {
            return "WAV chunk runs past the end of the file";
        }
        pos += 8 + static_cast<std::size_t>(size) + (size & 1);
    }
    return haveFormat ? "WAV file without sample data" : "WAV file without a format chunk";
}

std::string CheckMidi(std::span<const std::uint8_t> bytes, MidiInfo& info) {
    info = {};
    if (bytes.size() < 14 || !Tag(bytes.data(), "MThd")) {
        return "not a Standard MIDI File (no MThd header)";
    }
    const std::uint32_t headerSize = LoadBig32(bytes.data() + 4);
    if (headerSize < 6 || headerSize > bytes.size() - 8) {
        return "MIDI header of the wrong size";
    }
    info.format = LoadBig16(bytes.data() + 8);
    const int declared = LoadBig16(bytes.data() + 10);
    const int division = LoadBig16(bytes.data() + 12);
    if (info.format > 2) {
        return "unknown MIDI file format " + std::to_string(info.format);
    }
    if (declared == 0 || (info.format == 0 && declared != 1)) {
        return "MIDI file with a wrong track count";
    }
    if (division == 0) {
        return "MIDI file without a time division";
    }
    info.ticksPerQuarter = (division & 0x8000) ? 0 : division;
    std::map<std::uint64_t, std::uint32_t> tempos;
    std::size_t pos = 8 + headerSize;
    while (info.tracks < declared) {
        if (bytes.size() - pos < 8) {
            return "MIDI file ends after " + std::to_string(info.tracks) + " of " +
                   std::to_string(declared) + " tracks";
        }
        const std::uint8_t* chunk = bytes.data() + pos;
        const std::uint32_t size = LoadBig32(chunk + 4);
        if (size > bytes.size() - pos - 8) {
            return "MIDI chunk runs past the end of the file";
        }
        if (Tag(chunk, "MTrk")) {
            std::string problem = CheckTrack({chunk + 8, size}, info.tracks, info, tempos);
            if (!problem.empty()) {
                return problem;
            }
            ++info.tracks;
        }
        // Chunks of other kinds are skipped, as the format asks of every reader.
        pos += 8 + static_cast<std::size_t>(size);
    }
    info.seconds = Seconds(info, division, tempos);
    return {};
}

} // namespace wz::media
