#include "QtMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace wz {

void QtMessageBoxSink::ShowMessage(const MessageBoxRequest& request) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (request.icon == MessageIcon::Exclamation) {
        icon = QMessageBox::Warning;
    } else if (request.icon == MessageIcon::Stop) {
        icon = QMessageBox::Critical;
    }
    QWidget* owner =
        request.owner == MessageOwner::ActiveWindow ? QApplication::activeWindow() : nullptr;
    QMessageBox box(icon, QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), QMessageBox::Ok, owner);
    box.exec();
}

} // namespace wz
