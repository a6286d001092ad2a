#pragma once

// Whether a dialog shows every one of its texts whole: each label, button and group box title
// fits inside the part of its control where the style draws it, in the control's own font,
// and every control lies inside the dialog. Header only: it needs nothing but Qt Widgets.

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <string>
#include <vector>

namespace wz::testkit {

// The rectangle, in the button's own coordinates, in which the style draws a push button's
// text: inside its frame and, for a button that can be the default, its default indicator.
inline QRect PushButtonTextRect(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    if (button.autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    if (button.isDefault())
        option.features |= QStyleOptionButton::DefaultButton;
    return button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button);
}

// One line for each text that does not fit, or control that sticks out of the dialog; empty
// when all is well.
inline std::vector<std::string> CutTexts(const QWidget& dialog) {
    std::vector<std::string> faults;
    const auto fault = [&](const QWidget& control, const QString& text, const char* what,
                           QSize needed, QSize room) {
        faults.push_back(QStringLiteral("\"%1\" (%2): %3 needs %4 x %5, has %6 x %7")
                             .arg(text, control.objectName(), QString::fromLatin1(what))
                             .arg(needed.width())
                             .arg(needed.height())
                             .arg(room.width())
                             .arg(room.height())
                             .toStdString());
    };
    const auto check = [&](const QWidget& control, const QString& text, const char* what,
                           QSize needed, QSize room) {
        if (needed.width() > room.width() || needed.height() > room.height())
            fault(control, text, what, needed, room);
    };
    // The room a text takes: its widest line across, and its lines down. A line needs the
    // font's height (ascent and descent); the leading goes only between lines.
    const auto textSize = [](const QFontMetrics& metrics, int flags, const QString& text) {
        const auto lines = static_cast<int>(text.count(QLatin1Char('\n'))) + 1;
        return QSize(metrics.size(flags, text).width(),
                     metrics.height() + (lines - 1) * metrics.lineSpacing());
    };
    for (const QWidget* control : dialog.findChildren<QWidget*>()) {
        if (control->isWindow())
            continue;
        if (!dialog.rect().contains(control->geometry()))
            fault(*control, control->objectName(), "the control in the dialog",
                  control->geometry().size(), dialog.size());
        const QFontMetrics metrics(control->font());
        if (const auto* label = qobject_cast<const QLabel*>(control)) {
            if (label->text().isEmpty())
                continue;
            // A label shows "&" as it stands unless it names a buddy, whose key it underlines.
            const int flags = label->buddy() != nullptr ? Qt::TextShowMnemonic : 0;
            const int indent = label->indent() > 0 ? label->indent() : 0;
            check(*label, label->text(), "the label", textSize(metrics, flags, label->text()),
                  label->contentsRect().size() - QSize(indent, 0));
        } else if (const auto* button = qobject_cast<const QPushButton*>(control)) {
            // The text is drawn centred in the style's text rectangle; the line may use the
            // whole height of the button.
            const QSize needed = textSize(metrics, Qt::TextShowMnemonic, button->text());
            check(*button, button->text(), "the button", needed,
                  QSize(PushButtonTextRect(*button).width(), button->height()));
        } else if (const auto* other = qobject_cast<const QAbstractButton*>(control)) {
            check(*other, other->text(), "the button", other->sizeHint(), other->size());
        } else if (const auto* box = qobject_cast<const QGroupBox*>(control)) {
            check(*box, box->title(), "the group box", box->minimumSizeHint(), box->size());
        }
    }
    return faults;
}

} // namespace wz::testkit
