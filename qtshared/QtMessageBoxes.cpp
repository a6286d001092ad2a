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

// Runs one box with the request's caption, text, icon and owner and the given buttons.
QMessageBox::StandardButton Run(const MessageBoxRequest& request,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(IconFor(request.icon), QString::fromUtf8(request.caption),
                    QString::fromUtf8(request.text), buttons, QtMessageBoxes::OwnerFor(request));
    // The texts are laid out with spaces and line breaks of their own.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace

QWidget* QtMessageBoxes::OwnerFor(const MessageBoxRequest& request) {
    return request.owner == MessageOwner::ActiveWindow ? QApplication::activeWindow() : nullptr;
}

void QtMessageBoxes::ShowMessage(const MessageBoxRequest& request) {
    Run(request, QMessageBox::Ok, QMessageBox::Ok);
}

// No is the default button, so that Enter or Escape never does what the user was warned of.
MessageAnswer QtMessageBoxes::Ask(const MessageBoxRequest& request) {
    return Run(request, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes
               ? MessageAnswer::Yes
               : MessageAnswer::No;
}

} // namespace wz
