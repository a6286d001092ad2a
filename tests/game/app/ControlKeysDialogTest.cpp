#include "DialogTestSupport.h"

#include "ControlKeysDialog.h"
#include "DialogWindow.h"
#include "MenuCommands.h"

#include <QAction>
#include <QPushButton>
#include <QWindow>

#include <array>

namespace wz::test {
namespace {

using Names = std::array<const char*, 5>; // fields 1000 to 1004: Down, Drop, Left, Right, Rotate

void ExpectNames(QDialog& dialog, const Names& names) {
    for (int slot = 0; slot < 5; ++slot) {
        EXPECT_EQ(ControlText(dialog, kKeyNameFieldId + slot), QString::fromUtf8(names[slot]))
            << "field " << kKeyNameFieldId + slot;
    }
}

QString Prompt(QDialog& dialog) {
    return ControlText(dialog, kPromptLineId);
}

void Click(QDialog& dialog, int id) {
    QPushButton* button = FindControl<QPushButton>(dialog, id);
    ASSERT_NE(button, nullptr) << id;
    QTest::mouseClick(button, Qt::LeftButton);
}

class ControlKeysDialogTest : public DialogProgramTest {
protected:
    void SetUp() override {
        DialogProgramTest::SetUp();
        ASSERT_TRUE(StartWithDialogs());
    }
    // Opens the dialog from the Options menu and works it with body.
    void RunDialog(std::function<void(QDialog&)> body) {
        DialogScript script(std::move(body));
        Command(kCommandControl);
        EXPECT_TRUE(script.Ran());
    }
    std::vector<std::uint8_t> StoredKeys() {
        std::vector<std::uint8_t> bytes = FileBytes(setup.settingsFile);
        bytes.resize(std::min<std::size_t>(bytes.size(), 5));
        return bytes;
    }
};

// The dialog as it opens: its caption and icon, the names of the bound keys beside their
// captions, the buttons in a column to the right, an empty prompt line below, nothing clipped
// and nothing covering anything else.
TEST_F(ControlKeysDialogTest, OpensWithTheBoundKeys) {
    RunDialog([&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Control Keys");
        EXPECT_FALSE(dialog.windowIcon().isNull());
        EXPECT_TRUE(dialog.windowIcon().availableSizes().contains(QSize(32, 32)));
        EXPECT_EQ(dialog.parentWidget(), &Window());
        ExpectNames(dialog, {"UP", "DOWN", "LEFT", "RIGHT", "SPACE"});
        EXPECT_EQ(Prompt(dialog), "");

        const std::pair<int, const char*> buttons[] = {
            {kDefaultKeysId, "Default Keys"}, {kDefineKeysId, "Define Keys"}, {kOkButtonId, "OK"}};
        int lastTop = -1;
        for (const auto& [id, text] : buttons) {
            QPushButton* button = FindControl<QPushButton>(dialog, id);
            ASSERT_NE(button, nullptr) << text;
            EXPECT_EQ(button->text(), text);
            EXPECT_GT(button->y(), lastTop) << text;
            lastTop = button->y();
        }
        // The focus starts on the first button, which Enter then presses.
        EXPECT_EQ(dialog.focusWidget(), FindControl<QPushButton>(dialog, kDefaultKeysId));

        // Each caption sits on the row of its slot's name field, to its left.
        const std::pair<const char*, int> rows[] = {
            {"Left:", 2}, {"Right:", 3}, {"Rotate:", 4}, {"Drop:", 1}, {"Down:", 0}};
        int lastRow = -1;
        for (const auto& [caption, slot] : rows) {
            const QLabel* field = FindControl<QLabel>(dialog, kKeyNameFieldId + slot);
            const QLabel* label = nullptr;
            for (const QLabel* candidate : dialog.findChildren<QLabel*>())
                if (candidate->text() == caption)
                    label = candidate;
            ASSERT_NE(label, nullptr) << caption;
            EXPECT_EQ(label->y(), field->y()) << caption;
            EXPECT_LE(label->geometry().right(), field->x()) << caption;
            EXPECT_GT(label->y(), lastRow) << caption;
            lastRow = label->y();
            EXPECT_LT(field->geometry().right(), dialog.findChild<QPushButton*>()->x());
        }
        EXPECT_GT(FindControl<QLabel>(dialog, kPromptLineId)->y(), lastRow);

        const QList<QWidget*> controls = dialog.findChildren<QWidget*>();
        for (const QWidget* control : controls) {
            EXPECT_TRUE(dialog.rect().contains(control->geometry()))
                << control->objectName().toStdString();
            for (const QWidget* other : controls) {
                if (other != control) {
                    EXPECT_FALSE(control->geometry().intersects(other->geometry()))
                        << control->objectName().toStdString() << " "
                        << other->objectName().toStdString();
                }
            }
        }
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
}

// Define Keys clears the five bindings and takes the next five keys for Left, Right, Rotate,
// Drop and Down, prompting for each; OK then writes them to the settings file in the order
// Down, Drop, Left, Right, Rotate.
TEST_F(ControlKeysDialogTest, DefineKeysTakesFiveKeysInPromptOrder) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        ExpectNames(dialog, {"-----", "-----", "-----", "-----", "-----"});
        const std::pair<Qt::Key, const char*> steps[] = {{Qt::Key_Q, "Press Right key"},
                                                         {Qt::Key_W, "Press Rotate key"},
                                                         {Qt::Key_E, "Press Drop key"},
                                                         {Qt::Key_R, "Press Down key"},
                                                         {Qt::Key_T, "Definition completed"}};
        EXPECT_EQ(Prompt(dialog), "Press Left key");
        for (const auto& [key, next] : steps) {
            QTest::keyClick(&dialog, key);
            EXPECT_EQ(Prompt(dialog), next);
        }
        ExpectNames(dialog, {"T", "R", "Q", "W", "E"});
        Click(dialog, kOkButtonId);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{'T', 'R', 'Q', 'W', 'E'}));
    EXPECT_EQ(StoredKeys(), (std::vector<std::uint8_t>{0x54, 0x52, 0x51, 0x57, 0x45}));
    for (const MessageBoxRequest& message : sink.shown)
        EXPECT_EQ(message.text.find("WinZolvik.cfg"), std::string::npos) << message.text;
}

// Keys from the window system reach the dialog's window first and its focused button after;
// each press binds once all the same, and the game window behind the dialog gets none.
TEST_F(ControlKeysDialogTest, WindowSystemKeysBindOnce) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        QWindow* window = dialog.windowHandle();
        ASSERT_NE(window, nullptr);
        for (Qt::Key key : {Qt::Key_Q, Qt::Key_W, Qt::Key_E, Qt::Key_R})
            QTest::keyClick(window, key);
        EXPECT_EQ(Prompt(dialog), "Press Down key");
        QTest::keyClick(Window().windowHandle(), Qt::Key_P);
        QTest::keyClick(window, Qt::Key_T);
        ExpectNames(dialog, {"T", "R", "Q", "W", "E"});
        QTest::keyClick(window, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{'T', 'R', 'Q', 'W', 'E'}));
    EXPECT_EQ(State().paused, 0);
}

