#include "DialogLayout.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <algorithm>
#include <numeric>
#include <vector>

namespace wz {

QSize LayOutGrowing(const DialogUnits& units, int width, int height,
                    std::span<const GrowingControl> controls) {
    // How far the right edge of each control has moved, in pixels. An edge at x dialog units
    // moves as far as the furthest-moved right edge at or before x.
    std::vector<int> rightShift(controls.size(), 0);
    std::vector<bool> placed(controls.size(), false);
    const auto shiftAt = [&](int x) {
        int shift = 0;
        for (std::size_t i = 0; i < controls.size(); ++i) {
            if (placed[i] && controls[i].x + controls[i].width <= x) {
                shift = std::max(shift, rightShift[i]);
            }
        }
        return shift;
    };

    // By right edge, so that whatever an edge depends on is placed first; a frame comes after
    // the controls that end where it ends.
    std::vector<std::size_t> order(controls.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int ra = controls[a].x + controls[a].width;
        const int rb = controls[b].x + controls[b].width;
        if (ra != rb) {
            return ra < rb;
        }
        return controls[a].anchor != Anchor::Around && controls[b].anchor == Anchor::Around;
    });

    std::vector<QRect> geometry(controls.size());
    for (const std::size_t i : order) {
        const GrowingControl& c = controls[i];
        const int leftShift = shiftAt(c.x);
        int w = units.X(c.width);
        if (c.anchor == Anchor::Around) {
            w += shiftAt(c.x + c.width) - leftShift;
        } else {
            w = std::max(w, c.textWidth);
        }
        geometry[i] = QRect(units.X(c.x) + leftShift, units.Y(c.y), w, units.Y(c.height));
        rightShift[i] = leftShift + w - units.X(c.width);
        placed[i] = true;
    }

    const int grown = shiftAt(width);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (controls[i].anchor == Anchor::Centred) {
            // Half of what the dialog grew beyond this control's own growth goes to each side.
            const int own = geometry[i].width() - units.X(controls[i].width);
            geometry[i].translate((grown - own) / 2, 0);
        }
        controls[i].control->setGeometry(geometry[i]);
    }
    return QSize(units.X(width) + grown, units.Y(height));
}

int LabelTextWidth(const QLabel& label, std::span<const QString> texts) {
    const QFontMetrics metrics(label.font());
    int widest = 0;
    for (const QString& text : texts) {
        // The text's bounding width, which can be a pixel more than its advance.
        widest = std::max(widest, metrics.size(0, text).width());
    }
    // The label's frame, margins and indent, if it has any.
    const QMargins chrome = label.contentsMargins();
    return widest + chrome.left() + chrome.right() + 2 * label.frameWidth() +
           2 * std::max(0, label.indent());
}

int LabelTextWidth(const QLabel& label, std::initializer_list<QString> texts) {
    return LabelTextWidth(label, std::span<const QString>(texts.begin(), texts.size()));
}

int ButtonTextWidth(const QPushButton& button) {
    // The style draws the text inside the button's contents rectangle, inset by its frame and,
    // for a button that can be the default, by the default indicator.
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (button.autoDefault()) {
        option.features |= QStyleOptionButton::AutoDefaultButton;
    }
    if (button.isDefault()) {
        option.features |= QStyleOptionButton::DefaultButton;
    }
    constexpr int kProbe = 1000;
    option.rect = QRect(0, 0, kProbe, kProbe);
    const QRect contents =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
    const QFontMetrics metrics(button.font());
    return metrics.size(Qt::TextShowMnemonic, button.text()).width() + kProbe - contents.width();
}

} // namespace wz
