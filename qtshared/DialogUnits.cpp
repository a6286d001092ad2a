#include "DialogUnits.h"

#include <QFontMetrics>

#include <algorithm>

namespace wz {

DialogUnits::DialogUnits(const QFont& font) {
    // The average width is taken over the 52 letters, rounded half up, as the dialog manager
    // computes it; a font that reports nothing still gives a usable layout.
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = std::max(1, (letters / 26 + 1) / 2);
    baseHeight_ = std::max(1, metrics.height());
}

} // namespace wz
