#pragma once

// A scratch file that does not outlive a build ended by SIGTERM, SIGINT or SIGHUP: while it is
// guarded, those signals remove it and then end the process as they would have. The handler only
// unlinks a path copied beforehand and raises the signal again with its default action.
//
// One guard at a time, on the thread that builds. A signal ignored when the guard is made stays
// ignored.

#include <functional>
#include <string>
#include <sys/types.h>

namespace wz {

// Makes a new file from pattern, whose last six characters "XXXXXX" become a name no file has
// yet, as mkstemp does, but with the given permissions less the umask. Returns its open
// descriptor, or -1 with errno set.
int CreateScratchFile(std::string& pattern, mode_t mode);

class ScratchFileGuard {
public:
    ScratchFileGuard() = default;
    ~ScratchFileGuard(); // stops guarding, leaving the file where it is
    ScratchFileGuard(const ScratchFileGuard&) = delete;
    ScratchFileGuard& operator=(const ScratchFileGuard&) = delete;

    // Makes the file as CreateScratchFile does, and guards it from the moment it exists.
    // Returns its open descriptor, or -1 with errno set.
    int Create(std::string& pattern, mode_t mode = 0600);

    // Runs the last step (the rename over the output) with the signals held back, removes the
    // file when the step fails, and stops guarding. A signal that came meanwhile ends the
    // process right after, with the output whole: either the old one or the new one.
    bool Finish(const std::function<bool()>& lastStep);

private:
    void Stop();

    std::string path_;
    bool guarding_ = false;
};

} // namespace wz
