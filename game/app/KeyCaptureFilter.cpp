#include "KeyCaptureFilter.h"

#include "KeyMapping.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <utility>

namespace wz {

KeyCaptureFilter::KeyCaptureFilter(Handler handler) : handler_(std::move(handler)) {}

KeyCaptureFilter::~KeyCaptureFilter() {
    Remove();
}

void KeyCaptureFilter::Install() {
    if (!installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->installEventFilter(this);
        installed_ = true;
    }
}

void KeyCaptureFilter::Remove() {
    if (installed_) {
        if (QCoreApplication::instance() != nullptr) {
            QCoreApplication::instance()->removeEventFilter(this);
        }
        installed_ = false;
    }
}

bool KeyCaptureFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (!installed_) {
        return false;
    }
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Accepted here, the press comes as a plain key event instead of working a shortcut.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        // A key event goes to the window first and then to the widget with the focus; taking it
        // at the first of these means each press is seen once.
        const auto* key = static_cast<const QKeyEvent*>(event);
        if (handler_) {
            handler_(VirtualKeyFor(*key), event->type() == QEvent::KeyRelease, key->isAutoRepeat());
        }
        return true;
    }
    default:
        return false;
    }
}

} // namespace wz
