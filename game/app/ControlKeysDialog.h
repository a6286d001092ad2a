#pragma once

// The Control Keys dialog: the names of the five bound keys, Default Keys, Define Keys and OK.
// Define Keys clears the bindings and captures the next five key presses of the program, one
// for each of Left, Right, Rotate, Drop and Down, with a prompt line saying which is due. OK
// saves the settings; Cancel (Escape or the close button) keeps the changed bindings for this
// run only. Neither closes the dialog while a definition runs.

#include "KeyCaptureFilter.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace wz {

struct GameState;
class GameServices;

// Object names of the controls, their identifiers. The name field of slot n is 1000 + n.
inline constexpr int kKeyNameFieldId = 1000;
inline constexpr int kDefineKeysId = 1005;
inline constexpr int kDefaultKeysId = 1006;
inline constexpr int kPromptLineId = 1007;

class ControlKeysDialog : public QDialog {
public:
    ControlKeysDialog(QWidget* owner, GameState& state, GameServices& services);
    ~ControlKeysDialog() override;

    void reject() override;

private:
    void ShowKeyNames();
    void OnDefaultKeys();
    void OnDefineKeys();
    void OnOk();
    void OnCapturedKey(int virtualKey, bool released, bool autoRepeat);

    GameState& state_;
    GameServices& services_;
    KeyCaptureFilter capture_;
    QLabel* nameFields_[5] = {};
    QLabel* prompt_ = nullptr;
};

} // namespace wz
