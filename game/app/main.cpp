// WinZolvik: the falling-block puzzle game.
#include "GameProgram.h"
#include "QtGameDialogs.h"
#include "QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char** argv) {
    // Whole-number scaling keeps every frame pixel a sharp square on high-DPI screens.
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(
        Qt::HighDpiScaleFactorRoundingPolicy::Round);
    QApplication app(argc, argv);
    wz::QtMessageBoxes messages;
    wz::QtGameDialogs dialogs;
    return wz::RunGameProgram(messages, dialogs);
}
