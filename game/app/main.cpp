// WinZolvik: the falling-block puzzle game.
#include "GameCommandLine.h"
#include "GameProgram.h"
#include "QtGameDialogs.h"
#include "QtMessageBoxes.h"
#include "TerminationSignals.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

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

// Where and how the game starts, from its arguments.
wz::GameProgramSetup SetupFor(const wz::GameCommandLine& line) {
    wz::GameProgramSetup setup;
    setup.startLevel = line.startLevel;
    if (!line.pack.empty()) {
        setup.assetFile = line.pack;
        // The messages name the pack as the player sees it in the file manager.
        const std::string name = std::filesystem::path(line.pack).filename().string();
        setup.assetName = name.empty() ? line.pack : name;
    }
    return setup;
}

} // namespace

int main(int argc, char** argv) {
    const wz::GameCommandLine line =
        wz::ParseGameCommandLine(std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc));
    if (!line.error.empty()) {
        std::fprintf(stderr, "WinZolvik: %s (WinZolvik --help tells more)\n", line.error.c_str());
        return 2;
    }
    if (line.help) {
        std::fputs(wz::GameUsageText(), stdout);
        return 0;
    }
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
        // The arguments are the game's alone: Qt is given none to read its own options from.
        int qtArgc = argc > 0 ? 1 : 0;
        QApplication app(qtArgc, argv);
        wz::QtMessageBoxes messages;
        wz::QtGameDialogs dialogs;
        code = wz::RunGameProgram(messages, dialogs, SetupFor(line), &signal);
    }
    if (signal != 0) {
        // Cleaned up; whoever started the game still learns that the signal ended it.
        wz::EndBySignal(signal);
    }
    return code;
}
