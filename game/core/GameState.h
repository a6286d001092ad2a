#pragma once

// Everything the game keeps for the whole run, in one object that the program owns and a test
// can make afresh. Flags are plain 32-bit values holding 0 or 1.
//
// A fresh object holds the values the program starts with before its settings are read:
// default keys, the default high-score table, both options on, the scroller at 416, and every
// other value 0. GameFlow::ApplyStartupDefaults sets what the entry sets once the assets are
// loaded.

#include "Board.h"
#include "ControlKeys.h"
#include "Credits.h"
#include "HighScores.h"
#include "KeyDefinition.h"

#include <cstdint>

namespace wz {

inline constexpr std::int32_t kScrollerStartOffset = 416;

struct GameState {
    // The well. Only the flow changes it; the play screen reads it.
    Board board;

    // Flow of a game.
    std::int32_t playing = 0;       // from Start New Game until the game is left for the title
    std::int32_t paused = 0;        // play is paused
    std::int32_t levelComplete = 0; // the level rose; its picture shows until a confirming key
    std::int32_t allLevelsDone = 0; // the 20th level was completed; the final picture shows
    std::int32_t pictureIndex = 0;  // 0 to 20, into levelPictureNames
    std::int32_t trackIndex = 0;    // 0 to 20, into levelTrackNames
    std::int32_t speed = 0;         // 0 to 19, chosen in the speed dialog, shown as 1 to 20
    std::int32_t fallTimer = 0;     // identifier of the armed fall timer, or 0
    std::int32_t titleTimer = 0;    // identifier of the armed title timer, or 0
    std::int32_t titleTicks = 0;    // title ticks since start-up or the last Start New Game
    std::int32_t scrollerOn = 0;    // the title screen scrolls the credits
    std::int32_t scrollerOffset = kScrollerStartOffset; // moved by the title screen
    std::int32_t pendingScore = 0;                      // the score the high-score entry inserts
    std::int32_t startLevel = 0; // the level the current game started at; past 1, no high score

    // Key bindings and their definition in the Control Keys dialog.
    ControlKeys controlKeys = defaultControlKeys;
    KeyDefinition keyDefinition;

    // High scores, kept in the settings file, and the scroller text that shows them.
    HighScoreTable highScores{};
    HighScoreLines highScoreLines = DefaultHighScoreLines();
    CreditsLines creditsLines = DefaultCreditsLines();

    // The player's options, kept in the settings file.
    std::int32_t soundOption = 1; // the landing knock
    std::int32_t musicOption = 1;

    // Sound and music, set by the asset loader and the players.
    std::int32_t knockReady = 0;      // the knock's file exists and may be played
    std::int32_t musicReady = 0;      // the music file holds the wanted track
    std::int32_t musicTempExists = 0; // the music file exists and is deleted at exit
    std::int32_t musicAllowed = 0;    // music may still be tried in this run
    std::int32_t musicOpen = 0;       // the player is open on the music file
};

} // namespace wz
