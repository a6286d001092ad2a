#pragma once

// What the game's dialogs share: a fixed frame with a caption, the system menu and the close
// button; the program icon; and controls placed at fixed spots and named after their
// identifiers, so that each can be found as it is known ("1005" is Define Keys).

#include <QRect>
#include <Qt>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace wz {

// The identifier of every dialog's OK button.
inline constexpr int kOkButtonId = 1;

inline constexpr Qt::WindowFlags kDialogWindowFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint;

// The caption and the program icon.
void SetUpDialogWindow(QDialog& dialog, const char* caption);

// A control of the dialog at geometry; an identifier of 0 leaves it unnamed.
QPushButton* MakeButton(QWidget& parent, const char* text, int id, const QRect& geometry);
QLabel* MakeLabel(QWidget& parent, const char* text, int id, const QRect& geometry);

// Names a control after its identifier.
void SetControlId(QWidget& control, int id);

} // namespace wz
