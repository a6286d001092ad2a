#include "Music.h"

#include "GameState.h"
#include "MessageBox.h"
#include "Sequencer.h"

namespace wz {

std::uint32_t Music::OpenMusic(const std::string& path) {
    std::uint32_t deviceId = 0;
    std::uint32_t error = sequencer_.Open(path, deviceId);
    if (error != 0) {
        state_.musicOpen = 0;
        state_.musicAllowed = 0;
        ReportFailure();
        return error;
    }
    deviceId_ = deviceId;
    // Only whether the output can be reached counts; which output it is does not matter.
    error = sequencer_.CheckPort(deviceId_);
    if (error != 0) {
        sequencer_.Close(deviceId_);
        state_.musicAllowed = 0;
        state_.musicOpen = 0;
        ReportFailure();
        return error;
    }
    return 0;
}

std::uint32_t Music::PlayMusic() {
    const std::uint32_t error = sequencer_.Play(deviceId_);
    if (error != 0) {
        sequencer_.Close(deviceId_);
        state_.musicOpen = 0;
        state_.musicAllowed = 0;
        ReportFailure();
    }
    return error;
}

std::uint32_t Music::RewindMusic() {
    const std::uint32_t error = sequencer_.SeekToStart(deviceId_);
    if (error != 0) {
        sequencer_.Close(deviceId_);
    }
    return error;
}

std::uint32_t Music::CloseMusic() {
    sequencer_.Close(deviceId_);
    state_.musicOpen = 0;
    return 0;
}

void Music::StartMusic(const std::string& musicTempPath) {
    if (!(state_.musicAllowed && state_.musicOption && state_.musicReady)) {
        return;
    }
    state_.musicOpen = OpenMusic(musicTempPath) == 0 ? 1 : 0;
    if (state_.musicOpen) {
        PlayMusic();
    }
}

void Music::OnMusicNotify(std::uint32_t outcome, std::uint32_t deviceId) {
    // A notice can still be on its way when the device is closed (the track ended just as the
    // player switched music off, or the window went away): the device is gone then, and
    // rewinding it would fail and switch music off for the run with a false message.
    if (!state_.musicOpen) {
        return;
    }
    if (deviceId != deviceId_ || outcome != kNotifySuccessful) {
        return;
    }
    if (state_.musicAllowed && state_.musicOption && state_.musicReady) {
        RewindMusic();
        PlayMusic();
    }
}

void Music::ReportFailure() {
    messages_.ShowMessage(
        {"WinZolvik", std::string(kMusicErrorText), MessageIcon::Stop, MessageOwner::ActiveWindow});
}

} // namespace wz
