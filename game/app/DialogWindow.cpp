#include "DialogWindow.h"

#include "GameArt.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace wz {

void SetUpDialogWindow(QDialog& dialog, const char* caption) {
    dialog.setWindowTitle(QString::fromLatin1(caption));
    dialog.setWindowIcon(GameIcon());
    dialog.setModal(true);
}

void SetControlId(QWidget& control, int id) {
    if (id != 0) {
        control.setObjectName(QString::number(id));
    }
}

QPushButton* MakeButton(QWidget& parent, const char* text, int id, const QRect& geometry) {
    auto* button = new QPushButton(QString::fromLatin1(text), &parent);
    SetControlId(*button, id);
    button->setGeometry(geometry);
    return button;
}

QLabel* MakeLabel(QWidget& parent, const char* text, int id, const QRect& geometry) {
    auto* label = new QLabel(QString::fromLatin1(text), &parent);
    label->setTextFormat(Qt::PlainText);
    SetControlId(*label, id);
    label->setGeometry(geometry);
    return label;
}

} // namespace wz
