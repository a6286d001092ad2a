#pragma once

// Helpers for the sound and music tests: a real audio device on SDL's disk driver whose output
// is read back, small MIDI and wave files written on the spot, and a message box recorder.

#include "AudioDevice.h"
#include "AudioFiles.h"
#include "MessageBox.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace wz::test {

// A folder of its own under the temporary directory, removed with everything in it.
class TempFolder : public wz::testkit::ScratchFolder {
public:
    TempFolder() : ScratchFolder("wzaudio") {}
    std::string File(const std::string& name) const { return (path() / name).string(); }
};

// The audio device on SDL's disk driver, which writes every mixed buffer to a raw file in real
// time: signed 16-bit, interleaved, at the device's rate.
class DiskAudio {
public:
    explicit DiskAudio(const TempFolder& folder) : outputPath_(folder.File("output.raw")) {
        ::setenv("SDL_AUDIODRIVER", "disk", 1);
        ::setenv("SDL_DISKAUDIOFILE", outputPath_.c_str(), 1);
    }
    bool Open(int channels = 2) {
        return device.Open(AudioDevice::kDefaultFrequency, AudioDevice::kDefaultBufferFrames,
                           channels);
    }
    int Rate() const { return rate_ ? rate_ : device.Format().frequency; }
    int BufferFrames() const { return AudioDevice::kDefaultBufferFrames; }
    int Channels() const { return channels_ ? channels_ : device.Format().channels; }
    double FramesToMs(double frames) const { return frames * 1000.0 / Rate(); }

    // Closes the device and returns what it played.
    std::vector<std::int16_t> StopAndRead() {
        channels_ = device.Format().channels;
        rate_ = device.Format().frequency;
        device.Close();
        return ReadRawSamples(outputPath_);
    }

    // Waits until the device has mixed at least frames more frames; a device that stops
    // mixing fails the test after ten seconds instead of hanging it.
    void WaitFrames(std::uint64_t frames) {
        const std::uint64_t until = device.FramesMixed() + frames;
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (device.FramesMixed() < until) {
            if (std::chrono::steady_clock::now() > limit) {
                ADD_FAILURE() << "the audio device stopped mixing";
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    AudioDevice device;

private:
    std::string outputPath_;
    int channels_ = 0;
    int rate_ = 0;
};

class RecordingMessages : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest& request) override { shown.push_back(request); }
    std::vector<MessageBoxRequest> shown;
};

// Polls until done() holds or the limit passes; true when it held.
inline bool WaitUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace wz::test
