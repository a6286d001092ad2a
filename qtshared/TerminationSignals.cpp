#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <utility>

namespace wz {
namespace {

constexpr int kSignals[3] = {SIGTERM, SIGINT, SIGHUP};

// The pipe's ends; the handler sees only the write end, and only while it is open.
volatile sig_atomic_t writeEnd = -1;
int readEnd = -1;

extern "C" void OnTerminationSignal(int signal) {
    // Only async-signal-safe calls: one write that never blocks, errno as it was.
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    if (writeEnd >= 0) {
        [[maybe_unused]] const ssize_t ignored = ::write(writeEnd, &number, 1);
    }
    errno = saved;
}

} // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
    int ends[2];
    // A full pipe must not block the handler; the bytes already there say enough.
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    notifier_ = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::TakeSignal);

    for (int i = 0; i < 3; ++i) {
        struct sigaction current {};
        if (::sigaction(kSignals[i], nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;
        }
        struct sigaction action {};
        action.sa_handler = &OnTerminationSignal;
        sigemptyset(&action.sa_mask);
        // A signal arriving during a blocking call lets that call go on.
        action.sa_flags = SA_RESTART;
        installed_[i] = ::sigaction(kSignals[i], &action, &previous_[i]) == 0;
    }
}

TerminationSignals::~TerminationSignals() {
    for (int i = 0; i < 3; ++i) {
        if (installed_[i]) {
            ::sigaction(kSignals[i], &previous_[i], nullptr);
        }
    }
    if (notifier_ == nullptr) {
        return;
    }
    delete notifier_;
    const int write = writeEnd;
    writeEnd = -1;
    ::close(write);
    ::close(readEnd);
    readEnd = -1;
}

void TerminationSignals::TakeSignal() {
    unsigned char numbers[16];
    ssize_t got = 0;
    while ((got = ::read(readEnd, numbers, sizeof numbers)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0 && received_ == 0) {
            received_ = numbers[0];
            if (onSignal_) {
                onSignal_(received_);
            }
        }
    }
}

void EndBySignal(int signal) {
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    ::pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    ::raise(signal);
    // Only a signal whose default is to go on (none of the three) gets here.
    ::_exit(128 + signal);
}

} // namespace wz
