// `wzassets build` stopped by SIGTERM, SIGINT or SIGHUP while it writes: its hidden scratch file
// goes with it, and the old output stays whole.

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string Contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// How many files of the folder have names that start with prefix.
int CountStartingWith(const fs::path& folder, const std::string& prefix) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        count += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

TEST(WzAssetsBuildSignals, StoppedBuildLeavesNoScratchFile) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const wz::testkit::ScratchFolder scratch("buildsig");
        const fs::path& folder = scratch.path();
        const fs::path out = folder / "WinData.stg";
        std::ofstream(out) << "old";

        // The probe stops the build at its first flush, which is the engine's at the end of
        // the tree, with the scratch file written and not yet renamed.
        std::string preload = "LD_PRELOAD=" WZ_SYNC_PROBE;
        std::string stop = "WZ_SYNC_PROBE_STOP=fsync";
        const char* asan = std::getenv("ASAN_OPTIONS");
        // The probe comes before the sanitizer's runtime, which it does not replace.
        std::string asanOptions =
            std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0";
        std::vector<char*> env = {preload.data(), stop.data(), asanOptions.data()};
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::strncmp(*e, "LD_PRELOAD=", 11) != 0 &&
                std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0) {
                env.push_back(*e);
            }
        }
        env.push_back(nullptr);

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
        ASSERT_EQ(::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, env.data()), 0);
        posix_spawn_file_actions_destroy(&actions);

        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, WUNTRACED), child);
        ASSERT_TRUE(WIFSTOPPED(status)) << "the build ended before its first flush";
        EXPECT_EQ(CountStartingWith(folder, ".WinData.stg."), 1) << "signal " << signal;
        ::kill(child, signal);
        ::kill(child, SIGCONT);
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal;
        EXPECT_EQ(WTERMSIG(status), signal);

        std::size_t entries = 0;
        for (const auto& entry : fs::directory_iterator(folder)) {
            EXPECT_EQ(entry.path(), out) << "signal " << signal;
            ++entries;
        }
        EXPECT_EQ(entries, 1u);
        const std::string now = Contents(out);
        EXPECT_EQ(now, "old") << "signal " << signal;
    }
}

} // namespace
