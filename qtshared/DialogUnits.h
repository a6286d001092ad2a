#pragma once

// Dialog units, the measure of the dialog layouts of the game and the editor: a quarter of the
// dialog font's average character width across, an eighth of its height down. Laying the
// controls out in these units keeps every dialog's proportions whatever font and screen the
// desktop has.

#include <QFont>
#include <QRect>
#include <QSize>

namespace wz {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const { return Scale(units, baseWidth_, 4); }
    int Y(int units) const { return Scale(units, baseHeight_, 8); }
    QRect Rect(int x, int y, int width, int height) const {
        return QRect(X(x), Y(y), X(width), Y(height));
    }
    QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }

private:
    // units * base / divisor, rounded to the nearest pixel.
    static int Scale(int units, int base, int divisor) {
        return (units * base + divisor / 2) / divisor;
    }

    int baseWidth_;
    int baseHeight_;
};

} // namespace wz
