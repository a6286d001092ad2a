#include "HighScoreDialog.h"

#include "DialogUnits.h"
#include "DialogWindow.h"
#include "GameState.h"
#include "HighScores.h"
#include "NameCodePage.h"

#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

namespace wz {

HighScoreDialog::HighScoreDialog(QWidget* owner, GameState& state)
    : QDialog(owner, kDialogWindowFlags), state_(state) {
    SetUpDialogWindow(*this, "High Score");
    const DialogUnits units(font());
    setFixedSize(units.Size(149, 29));

    // The field has the focus when the dialog opens, and comes first in the tab order.
    name_ = new QLineEdit(this);
    SetControlId(*name_, kNameFieldId);
    name_->setGeometry(units.Rect(65, 6, 36, 12));
    name_->setMaxLength(kHighScoreNameLength);
    name_->setFocus();
    MakeLabel(*this, "Enter Your Name:", 0, units.Rect(8, 8, 55, 8));
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->setGeometry(units.Rect(2, 2, 106, 21));
    frame->lower();
    auto* ok = MakeButton(*this, "OK", kOkButtonId, units.Rect(111, 6, 34, 13));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &HighScoreDialog::accept);
}

void HighScoreDialog::done(int result) {
    // However the dialog closes, the score goes in once, under the name as it stands.
    if (!entered_) {
        entered_ = true;
        InsertHighScore(state_, EncodeCodePageText(name_->text().toStdU16String()));
    }
    QDialog::done(result);
}

} // namespace wz
