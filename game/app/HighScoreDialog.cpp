#include "HighScoreDialog.h"

#include "DialogLayout.h"
#include "DialogUnits.h"
#include "DialogWindow.h"
#include "GameState.h"
#include "HighScores.h"
#include "NameCodePage.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace wz {

HighScoreDialog::HighScoreDialog(QWidget* owner, GameState& state)
    : QDialog(owner, kDialogWindowFlags), state_(state) {
    SetUpDialogWindow(*this, "High Score");

    // The field has the focus when the dialog opens, and comes first in the tab order.
    name_ = new QLineEdit(this);
    SetControlId(*name_, kNameFieldId);
    name_->setMaxLength(kHighScoreNameLength);
    name_->setFocus();
    QLabel* prompt = MakeLabel(*this, "Enter Your Name:", 0, {});
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    frame->lower();
    auto* ok = MakeButton(*this, "OK", kOkButtonId, {});
    ok->setDefault(true);

    const GrowingControl layout[] = {
        {name_, 65, 6, 36, 12},
        {prompt, 8, 8, 55, 8, LabelTextWidth(*prompt, {prompt->text()})},
        {frame, 2, 2, 106, 21, 0, Anchor::Around},
        {ok, 111, 6, 34, 13, ButtonTextWidth(*ok)},
    };
    setFixedSize(LayOutGrowing(DialogUnits(font()), 149, 29, layout));
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