// Only fresh presses bind: a held key's repeats and every release are taken without effect,
// and a key without a code is taken without moving on.
TEST_F(ControlKeysDialogTest, HeldKeyBindsOnce) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        SendKey(dialog, Qt::Key_Q);
        for (int repeat = 0; repeat < 3; ++repeat)
            SendKey(dialog, Qt::Key_Q, QEvent::KeyPress, true);
        SendKey(dialog, Qt::Key_Q, QEvent::KeyRelease);
        QTest::keyClick(&dialog, Qt::Key_Launch0); // no virtual-key code
        EXPECT_EQ(Prompt(dialog), "Press Right key");
        ExpectNames(dialog, {"-----", "-----", "Q", "-----", "-----"});
        for (Qt::Key key : {Qt::Key_A, Qt::Key_B, Qt::Key_C, Qt::Key_D})
            QTest::keyClick(&dialog, key);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{'D', 'C', 'Q', 'A', 'B'}));
}

// Default Keys in the middle of a definition shows the defaults; the definition goes on, and
// the next key overwrites the slot of the current prompt only.
TEST_F(ControlKeysDialogTest, DefaultKeysDuringADefinition) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        QTest::keyClick(&dialog, Qt::Key_Q);
        Click(dialog, kDefaultKeysId);
        ExpectNames(dialog, {"UP", "DOWN", "LEFT", "RIGHT", "SPACE"});
        EXPECT_EQ(Prompt(dialog), "Press Right key");
        QTest::keyClick(&dialog, Qt::Key_W);
        ExpectNames(dialog, {"UP", "DOWN", "LEFT", "W", "SPACE"});
        EXPECT_EQ(Prompt(dialog), "Press Rotate key");
        for (Qt::Key key : {Qt::Key_E, Qt::Key_R, Qt::Key_T})
            QTest::keyClick(&dialog, key);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{'T', 'R', 0x25, 'W', 'E'}));
}

