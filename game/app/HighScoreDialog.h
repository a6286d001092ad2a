#pragma once

// The high-score entry: "Enter Your Name:", a field of up to 8 characters and OK. Closed by OK
// (Enter) or by Cancel (Escape, the close button), it enters GameState::pendingScore under the
// name typed so far either way. The caller saves the settings afterwards.

#include <QDialog>

class QLineEdit;

namespace wz {

struct GameState;

inline constexpr int kNameFieldId = 1052;

class HighScoreDialog : public QDialog {
public:
    HighScoreDialog(QWidget* owner, GameState& state);

    void done(int result) override;

private:
    GameState& state_;
    QLineEdit* name_ = nullptr;
    bool entered_ = false;
};

} // namespace wz
