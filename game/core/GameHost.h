#pragma once

// What the game flow needs of its window: the seam between the rules and the toolkit. The Qt
// window implements it; tests use a recording fake. Every call is made on the window's thread.

#include "MessageBox.h"

#include <cstdint>

namespace wz {

// Both timers of the game use identifier 1; the flow never arms them together.
inline constexpr std::int32_t kFallTimerId = 1;
inline constexpr std::int32_t kTitleTimerId = 1;
inline constexpr std::int32_t kTitleTimerPeriod = 50; // milliseconds

class GameHost : public MessageBoxSink {
public:
    // Asks for the whole window to be painted again, without erasing it first.
    virtual void Repaint() = 0;

    // Arms timer id with the period in milliseconds, replacing a timer of the same id. Its
    // ticks come back as GameFlow::OnTimer(id). Returns id, or 0 when no timer could be made.
    virtual std::int32_t SetTimer(std::int32_t id, std::int32_t periodMs) = 0;
    // Stops timer id; ticks already due are not delivered.
    virtual void KillTimer(std::int32_t id) = 0;

    // Queues a menu command; it reaches GameFlow::OnCommand after the current event.
    virtual void PostCommand(std::uint32_t command) = 0;
    // Sets or clears the check mark of a menu item.
    virtual void SetMenuCheck(std::uint32_t command, bool checked) = 0;
    // Asks the window to close; the program ends through its ordinary close path.
    virtual void CloseWindow() = 0;

    // The modal dialogs, each owned by the window. Timer ticks and queued commands keep
    // arriving while one runs.
    // The speed chooser stores the choice into GameState::speed on OK; returns true for OK.
    virtual bool RunSpeedDialog() = 0;
    // The name entry calls InsertHighScore with the name typed, whether closed by OK or Cancel.
    virtual void RunHighScoreDialog() = 0;
    virtual void RunControlKeysDialog() = 0;
    virtual void RunAboutDialog() = 0;

    // The current time in whole seconds, which seeds the pieces of each new game.
    virtual std::uint32_t TimeInSeconds() = 0;
};

} // namespace wz
