#include "DialogTestSupport.h"

#include "DialogWindow.h"
#include "FallPeriods.h"
#include "MenuCommands.h"
#include "SpeedDialog.h"

#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

namespace wz::test {
namespace {

// Where on the scroll bar a part of it is drawn.
QRect PartOf(QScrollBar& bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(&bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar.orientation();
    option.minimum = bar.minimum();
    option.maximum = bar.maximum();
    option.sliderPosition = bar.sliderPosition();
    option.sliderValue = bar.value();
    option.singleStep = bar.singleStep();
    option.pageStep = bar.pageStep();
    option.upsideDown = bar.invertedAppearance();
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, part, &bar);
}

void ClickPart(QScrollBar& bar, QStyle::SubControl part) {
    const QRect rect = PartOf(bar, part);
    ASSERT_FALSE(rect.isEmpty()) << part;
    QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, rect.center());
}

// Drags the thumb by the mouse to x across the scroll bar.
void DragThumbTo(QScrollBar& bar, int x) {
    const QPoint from = PartOf(bar, QStyle::SC_ScrollBarSlider).center();
    QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, from);
    const QPoint to(x, from.y());
    QMouseEvent move(QEvent::MouseMove, to, bar.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&bar, &move);
    QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, to);
}

struct ScrollCase {
    const char* name;
    int start;
    std::function<void(QScrollBar&)> act;
    int position;
};

// The scroll requests, each from a start position: lines move by one, a page to the left goes
// all the way, a page to the right does nothing, the ends go to the ends, the thumb goes where
// it is dragged, and nothing leaves 0 to 19. The number shows the position plus one.
TEST(SpeedDialog, ScrollRequests) {
    const auto click = [](QStyle::SubControl part) {
        return [part](QScrollBar& bar) { ClickPart(bar, part); };
    };
    const auto key = [](Qt::Key k) { return [k](QScrollBar& bar) { QTest::keyClick(&bar, k); }; };
    const ScrollCase cases[] = {
        {"line right", 5, click(QStyle::SC_ScrollBarAddLine), 6},
        {"line left", 5, click(QStyle::SC_ScrollBarSubLine), 4},
        {"line left at 0", 0, click(QStyle::SC_ScrollBarSubLine), 0},
        {"line right at 19", 19, click(QStyle::SC_ScrollBarAddLine), 19},
        {"page left", 12, click(QStyle::SC_ScrollBarSubPage), 0},
        {"page left from 1", 1, click(QStyle::SC_ScrollBarSubPage), 0},
        {"page right", 5, click(QStyle::SC_ScrollBarAddPage), 5},
        {"left end", 7, key(Qt::Key_Home), 0},
        {"right end", 7, key(Qt::Key_End), 19},
        {"arrow key right", 7, key(Qt::Key_Right), 8},
        {"arrow key left", 7, key(Qt::Key_Left), 6},
        {"page up", 7, key(Qt::Key_PageUp), 0},
        {"page down", 7, key(Qt::Key_PageDown), 7},
        {"drag to the right end", 0, [](QScrollBar& bar) { DragThumbTo(bar, bar.width() + 50); },
         19},
        {"drag to the left end", 10, [](QScrollBar& bar) { DragThumbTo(bar, -50); }, 0},
        {"drag to the middle", 0, [](QScrollBar& bar) { DragThumbTo(bar, bar.width() / 2); }, -1},
    };
    for (const ScrollCase& c : cases) {
        SCOPED_TRACE(c.name);
        GameState state;
        state.speed = c.start;
        SpeedDialog dialog(nullptr, state);
        dialog.show();
        auto* bar = FindControl<QScrollBar>(dialog, kSpeedScrollBarId);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 19);
        EXPECT_EQ(bar->value(), c.start);
        EXPECT_EQ(ControlText(dialog, kSpeedNumberId), QString::number(c.start + 1));

        c.act(*bar);
        if (c.position >= 0) {
            EXPECT_EQ(bar->value(), c.position);
        } else {
            EXPECT_GT(bar->value(), 3);
            EXPECT_LT(bar->value(), 16);
        }
        EXPECT_EQ(dialog.SpeedChoice(), bar->value());
        EXPECT_EQ(ControlText(dialog, kSpeedNumberId), QString::number(bar->value() + 1));
        EXPECT_EQ(state.speed, c.start); // nothing is stored before OK
    }
}

