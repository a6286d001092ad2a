#pragma once

// What the game needs of a MIDI sequencer: open a file by name, check that it can sound, play
// it with a notice at its end, rewind it and close it. Every operation returns 0 on success or
// a non-zero error code, and a device is named by the identifier that Open returned.
//
// The end-of-play notice is asynchronous: it is posted to a MusicNoticeQueue (from whatever
// thread the sequencer plays on) and reaches the game later on its own thread.

#include <cstdint>
#include <string>

namespace wz {

// Outcomes of an end-of-play notice. Only Successful means the data played to its end.
inline constexpr std::uint32_t kNotifySuccessful = 1;
inline constexpr std::uint32_t kNotifySuperseded = 2; // a newer play took over the notice
inline constexpr std::uint32_t kNotifyAborted = 4;    // stopped by a rewind or a close
inline constexpr std::uint32_t kNotifyFailure = 8;    // the data could not be played

// Error codes (0 is success). The values follow the media control interface's numbering so
// that they read the same in a debugger.
inline constexpr std::uint32_t kSeqErrorInvalidDevice = 257;
inline constexpr std::uint32_t kSeqErrorHardware = 262;
inline constexpr std::uint32_t kSeqErrorOutOfMemory = 264;
inline constexpr std::uint32_t kSeqErrorDeviceOpen = 265;
inline constexpr std::uint32_t kSeqErrorFileNotFound = 275;
inline constexpr std::uint32_t kSeqErrorInvalidFile = 296;
inline constexpr std::uint32_t kSeqErrorNoSynthesizer = 343;

class Sequencer {
public:
    virtual ~Sequencer() = default;

    // Opens the MIDI file at path, positioned at its start and not playing. On success stores
    // the new device's identifier (never 0) in deviceId.
    virtual std::uint32_t Open(const std::string& path, std::uint32_t& deviceId) = 0;
    // Succeeds when the device has an output that can sound: a synthesizer with its instruments
    // loaded on an open audio device.
    virtual std::uint32_t CheckPort(std::uint32_t deviceId) = 0;
    // Plays from the current position to the end of the data, then posts a Successful notice.
    // A notice still pending from an earlier play is posted as Superseded.
    virtual std::uint32_t Play(std::uint32_t deviceId) = 0;
    // Stops and moves to the start, without a notice of its own; a pending notice is posted as
    // Aborted.
    virtual std::uint32_t SeekToStart(std::uint32_t deviceId) = 0;
    // Stops at once and forgets the device; a pending notice is posted as Aborted.
    virtual std::uint32_t Close(std::uint32_t deviceId) = 0;
};

} // namespace wz
