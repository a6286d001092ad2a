#include "QtGameDialogs.h"

#include "AboutDialog.h"
#include "ControlKeysDialog.h"
#include "HighScoreDialog.h"
#include "SpeedDialog.h"

#include <QPointer>

#include <utility>

namespace wz {
namespace {

// Runs a dialog to its end. The dialog is a child of its owner, so should the owner go while
// the dialog runs, the dialog goes with it and is not deleted a second time here.
template <typename Dialog, typename... Args> int RunModal(Args&&... args) {
    QPointer<Dialog> dialog = new Dialog(std::forward<Args>(args)...);
    const int result = dialog->exec();
    delete dialog.data();
    return result;
}

} // namespace

bool QtGameDialogs::RunSpeedDialog(QWidget* owner, GameState& state) {
    return RunModal<SpeedDialog>(owner, state) == QDialog::Accepted;
}

void QtGameDialogs::RunHighScoreDialog(QWidget* owner, GameState& state) {
    RunModal<HighScoreDialog>(owner, state);
}

void QtGameDialogs::RunControlKeysDialog(QWidget* owner, GameState& state, GameServices& services) {
    RunModal<ControlKeysDialog>(owner, state, services);
}

void QtGameDialogs::RunAboutDialog(QWidget* owner) {
    RunModal<AboutDialog>(owner);
}

} // namespace wz
