// Every dialog of the game shows its texts whole, at the desktop's font and at a large one,
// with the widest texts its changing fields can hold, and no control over another.

#include "DialogTestSupport.h"

#include "AboutDialog.h"
#include "ControlKeysDialog.h"
#include "GameState.h"
#include "HighScoreDialog.h"
#include "RecordingFakes.h"
#include "SpeedDialog.h"
#include "TextFit.h"

#include <QFrame>
#include <QPushButton>
#include <QScrollBar>

#include <functional>
#include <memory>

namespace wz::test {
namespace {

// A control by its identifier, or by its text when it has none.
std::string Describe(const QWidget& control) {
    if (!control.objectName().isEmpty())
        return control.objectName().toStdString();
    const auto* label = qobject_cast<const QLabel*>(&control);
    return label != nullptr ? label->text().toStdString() : "a control without a name";
}

// The application font for the time of a test, as the desktop would set it.
class DesktopFont {
public:
    explicit DesktopFont(int points) : old_(QApplication::font()) {
        if (points > 0) {
            QFont font = old_;
            font.setPointSize(points);
            QApplication::setFont(font);
        }
    }
    ~DesktopFont() { QApplication::setFont(old_); }

private:
    QFont old_;
};

TEST(DialogTexts, EveryGameDialogShowsItsTextsWhole) {
    struct Case {
        const char* name;
        std::function<std::unique_ptr<QDialog>(GameState&, GameServices&)> make;
        std::function<void(QDialog&)> work; // brings up the widest texts the fields can hold
    };
    const Case cases[] = {
        {"Control Keys",
         [](GameState& state, GameServices& services) {
             return std::make_unique<ControlKeysDialog>(nullptr, state, services);
         },
         [](QDialog& dialog) {
             // The longest names, and the prompt after the last key.
             QTest::mouseClick(FindControl<QPushButton>(dialog, kDefineKeysId), Qt::LeftButton);
             for (Qt::Key key :
                  {Qt::Key_Control, Qt::Key_CapsLock, Qt::Key_Escape, Qt::Key_Backspace, Qt::Key_W})
                 QTest::keyClick(&dialog, key);
             EXPECT_EQ(ControlText(dialog, kPromptLineId), "Definition completed");
             EXPECT_EQ(ControlText(dialog, kKeyNameFieldId + 2), "CONTROL");
         }},
        {"speed chooser",
         [](GameState& state, GameServices&) {
             return std::make_unique<SpeedDialog>(nullptr, state);
         },
         [](QDialog& dialog) {
             FindControl<QScrollBar>(dialog, kSpeedScrollBarId)
                 ->triggerAction(QAbstractSlider::SliderToMaximum);
             EXPECT_EQ(ControlText(dialog, kSpeedNumberId), "20");
         }},
        {"high score",
         [](GameState& state, GameServices&) {
             return std::make_unique<HighScoreDialog>(nullptr, state);
         },
         [](QDialog&) {}},
        {"About", [](GameState&, GameServices&) { return std::make_unique<AboutDialog>(nullptr); },
         [](QDialog&) {}},
    };
    for (const int points : {0, 14}) {
        const DesktopFont font(points);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (points ? " at 14 points" : " at the default font"));
            GameState state;
            CallLog log;
            RecordingServices services(state, log);
            const std::unique_ptr<QDialog> dialog = c.make(state, services);
            dialog->show();
            c.work(*dialog);
            for (const std::string& cut : testkit::CutTexts(*dialog))
                ADD_FAILURE() << cut;
            // Grown controls push the others along rather than over them; only the etched
            // frame of the name entry lies around others.
            QList<QWidget*> controls = dialog->findChildren<QWidget*>();
            controls.removeIf([](const QWidget* w) {
                return w->metaObject() == &QFrame::staticMetaObject || w->isWindow();
            });
            for (const QWidget* control : controls)
                for (const QWidget* other : controls)
                    if (other != control && control->geometry().intersects(other->geometry()))
                        ADD_FAILURE() << Describe(*control) << " over " << Describe(*other);
            dialog->done(QDialog::Rejected);
        }
    }
}

} // namespace
} // namespace wz::test
