#pragma once

// A word-wrapped label that counts its lines in its minimum height. A layout leaves a wrapped
// label's lines out of the window's minimum size, so a path that wraps to one more line would
// squeeze what follows it over the picture below instead of growing the window.

#include <QLabel>
#include <QResizeEvent>

#include <algorithm>

class WrappedLabel final : public QLabel {
public:
    explicit WrappedLabel(QWidget* parent) : QLabel(parent) { setWordWrap(true); }

    QSize minimumSizeHint() const override {
        QSize size = QLabel::minimumSizeHint();
        if (width() > 0) {
            size.setHeight(std::max(size.height(), heightForWidth(width())));
        }
        return size;
    }

protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        // Another width may take another number of lines.
        if (event->oldSize().width() != event->size().width()) {
            updateGeometry();
        }
    }
};