// While a definition runs, every key of the program is a key for the definition: Escape, Enter,
// Space and Tab do not work the dialog, P does not pause the game behind it. OK, Cancel and a
// second Define Keys are ignored, and nothing is saved.
TEST_F(ControlKeysDialogTest, NothingLeavesADefinition) {
    const std::vector<std::uint8_t> before = FileBytes(setup.settingsFile);
    ASSERT_EQ(before.size(), 358u);
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        SendKey(Window(), Qt::Key_P);
        SendKey(Window(), Qt::Key_P, QEvent::KeyRelease);
        EXPECT_EQ(State().paused, 0);
        Click(dialog, kOkButtonId);
        dialog.close();
        Click(dialog, kDefineKeysId);
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(Prompt(dialog), "Press Drop key");
        ExpectNames(dialog, {"-----", "-----", "ESCAPE", "\r", "P"});
        EXPECT_EQ(FileBytes(setup.settingsFile), before);

        // Space does not press the button with the focus, nor Tab move the focus.
        QWidget* defaultKeys = FindControl<QPushButton>(dialog, kDefaultKeysId);
        defaultKeys->setFocus();
        QTest::keyClick(defaultKeys, Qt::Key_Space);
        ExpectNames(dialog, {"-----", "SPACE", "ESCAPE", "\r", "P"});
        QTest::keyClick(defaultKeys, Qt::Key_Tab);
        EXPECT_EQ(dialog.focusWidget(), defaultKeys);

        // Once the fifth key is in, the keys work the dialog again.
        EXPECT_EQ(Prompt(dialog), "Definition completed");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{0x09, 0x20, 0x1B, 0x0D, 'P'}));
    EXPECT_EQ(State().paused, 0);
    EXPECT_FALSE(Window().MenuAction(kCommandPauseGame)->isChecked());
    EXPECT_EQ(FileBytes(setup.settingsFile), before);
}

// Should the dialog go while a definition runs, the keys go back to the game.
TEST_F(ControlKeysDialogTest, DialogGoingDuringADefinition) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        QTest::keyClick(&dialog, Qt::Key_Q);
        delete &dialog;
    });
    EXPECT_EQ(State().keyDefinition.definingKeys, 0);
    EXPECT_EQ(State().controlKeys, (ControlKeys{0, 0, 'Q', 0, 0}));
    // The window system may have paused the game as the dialog went; P toggles it either way.
    QApplication::processEvents();
    const std::int32_t paused = State().paused;
    Press(Qt::Key_P);
    EXPECT_NE(State().paused, paused);
}

