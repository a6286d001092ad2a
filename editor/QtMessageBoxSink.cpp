#include "QtMessageBoxSink.h"

#include <QApplication>
#include <QMessageBox>

namespace wz {

namespace {

// Runs one box with the request's caption, text, icon and owner and the given buttons.
QMessageBox::StandardButton Run(const MessageBoxRequest& request,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (request.icon == MessageIcon::Exclamation) {
        icon = QMessageBox::Warning;
    } else if (request.icon == MessageIcon::Stop) {
        icon = QMessageBox::Critical;
    }
    QWidget* owner =
        request.owner == MessageOwner::ActiveWindow ? QApplication::activeWindow() : nullptr;
    QMessageBox box(icon, QString::fromStdString(request.caption),
                    QString::fromStdString(request.text), buttons, owner);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

void QtMessageBoxSink::ShowMessage(const MessageBoxRequest& request) {
    Run(request, QMessageBox::Ok, QMessageBox::Ok);
}

// No is the default button, so that Enter or Escape never writes a file the user was warned of.
MessageAnswer QtMessageBoxSink::Ask(const MessageBoxRequest& request) {
    return Run(request, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes
               ? MessageAnswer::Yes
               : MessageAnswer::No;
}

} // namespace wz
