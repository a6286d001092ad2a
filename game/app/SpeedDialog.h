#pragma once

// The speed chooser: "Speed", the number 1 to 20, a scroll bar over the positions 0 to 19 and
// OK, in one thin row near the top-left corner of the game window. OK stores the position into
// GameState::speed; Cancel (Escape or the close button) leaves it as it was.

#include <QDialog>

#include <cstdint>

class QLabel;
class QScrollBar;

namespace wz {

struct GameState;

inline constexpr int kSpeedNumberId = 1053;
inline constexpr int kSpeedScrollBarId = 1054;

class SpeedDialog : public QDialog {
public:
    SpeedDialog(QWidget* owner, GameState& state);

    std::int32_t SpeedChoice() const { return speedChoice_; }

    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnScrollAction(int action);
    void OnPositionChanged(int position);

    GameState& state_;
    QLabel* number_ = nullptr;
    QScrollBar* scrollBar_ = nullptr;
    std::int32_t speedChoice_ = 0;
};

} // namespace wz
