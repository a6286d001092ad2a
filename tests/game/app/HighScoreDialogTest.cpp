#include "DialogTestSupport.h"

#include "DialogWindow.h"
#include "HighScoreDialog.h"

#include <QLineEdit>
#include <QPushButton>

#include <string>

namespace wz::test {
namespace {

std::string Line(const GameState& state, int k) {
    return std::string(state.highScoreLines[k].data(), kHighScoreLineLength);
}

std::string CreditsRow(const GameState& state, int k) {
    return std::string(state.creditsLines[kCreditsHighScoreRow + k].data(), kHighScoreLineLength);
}

// A table with the given scores at the top, each line naming its score.
GameState TableWith(std::initializer_list<std::int32_t> scores) {
    GameState state;
    int k = 0;
    for (std::int32_t score : scores) {
        state.pendingScore = score;
        InsertHighScore(state, 'E' + std::to_string(k++));
    }
    return state;
}

// Types text into the name field and closes the dialog as given; returns the dialog's result.
int EnterName(GameState& state, const QString& text, std::function<void(QDialog&)> close) {
    HighScoreDialog dialog(nullptr, state);
    DialogScript script([&](QDialog& open) {
        auto* field = FindControl<QLineEdit>(open, kNameFieldId);
        EXPECT_EQ(open.focusWidget(), field);
        TypeText(*field, text);
        close(open);
    });
    const int result = dialog.exec();
    EXPECT_TRUE(script.Ran());
    return result;
}

void ClickOk(QDialog& dialog) {
    QTest::mouseClick(FindControl<QPushButton>(dialog, kOkButtonId), Qt::LeftButton);
}

// However it closes, the dialog enters the score under the name typed so far, in capitals
// where a to z were typed, other letters in the game's code page as typed and anything the
// code page lacks as "?"; the field takes no ninth character.
TEST(HighScoreDialog, EntersTheNameHoweverItCloses) {
    struct Case {
        const char* name;
        QString typed;
        std::function<void(QDialog&)> close;
        int result;
        std::string line;
    };
    const Case cases[] = {
        {"OK", "player", ClickOk, QDialog::Accepted, "  PLAYER....4300  "},
        {"Enter", "Ann", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }, QDialog::Accepted,
         "  ANN.......4300  "},
        {"Escape", "cancel", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
         QDialog::Rejected, "  CANCEL....4300  "},
        {"close button", "x", [](QDialog& d) { d.close(); }, QDialog::Rejected,
         "  X.........4300  "},
        {"empty name", "", ClickOk, QDialog::Accepted, "  ..........4300  "},
        {"ninth character refused", "abcdefghij", ClickOk, QDialog::Accepted, "  ABCDEFGH..4300  "},
        {"Cyrillic as typed", QString::fromUtf8("Иван"), ClickOk, QDialog::Accepted,
         "  \xC8\xE2\xE0\xED......4300  "},
        {"accents outside the code page", QString::fromUtf8("zoë€"), ClickOk, QDialog::Accepted,
         "  ZO?\x88......4300  "},
        {"beyond 16 bits", QString::fromUtf8("a\U0001F600b"), ClickOk, QDialog::Accepted,
         "  A?B.......4300  "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameState state;
        state.pendingScore = 4300;
        EXPECT_EQ(EnterName(state, c.typed, c.close), c.result);
        EXPECT_EQ(state.highScores[0], 4300);
        EXPECT_EQ(Line(state, 0), c.line);
        EXPECT_EQ(CreditsRow(state, 0), c.line);
    }
}

// An equal score goes below the entry it equals; every line from there moves down by one, and
// the old last entry leaves the table and the title scroller.
TEST(HighScoreDialog, PlacesTheScoreAndDropsTheLast) {
    GameState state = TableWith(
        {5000, 3000, 2900, 2800, 2700, 2600, 2500, 2400, 2300, 2200, 2100, 2000, 1900, 1800, 1700});
    const std::string lastLine = Line(state, 14);
    ASSERT_EQ(lastLine, "  E14.......1700  ");
    std::vector<std::string> before;
    before.reserve(kHighScoreCount);
    for (int k = 0; k < kHighScoreCount; ++k)
        before.push_back(Line(state, k));

    state.pendingScore = 3000;
    EnterName(state, "new", ClickOk);
    EXPECT_EQ(state.highScores[1], 3000);
    EXPECT_EQ(state.highScores[2], 3000);
    EXPECT_EQ(Line(state, 1), before[1]);
    EXPECT_EQ(Line(state, 2), "  NEW.......3000  ");
    for (int k = 3; k < kHighScoreCount; ++k) {
        EXPECT_EQ(Line(state, k), before[k - 1]) << k;
        EXPECT_EQ(CreditsRow(state, k), before[k - 1]) << k;
    }
    EXPECT_EQ(state.highScores[14], 1800);
    for (int k = 0; k < kHighScoreCount; ++k)
        EXPECT_NE(CreditsRow(state, k), lastLine) << k;
}

// A finished game with a place in the table asks for the name over the game window; the name
// reaches the settings file in the game's code page.
TEST_F(DialogProgramTest, FinishedGameStoresTheName) {
    ASSERT_TRUE(StartWithDialogs());
    StartGame();
    State().board.score = 4300;
    State().board.gameOver = 1;
    DialogScript script([](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "High Score");
        TypeText(*FindControl<QLineEdit>(dialog, kNameFieldId), QString::fromUtf8("Ёлка-x"));
        ClickOk(dialog);
    });
    Press(Qt::Key_Space);
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(State().playing, 0);
    const std::vector<std::uint8_t> file = FileBytes(setup.settingsFile);
    ASSERT_EQ(file.size(), 358u);
    EXPECT_EQ(file[5] | file[6] << 8, 4300);
    const std::string line(file.begin() + 73, file.begin() + 73 + 19);
    EXPECT_EQ(line, std::string("  \xA8\xEB\xEA\xE0-X....4300  \0", 19));
}

// The dialog: its caption and icon, the prompt left of the field inside the etched frame, OK to
// the right as the default button.
TEST(HighScoreDialog, Layout) {
    GameState state;
    HighScoreDialog dialog(nullptr, state);
    EXPECT_EQ(dialog.windowTitle(), "High Score");
    EXPECT_FALSE(dialog.windowIcon().isNull());
    const auto* field = FindControl<QLineEdit>(dialog, kNameFieldId);
    const auto* ok = FindControl<QPushButton>(dialog, kOkButtonId);
    const auto* prompt = dialog.findChild<QLabel*>();
    const auto* frame = dialog.findChild<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
    ASSERT_TRUE(field && ok && prompt && frame);
    EXPECT_EQ(field->maxLength(), 8);
    EXPECT_EQ(prompt->text(), "Enter Your Name:");
    EXPECT_TRUE(ok->isDefault());
    EXPECT_LE(prompt->geometry().right(), field->x());
    EXPECT_LE(field->geometry().right(), ok->x());
    for (const QWidget* inside :
         {static_cast<const QWidget*>(field), static_cast<const QWidget*>(prompt)})
        EXPECT_TRUE(frame->geometry().contains(inside->geometry()));
    EXPECT_FALSE(frame->geometry().intersects(ok->geometry()));
    EXPECT_TRUE(dialog.rect().contains(ok->geometry()));
}

} // namespace
} // namespace wz::test
