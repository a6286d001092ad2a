// Opening the audio device must leave the process's signal handling alone: the game has to end
// when its terminal or session sends SIGINT or SIGTERM.

#include "AudioDevice.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

TEST(AudioDeviceSignals, OpeningTheDeviceKeepsTheDefaultTerminationHandlers) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    wz::AudioDevice device;
    ASSERT_TRUE(device.Open(44100, 512, 2));
    for (int signal : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        ASSERT_EQ(sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << "signal " << signal;
    }
    device.Close();
}

} // namespace
