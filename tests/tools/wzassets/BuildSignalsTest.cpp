// `wzassets build` stopped by SIGTERM, SIGINT or SIGHUP while it writes: its hidden scratch file
// goes with it, and the output is whole, either the old file or the new one.

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits for a file whose name starts with prefix to be made in the watched folder; false when
// none comes within the (generous) bound.
bool WaitForCreation(int watch, const std::string& prefix) {
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        pollfd ready{watch, POLLIN, 0};
        if (::poll(&ready, 1, 60000) <= 0) {
            return false;
        }
        const ssize_t got = ::read(watch, buffer, sizeof buffer);
        if (got <= 0) {
            return false;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            if (event->len > 0 && std::string(event->name).rfind(prefix, 0) == 0) {
                return true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
}

TEST(WzAssetsBuildSignals, StoppedBuildLeavesNoScratchFile) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const wz::testkit::ScratchFolder scratch("buildsig");
        const fs::path& folder = scratch.path();
        const fs::path out = folder / "WinData.stg";
        std::ofstream(out) << "old";

        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, folder.c_str(), IN_CREATE), 0);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        std::string program = WZ_BINARY_DIR "/bin/wzassets";
        std::string command = "build";
        std::string target = out.string();
        std::string quiet = "--quiet";
        char* argv[] = {program.data(), command.data(), target.data(), quiet.data(), nullptr};
        pid_t child = -1;
        ASSERT_EQ(::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);

        // The signal comes as soon as the scratch file exists, while the tree is written.
        const bool created = WaitForCreation(watch, ".WinData.stg.");
        ::close(watch);
        ::kill(child, created ? signal : SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(created) << "signal " << signal;
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal;
        EXPECT_EQ(WTERMSIG(status), signal);

        std::size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path(), out) << "signal " << signal;
            ++entries;
        }
        EXPECT_EQ(entries, 1u);
        const std::string now = Contents(out);
        EXPECT_TRUE(now == "old" || now.rfind("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 0) == 0)
            << "signal " << signal;
    }
}

} // namespace
