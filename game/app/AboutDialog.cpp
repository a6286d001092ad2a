#include "AboutDialog.h"

#include "DialogWindow.h"
#include "GameArt.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>

namespace wz {

AboutDialog::AboutDialog(QWidget* owner) : QDialog(owner, kDialogWindowFlags) {
    SetUpDialogWindow(*this, "About WinZolvik");
    // The dialog is exactly as large as its picture, shown pixel for pixel.
    const QRect whole(0, 0, kAboutPictureWidth, kAboutPictureHeight);
    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("AboutPicture"));
    picture->setPixmap(QPixmap::fromImage(AboutPicture()));
    picture->setGeometry(whole);
    setFixedSize(whole.size());
}

void AboutDialog::reject() {
    // Every way out counts as OK.
    accept();
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    // With no button to be the default, Enter closes the dialog itself.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace wz
