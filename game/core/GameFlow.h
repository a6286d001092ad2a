#pragma once

// The game flow: starts games, runs the fall and title timers, maps key presses to moves,
// pauses, takes the player through the 20 levels with their pictures and music, ends the game
// and offers a place in the high-score table. It changes no pixels itself: after each change of
// state it asks the host for a repaint, and the screens draw from GameState.
//
// The window routes its events here: key presses to OnKeyDown, timer ticks to OnTimer, menu and
// queued commands to OnCommand. All calls come from the window's one thread.

#include "GameHost.h"
#include "GameServices.h"
#include "GameState.h"
#include "LevelNames.h"

#include <cstdint>

namespace wz {

class GameFlow {
public:
    // tracks: the music of each level; the game's own list unless a test brings another.
    GameFlow(GameState& state, GameHost& host, GameServices& services,
             const LevelTrackList& tracks = levelTrackNames)
        : state_(state), host_(host), services_(services), tracks_(tracks) {}

    // Start-up, in the entry's order: once the assets are loaded, ApplyStartupDefaults; then the
    // settings are read and CopyHighScoreLinesToCredits is called; the window is shown; then
    // EnterTitleAtStartup sets the option check marks, arms the title timer and starts the
    // title music.
    void ApplyStartupDefaults();
    void EnterTitleAtStartup();
    // In place of EnterTitleAtStartup when the game was asked to start at a level: the option
    // check marks are set and that game starts without the title screen, its timer or music.
    void EnterGameAtStartup(std::int32_t level);

    // A key press, with its Windows virtual-key code. Auto-repeats count as fresh presses.
    void OnKeyDown(std::uint32_t key);
    // A tick of the timer with this identifier.
    void OnTimer(std::int32_t id);
    // A menu command or a command queued by the flow; unknown identifiers are ignored.
    void OnCommand(std::uint32_t command);
    // The application lost activation: a game that runs is paused.
    void OnDeactivated();
    // The window is being destroyed: the timers stop and the music closes.
    void OnWindowDestroyed();

    // Starts a game from any state; a running game is abandoned without a high-score check.
    void StartNewGame();
    // Starts a game as if levels 1 to level - 1 had been completed: their score, the level's
    // picture, track and fall period. Past level 1 the game enters no high score.
    void StartGameAtLevel(std::int32_t level);
    // Flips paused; the Pause Game check mark follows it. Works in every state.
    void TogglePause();
    // Moves on from a completed level to the next one, or to the final screen after the 20th.
    void AdvanceLevel();
    // Leaves a finished game for the title screen.
    void EndGame();
    // Offers the high-score entry when the score beats an entry of the table.
    void CheckHighScore();
    // Re-arms the fall timer with the period for level + speed.
    void RestartFallTimer();

private:
    bool IsConfirmingKey(std::uint32_t key) const;
    void RunGameKeys(std::uint32_t key);
    void MarkLevelCompleteIfRisen();
    void KillFallTimer();
    void KillTitleTimer();
    void ChooseSpeed();
    void ChangeTrack(std::u16string_view name);

    GameState& state_;
    GameHost& host_;
    GameServices& services_;
    const LevelTrackList& tracks_;
};

} // namespace wz
