#pragma once

// The game's music: the title, level and final tracks on the sequencer, each repeated while it
// is current. Works on the music flags of GameState (musicAllowed, musicOption, musicReady,
// musicOpen) and reports sequencer failures in one message, after which music stays off for the
// rest of the run.
//
// All calls come from the game's thread. The end-of-play notices come back through the
// sequencer's MusicNoticeQueue; the program takes them out on its thread and hands each to
// OnMusicNotify.

#include <cstdint>
#include <string>
#include <string_view>

namespace wz {

class MessageBoxSink;
class Sequencer;
struct GameState;

inline constexpr std::string_view kMusicErrorText =
    "Error: Can't play MIDI file !!!\nYou not have a music !!!";

class Music {
public:
    Music(GameState& state, Sequencer& sequencer, MessageBoxSink& messages)
        : state_(state), sequencer_(sequencer), messages_(messages) {}

    // Opens the sequencer on the MIDI file at path and checks that it can sound. 0 or the
    // sequencer's error; a failure closes what was opened, reports, and switches music off
    // for the run.
    std::uint32_t OpenMusic(const std::string& path);
    // Plays from the current position with an end-of-play notice. A failure closes the device,
    // reports, and switches music off for the run.
    std::uint32_t PlayMusic();
    // Moves to the start without a notice. A failure closes the device silently; the play that
    // follows then fails and reports.
    std::uint32_t RewindMusic();
    // Closes the device; always 0. Called only while musicOpen is 1.
    std::uint32_t CloseMusic();
    // Opens and plays the music file when musicAllowed, musicOption and musicReady are all 1.
    void StartMusic(const std::string& musicTempPath);
    // An end-of-play notice: a successful end of the open device's play starts the track again
    // from its beginning while music is wanted. Every other notice is ignored.
    void OnMusicNotify(std::uint32_t outcome, std::uint32_t deviceId);

    std::uint32_t DeviceId() const { return deviceId_; }

private:
    void ReportFailure();

    GameState& state_;
    Sequencer& sequencer_;
    MessageBoxSink& messages_;
    std::uint32_t deviceId_ = 0; // valid while musicOpen is 1
};

} // namespace wz
