#pragma once

// Driving the game's dialogs as a player would: the program started with its real dialogs, a
// modal dialog worked from inside its own event loop, controls found by their identifiers, and
// keys and clicks delivered as the keyboard and mouse deliver them.

#include "GameProgramFixture.h"
#include "QtGameDialogs.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTimer>

#include <functional>

namespace wz::test {

// The control of a dialog with the given identifier.
template <typename Control> Control* FindControl(QWidget& dialog, int id) {
    return dialog.findChild<Control*>(QString::number(id));
}

inline QString ControlText(QWidget& dialog, int id) {
    const QLabel* label = FindControl<QLabel>(dialog, id);
    return label != nullptr ? label->text() : QStringLiteral("<no control %1>").arg(id);
}

// A key press, auto-repeated or not, or a release, sent to a widget as the keyboard sends it.
inline void SendKey(QWidget& widget, Qt::Key key, QEvent::Type type = QEvent::KeyPress,
                    bool autoRepeat = false) {
    QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(&widget, &event);
}

// Types text into a widget, one key press and release for each character, as a keyboard whose
// layout has the character would.
inline void TypeText(QWidget& widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString character = text.mid(i, length);
        i += length - 1;
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, character);
            QApplication::sendEvent(&widget, &event);
        }
    }
}

// Works the next modal dialog from inside the dialog's own event loop, once it is shown: body
// runs on it once. A dialog that body leaves open is closed, so a failing test cannot hang.
// The script stops waiting when it goes out of scope.
class DialogScript {
public:
    explicit DialogScript(std::function<void(QDialog&)> body) : body_(std::move(body)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { Poll(); });
        poll_.start(5);
    }
    bool Ran() const { return ran_; }

private:
    void Poll() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll_.stop();
        ran_ = true;
        const QPointer<QDialog> guard = dialog;
        body_(*dialog);
        if (guard != nullptr && dialog->isVisible()) {
            ADD_FAILURE() << "the dialog " << dialog->windowTitle().toStdString()
                          << " was left open";
            dialog->hide();
        }
    }

    std::function<void(QDialog&)> body_;
    QTimer poll_;
    bool ran_ = false;
};

// The program fixture with the game's real dialogs in place of the stand-ins.
class DialogProgramTest : public GameProgramTest {
protected:
    bool StartWithDialogs() {
        WriteAssets(SampleAssets());
        program = std::make_unique<GameProgram>(sink, realDialogs, setup);
        const bool started = program->Start();
        QApplication::processEvents();
        return started;
    }

    // Starts a game from the title screen, as Space does.
    void StartGame() {
        Press(Qt::Key_Space);
        ASSERT_EQ(State().playing, 1);
    }

    QtGameDialogs realDialogs;
};

} // namespace wz::test
