#pragma once

// Laying out a dialog whose controls must show their texts whole in whatever font the desktop
// has. Each control has a least spot in dialog units; where its text needs more room it grows
// to the right, everything lying wholly to the right of it moves right by as much, and the
// dialog grows with them. Columns stay aligned: a control moves as far as the widest growth
// of anything before it, whatever its row.

#include "DialogUnits.h"

#include <QString>

#include <initializer_list>
#include <span>

class QLabel;
class QPushButton;
class QWidget;

namespace wz {

enum class Anchor {
    Left,    // keeps its left edge, grows to the right
    Centred, // spans the dialog and stays centred in it as the dialog grows
    Around,  // a frame around others: both edges move with what lies before them
};

struct GrowingControl {
    QWidget* control;
    int x, y, width, height; // dialog units: the least room the control gets
    int textWidth = 0;       // pixels its widest text needs, chrome included
    Anchor anchor = Anchor::Left;
};

// Places the controls and returns the dialog's size, at least width x height dialog units.
QSize LayOutGrowing(const DialogUnits& units, int width, int height,
                    std::span<const GrowingControl> controls);

// Pixels a plain-text label needs to show the widest of texts on one line each.
int LabelTextWidth(const QLabel& label, std::initializer_list<QString> texts);
int LabelTextWidth(const QLabel& label, std::span<const QString> texts);
// Pixels a push button needs to show its text inside the style's frame.
int ButtonTextWidth(const QPushButton& button);

} // namespace wz
