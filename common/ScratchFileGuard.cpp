#include "ScratchFileGuard.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <string_view>
#include <unistd.h>

namespace wz {
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

int CreateScratchFile(std::string& pattern, mode_t mode) {
    constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr std::string_view kPlaceholder = "XXXXXX";
    if (!pattern.ends_with(kPlaceholder)) {
        errno = EINVAL;
        return -1;
    }
    static thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kLetters.size() - 1);
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (std::size_t i = pattern.size() - kPlaceholder.size(); i < pattern.size(); ++i) {
            pattern[i] = kLetters[pick(random)];
        }
        const int fd = ::open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

ScratchFileGuard::~ScratchFileGuard() {
    const HeldSignals held;
    Stop();
}

int ScratchFileGuard::Create(std::string& pattern, mode_t mode) {
    if (guarding_ || pattern.size() >= sizeof guardedPath) {
        errno = guarding_ ? EBUSY : ENAMETOOLONG;
        return -1;
    }
    // Held back until the file and its guard are both in place, so a signal finds either
    // neither or both.
    const HeldSignals held;
    const int fd = CreateScratchFile(pattern, mode);
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

} // namespace wz
