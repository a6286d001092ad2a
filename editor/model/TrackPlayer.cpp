#include "TrackPlayer.h"

#include "FluidSequencer.h"
#include "Sequencer.h"
#include "TempFiles.h"

#include <vector>

namespace wz {

namespace {

std::string SequencerReason(std::uint32_t error) {
    switch (error) {
    case kSeqErrorInvalidFile:
        return "not a MIDI file the game can play";
    case kSeqErrorFileNotFound:
        return "the track could not be handed to the sequencer";
    case kSeqErrorHardware:
        return "no audio device";
    case kSeqErrorNoSynthesizer:
        return "the SoundFont could not be loaded";
    default:
        return "the sequencer failed (error " + std::to_string(error) + ")";
    }
}

} // namespace

TrackPlayer::TrackPlayer(std::string soundFontPath)
    : soundFontPath_(soundFontPath.empty() ? FluidSequencer::DefaultSoundFontPath()
                                           : std::move(soundFontPath)) {}

TrackPlayer::~TrackPlayer() {
    Stop();
    // The sequencer leaves the device's music hook as it is destroyed, before the device
    // closes.
    sequencer_.reset();
    device_.Close();
}

std::string TrackPlayer::Play(std::span<const std::uint8_t> bytes) {
    Stop();
    notices_.TakeAll(); // notices of earlier plays mean nothing now
    if (!device_.IsOpen() && !device_.Open()) {
        return "no audio device (" + device_.LastError() + ")";
    }
    if (!sequencer_) {
        sequencer_ = std::make_unique<FluidSequencer>(device_, notices_, soundFontPath_);
    }
    // The sequencer takes a file name, as the game's does; it reads the file whole at open,
    // so the file goes at once.
    const std::string path = MakeTempFile();
    if (path.empty()) {
        return "no temporary file for the track";
    }
    std::uint32_t id = 0;
    std::uint32_t error =
        WriteWholeFile(path, bytes) ? sequencer_->Open(path, id) : kSeqErrorFileNotFound;
    RemoveFile(path);
    if (error == 0) {
        error = sequencer_->CheckPort(id);
        if (error == 0) {
            error = sequencer_->Play(id);
        }
        if (error != 0) {
            sequencer_->Close(id);
        }
    }
    if (error != 0) {
        return SequencerReason(error);
    }
    deviceId_ = id;
    return {};
}

void TrackPlayer::Stop() {
    if (deviceId_ != 0) {
        sequencer_->Close(deviceId_);
        deviceId_ = 0;
    }
}

bool TrackPlayer::TakeNotices() {
    bool ended = false;
    for (const MusicNotice& notice : notices_.TakeAll()) {
        if (deviceId_ != 0 && notice.deviceId == deviceId_ && notice.outcome == kNotifySuccessful) {
            ended = true;
        }
    }
    if (ended) {
        Stop();
    }
    return ended;
}

} // namespace wz
