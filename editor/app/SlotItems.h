#pragma once

// The tree items' marks for a pending file that would not play in the game: a warning icon
// in both states, the reason as the tooltip and the status-bar text.

#include <QIcon>
#include <QString>

#include <string>

class QTreeWidgetItem;
class QWidget;

namespace wz {

// The warning icon of the widget's style, 32 x 32.
QIcon SlotWarningIcon(const QWidget& widget);

// Marks the slot item with the warning and the problem as its tooltip and status tip; an
// empty problem leaves it as it is. The problem alone, without the slot's number, fits the
// status bar of the editor's narrow window.
void MarkSlotItem(QTreeWidgetItem& item, const std::string& problem, const QIcon& warning);

// Shows the text in the status bar of the window that holds the widget, as a status tip
// does; an empty text gives the bar back to its idle text.
void ShowStatusText(QWidget& widget, const QString& text);

} // namespace wz
