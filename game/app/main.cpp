// WinZolvik: the falling-block puzzle game.
#include "GameProgram.h"
#include "QtGameDialogs.h"
#include "QtMessageBoxes.h"
#include "TerminationSignals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {

// Without any display Qt would stop with a message about its platform plugin; say plainly what
// is missing instead.
bool HaveDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (!HaveDisplay()) {
        std::fputs("WinZolvik: no display found (DISPLAY and WAYLAND_DISPLAY are not set); start "
                   "it on a desktop, or under Xvfb: xvfb-run -a WinZolvik\n",
                   stderr);
        return 1;
    }
    // Whole-number scaling keeps every frame pixel a sharp square on high-DPI screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    int code = 0;
    int signal = 0;
    {
        QApplication app(argc, argv);
        wz::QtMessageBoxes messages;
        wz::QtGameDialogs dialogs;
        code = wz::RunGameProgram(messages, dialogs, {}, &signal);
    }
    if (signal != 0) {
        // Cleaned up; whoever started the game still learns that the signal ended it.
        wz::EndBySignal(signal);
    }
    return code;
}
