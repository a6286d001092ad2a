#pragma once

// SIGTERM, SIGINT and SIGHUP turned into a call on the program's thread, so that a terminal, a
// session ending or a launcher stopping the program takes the ordinary way out: music closed,
// temporary files removed. The handler itself only writes the signal's number into a pipe; a
// QSocketNotifier on the other end makes the call from the event loop.
//
// One object at a time: it installs the handlers and gives back the earlier ones when it goes.
// A signal that is ignored when it is made (nohup's SIGHUP) stays ignored.

#include <QObject>

#include <csignal>
#include <functional>

class QSocketNotifier;

namespace wz {

class TerminationSignals : public QObject {
public:
    // onSignal runs on the thread that made the object, once, for the first signal received.
    explicit TerminationSignals(std::function<void(int)> onSignal);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The first signal received, or 0.
    int Received() const { return received_; }

private:
    void TakeSignal();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    int received_ = 0;
    struct sigaction previous_[3]{};
    bool installed_[3]{};
};

// Ends the process by the signal with its default action, as if no handler had been there, so
// that whoever started the program sees what ended it.
[[noreturn]] void EndBySignal(int signal);

} // namespace wz
