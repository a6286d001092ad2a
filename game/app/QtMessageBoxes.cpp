#include "QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace wz {
namespace {

QMessageBox::Icon IconFor(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop:
        return QMessageBox::Critical;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QWidget* QtMessageBoxes::OwnerFor(const MessageBoxRequest& request) {
    return request.owner == MessageOwner::ActiveWindow ? QApplication::activeWindow() : nullptr;
}

void QtMessageBoxes::ShowMessage(const MessageBoxRequest& request) {
    QMessageBox box(IconFor(request.icon), QString::fromUtf8(request.caption),
                    QString::fromUtf8(request.text), QMessageBox::Ok, OwnerFor(request));
    // The texts are laid out with spaces and line breaks of their own.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

} // namespace wz
