#include "ScratchFileGuard.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace wz::assets {
namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// What the handler may look at: a path copied before the guard was armed, and the flag.
char guardedPath[PATH_MAX];
volatile sig_atomic_t armed = 0;

struct sigaction previous[3];
bool installed[3];

extern "C" void RemoveScratchAndEnd(int signal) {
    if (armed) {
        ::unlink(guardedPath);
    }
    // SA_RESETHAND has put back the default action and SA_NODEFER lets it act at once.
    ::raise(signal);
}

// Holds the three signals back on this thread for as long as it lives.
class HeldSignals {
public:
    HeldSignals() {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : kSignals) {
            sigaddset(&set, signal);
        }
        ::pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

private:
    sigset_t old_;
};

} // namespace

ScratchFileGuard::~ScratchFileGuard() {
    const HeldSignals held;
    Stop();
}

int ScratchFileGuard::Create(std::string& pattern) {
    if (guarding_ || pattern.size() >= sizeof guardedPath) {
        errno = guarding_ ? EBUSY : ENAMETOOLONG;
        return -1;
    }
    // Held back until the file and its guard are both in place, so a signal finds either
    // neither or both.
    const HeldSignals held;
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
        return -1;
    }
    path_ = pattern;
    std::memcpy(guardedPath, pattern.c_str(), pattern.size() + 1);
    armed = 1;
    for (int i = 0; i < 3; ++i) {
        struct sigaction current {};
        installed[i] = false;
        if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = &RemoveScratchAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND | SA_NODEFER;
        installed[i] = ::sigaction(kSignals[i], &action, &previous[i]) == 0;
    }
    guarding_ = true;
    return fd;
}

bool ScratchFileGuard::Finish(const std::function<bool()>& lastStep) {
    const HeldSignals held;
    const bool done = lastStep();
    if (!done && guarding_) {
        ::unlink(path_.c_str());
    }
    Stop();
    return done;
}

void ScratchFileGuard::Stop() {
    if (!guarding_) {
        return;
    }
    armed = 0;
    for (int i = 0; i < 3; ++i) {
        if (installed[i]) {
            ::sigaction(kSignals[i], &previous[i], nullptr);
            installed[i] = false;
        }
    }
    guarding_ = false;
}

} // namespace wz::assets
