#pragma once

// About WinZolvik: the game's picture and nothing else. Enter, Escape and the close button all
// close it.

#include <QDialog>

namespace wz {

class AboutDialog : public QDialog {
public:
    explicit AboutDialog(QWidget* owner);

    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace wz