// Cancel keeps what Default Keys and a definition changed for the running game without writing
// it; OK writes it.
TEST_F(ControlKeysDialogTest, CancelKeepsTheKeysWithoutSaving) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        for (Qt::Key key : {Qt::Key_Q, Qt::Key_W, Qt::Key_E, Qt::Key_R, Qt::Key_T})
            QTest::keyClick(&dialog, key);
        Click(dialog, kOkButtonId);
    });
    RunDialog([&](QDialog& dialog) {
        ExpectNames(dialog, {"T", "R", "Q", "W", "E"});
        Click(dialog, kDefaultKeysId);
        dialog.close(); // the caption's close button
    });
    EXPECT_EQ(State().controlKeys, defaultControlKeys);
    EXPECT_EQ(StoredKeys(), (std::vector<std::uint8_t>{0x54, 0x52, 0x51, 0x57, 0x45}));

    RunDialog([&](QDialog& dialog) {
        ExpectNames(dialog, {"UP", "DOWN", "LEFT", "RIGHT", "SPACE"});
        Click(dialog, kOkButtonId);
    });
    EXPECT_EQ(StoredKeys(), (std::vector<std::uint8_t>{0x26, 0x28, 0x25, 0x27, 0x20}));
}

// A punctuation key has a code of 0x80 or above: it binds, shows as its character of the
// game's code page, and moves the piece in play.
TEST_F(ControlKeysDialogTest, PunctuationKeyBindsAndPlays) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        for (Qt::Key key :
             {Qt::Key_Semicolon, Qt::Key_BracketRight, Qt::Key_W, Qt::Key_Slash, Qt::Key_Down})
            QTest::keyClick(&dialog, key);
        // 0xBA, 0xDD and 0xBF read as U+0454, U+042D and U+0457 in Windows-1251.
        ExpectNames(dialog, {"DOWN", "\u0457", "\u0454", "\u042D", "W"});
        Click(dialog, kOkButtonId);
    });
    EXPECT_EQ(State().controlKeys, (ControlKeys{0x28, 0xBF, 0xBA, 0xDD, 'W'}));
    EXPECT_EQ(StoredKeys(), (std::vector<std::uint8_t>{0x28, 0xBF, 0xBA, 0xDD, 'W'}));

    StartGame();
    const int column = State().board.column;
    SendKey(Window(), Qt::Key_Semicolon);
    EXPECT_EQ(State().board.column, column - 1);
    SendKey(Window(), Qt::Key_BracketRight);
    SendKey(Window(), Qt::Key_BracketRight);
    EXPECT_EQ(State().board.column, column + 1);
}

// One key bound to all five actions performs them all, in the order left, right, drop, down,
// rotate.
TEST_F(ControlKeysDialogTest, OneKeyForEveryAction) {
    RunDialog([&](QDialog& dialog) {
        Click(dialog, kDefineKeysId);
        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&dialog, Qt::Key_Q);
        ExpectNames(dialog, {"Q", "Q", "Q", "Q", "Q"});
        EXPECT_EQ(Prompt(dialog), "Definition completed");
        Click(dialog, kOkButtonId);
    });
    StartGame();

    Board expected = State().board;
    expected.MoveLeft();
    expected.MoveRight();
    expected.Drop();
    expected.StepDown();
    expected.Rotate();
    SendKey(Window(), Qt::Key_Q);
    const Board& board = State().board;
    EXPECT_EQ(board.shape, expected.shape);
    EXPECT_EQ(board.rotation, expected.rotation);
    EXPECT_EQ(board.row, expected.row);
    EXPECT_EQ(board.column, expected.column);
    for (int r = 0; r < kBoardRows; ++r)
        for (int c = 0; c < kBoardColumns; ++c)
            EXPECT_EQ(board.cells[r][c], expected.cells[r][c]) << r << "," << c;
}

} // namespace
} // namespace wz::test