// OK stores the position; Escape and the close button leave the speed as it was.
TEST(SpeedDialog, OkStoresAndCancelKeeps) {
    struct Close {
        const char* name;
        std::function<void(QDialog&)> close;
        int result;
        int speed;
    };
    const Close closes[] = {
        {"OK",
         [](QDialog& d) {
             QTest::mouseClick(FindControl<QPushButton>(d, kOkButtonId), Qt::LeftButton);
         },
         QDialog::Accepted, 19},
        {"Enter", [](QDialog& d) { QTest::keyClick(d.focusWidget(), Qt::Key_Return); },
         QDialog::Accepted, 19},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }, QDialog::Rejected, 0},
        {"close button", [](QDialog& d) { d.close(); }, QDialog::Rejected, 0},
    };
    for (const Close& c : closes) {
        SCOPED_TRACE(c.name);
        GameState state;
        SpeedDialog dialog(nullptr, state);
        EXPECT_EQ(dialog.windowTitle(), "Choose speed for play");
        EXPECT_FALSE(dialog.windowIcon().isNull());
        DialogScript script([&](QDialog& open) {
            EXPECT_EQ(ControlText(open, kSpeedNumberId), "1");
            QWidget* focus = open.focusWidget();
            ASSERT_EQ(focus, FindControl<QScrollBar>(open, kSpeedScrollBarId));
            QTest::keyClick(focus, Qt::Key_End);
            EXPECT_EQ(ControlText(open, kSpeedNumberId), "20");
            c.close(open);
        });
        EXPECT_EQ(dialog.exec(), c.result);
        EXPECT_TRUE(script.Ran());
        EXPECT_EQ(state.speed, c.speed);
    }
}

// The dialog is one thin row, "Speed", the number, the scroll bar and OK from left to right,
// near the top-left corner of the game window's client area.
TEST(SpeedDialog, Layout) {
    QWidget owner;
    owner.setGeometry(100, 100, 300, 400);
    owner.show();
    GameState state;
    SpeedDialog dialog(&owner, state);
    const QWidget* parts[] = {dialog.findChild<QLabel*>(),
                              FindControl<QLabel>(dialog, kSpeedNumberId),
                              FindControl<QScrollBar>(dialog, kSpeedScrollBarId),
                              FindControl<QPushButton>(dialog, kOkButtonId)};
    EXPECT_EQ(static_cast<const QLabel*>(parts[0])->text(), "Speed");
    int right = -1;
    for (const QWidget* part : parts) {
        ASSERT_NE(part, nullptr);
        EXPECT_GE(part->x(), right);
        EXPECT_EQ(part->y(), 0);
        EXPECT_TRUE(dialog.rect().contains(part->geometry()));
        right = part->geometry().right();
    }
    EXPECT_TRUE(FindControl<QPushButton>(dialog, kOkButtonId)->isDefault());
    EXPECT_GT(dialog.x(), owner.mapToGlobal(QPoint(0, 0)).x());
    EXPECT_LT(dialog.x(), owner.mapToGlobal(QPoint(0, 0)).x() + 40);
}

class SpeedInPlayTest : public DialogProgramTest {
protected:
    void SetUp() override {
        DialogProgramTest::SetUp();
        ASSERT_TRUE(StartWithDialogs());
    }
    // Does what opens the speed dialog; in the dialog, chooses the fastest speed and OK.
    void ChooseFastest(const std::function<void()>& open) {
        DialogScript script([](QDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Choose speed for play");
            QTest::keyClick(FindControl<QScrollBar>(dialog, kSpeedScrollBarId), Qt::Key_End);
            QTest::mouseClick(FindControl<QPushButton>(dialog, kOkButtonId), Qt::LeftButton);
        });
        open();
        EXPECT_TRUE(script.Ran());
    }
    std::int32_t FallPeriod() { return Window().ArmedTimers().at(1); }
};

// L during a game pauses it, and the speed chosen applies at once.
TEST_F(SpeedInPlayTest, LAppliesTheSpeedAtOnce) {
    StartGame();
    EXPECT_EQ(FallPeriod(), fallPeriods[1]);
    ChooseFastest([&] { SendKey(Window(), Qt::Key_L); });
    EXPECT_EQ(State().speed, 19);
    EXPECT_EQ(State().paused, 1);
    EXPECT_EQ(FallPeriod(), fallPeriods[20]);
}

// Game Speed from the menu during a game changes nothing until the next level, and Cancel
// changes nothing at all.
TEST_F(SpeedInPlayTest, MenuSpeedWaitsForTheNextLevel) {
    StartGame();
    {
        DialogScript cancel([](QDialog& dialog) {
            QTest::keyClick(FindControl<QScrollBar>(dialog, kSpeedScrollBarId), Qt::Key_End);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        Command(kCommandGameSpeed);
        EXPECT_TRUE(cancel.Ran());
    }
    EXPECT_EQ(State().speed, 0);

    ChooseFastest([&] { Command(kCommandGameSpeed); });
    EXPECT_EQ(State().speed, 19);
    EXPECT_EQ(State().paused, 0);
    EXPECT_EQ(FallPeriod(), fallPeriods[1]);

    // The level rises as a landing would raise it; the confirming key starts the next level.
    State().board.score = 1000;
    State().board.level = 2;
    State().levelComplete = 1;
    Press(Qt::Key_Space);
    EXPECT_EQ(State().pictureIndex, 1);
    EXPECT_EQ(FallPeriod(), fallPeriods[2 + 19]);
}

// On the title screen L opens the dialog too, and a new game starts at the speed chosen.
TEST_F(SpeedInPlayTest, LOnTheTitleScreen) {
    ChooseFastest([&] { Press(Qt::Key_L); });
    EXPECT_EQ(State().speed, 19);
    StartGame();
    EXPECT_EQ(FallPeriod(), fallPeriods[20]);
}

} // namespace
} // namespace wz::test
