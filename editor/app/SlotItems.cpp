#include "SlotItems.h"

#include <QCoreApplication>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTreeWidgetItem>
#include <QWidget>

namespace wz {

QIcon SlotWarningIcon(const QWidget& widget) {
    const QPixmap pixmap = widget.style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32);
    QIcon icon;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Active, QIcon::Selected}) {
        icon.addPixmap(pixmap, mode);
    }
    return icon;
}

void MarkSlotItem(QTreeWidgetItem& item, const std::string& problem, const QIcon& warning) {
    if (problem.empty()) {
        return;
    }
    const QString text = QString::fromStdString(problem);
    item.setIcon(0, warning);
    item.setToolTip(0, text);
    item.setStatusTip(0, text);
}

// The event travels up to the main window, which puts the text in its status bar.
void ShowStatusText(QWidget& widget, const QString& text) {
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(&widget, &tip);
}

} // namespace wz
