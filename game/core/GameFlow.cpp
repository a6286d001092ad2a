#include "GameFlow.h"

#include "FallPeriods.h"
#include "LevelNames.h"
#include "MenuCommands.h"
#include "VirtualKeys.h"

#include <algorithm>
#include <limits>

namespace wz {

namespace {

// The scroller starts on the tick after this many title ticks, about 25 seconds in.
constexpr std::int32_t kTitleTicksBeforeScroller = 500;

} // namespace

void GameFlow::ApplyStartupDefaults() {
    state_.musicAllowed = 1;
    state_.pictureIndex = 0;
    state_.trackIndex = 0;
    state_.fallTimer = 0;
    state_.titleTimer = 0;
    state_.titleTicks = 0;
    state_.speed = 0;
    state_.scrollerOn = 0;
    state_.musicOption = 1;
    state_.soundOption = 1;
    state_.paused = 0;
    state_.allLevelsDone = 0;
    state_.scrollerOffset = kScrollerStartOffset;
}

void GameFlow::EnterTitleAtStartup() {
    host_.SetMenuCheck(kCommandSound, state_.soundOption != 0);
    host_.SetMenuCheck(kCommandMusic, state_.musicOption != 0);
    KillTitleTimer();
    state_.titleTimer = host_.SetTimer(kTitleTimerId, kTitleTimerPeriod);
    services_.StartMusic();
}

void GameFlow::EnterGameAtStartup(std::int32_t level) {
    host_.SetMenuCheck(kCommandSound, state_.soundOption != 0);
    host_.SetMenuCheck(kCommandMusic, state_.musicOption != 0);
    StartGameAtLevel(level);
}

void GameFlow::StartNewGame() {
    StartGameAtLevel(1);
}

void GameFlow::StartGameAtLevel(std::int32_t level) {
    level = std::clamp<std::int32_t>(level, 1, kLevelCount);
    const std::int32_t index = level - 1;
    state_.startLevel = level;
    state_.allLevelsDone = 0;
    state_.paused = 0;
    state_.levelComplete = 0;
    state_.playing = 1;
    state_.pictureIndex = index;
    state_.trackIndex = index;
    state_.titleTicks = 0;
    state_.scrollerOn = 0;
    state_.scrollerOffset = kScrollerStartOffset;
    host_.SetMenuCheck(kCommandPauseGame, false);
    services_.LoadBackgroundPicture(levelPictureNames[index]);
    if (state_.musicOpen) {
        services_.CloseMusic();
    }
    services_.ExtractMusicTrack(tracks_[index]);
    state_.board.Reset(host_.TimeInSeconds());
    // The levels before were completed: each left its 1000 points.
    state_.board.level = level;
    state_.board.score = index * kPointsPerLevel;
    services_.StartMusic();
    KillTitleTimer();
    RestartFallTimer();
    host_.Repaint();
}

void GameFlow::TogglePause() {
    state_.paused = state_.paused ? 0 : 1;
    host_.SetMenuCheck(kCommandPauseGame, state_.paused != 0);
    host_.Repaint();
}

bool GameFlow::IsConfirmingKey(std::uint32_t key) const {
    return key == VK_SPACE || KeyMatches(state_.controlKeys, kRotateSlot, key);
}

void GameFlow::OnKeyDown(std::uint32_t key) {
    // P is not consumed: a P bound as a game key still acts below.
    if (key == VK_KEY_P) {
        TogglePause();
    }

    // L never acts as a game key. During a game it pauses first, so that the game does not fall
    // on behind the dialog, and applies a changed speed at once.
    if (key == VK_KEY_L) {
        if (state_.playing) {
            if (!state_.paused) {
                TogglePause();
            }
            ChooseSpeed();
            RestartFallTimer();
        } else {
            host_.PostCommand(kCommandGameSpeed);
        }
        return;
    }

    if (IsConfirmingKey(key)) {
        if (!state_.playing && !state_.levelComplete) {
            host_.PostCommand(kCommandStartNewGame);
        }
        if (state_.board.gameOver && state_.playing) {
            EndGame();
            return;
        }
        if (state_.levelComplete && !state_.paused) {
            AdvanceLevel();
            if (state_.allLevelsDone) {
                return;
            }
        }
    }

    if (!state_.board.gameOver && !state_.paused && !state_.levelComplete && state_.playing) {
        RunGameKeys(key);
    }
}

void GameFlow::RunGameKeys(std::uint32_t key) {
    // Each binding is tested on its own, so a key bound to several actions performs them all,
    // in this order.
    Board& board = state_.board;
    const ControlKeys& keys = state_.controlKeys;
    if (KeyMatches(keys, kLeftSlot, key) && board.MoveLeft()) {
        host_.Repaint();
    }
    if (KeyMatches(keys, kRightSlot, key) && board.MoveRight()) {
        host_.Repaint();
    }
    if (KeyMatches(keys, kDropSlot, key)) {
        if (board.Drop()) {
            host_.Repaint();
            services_.PlayKnock();
        }
    }
    if (KeyMatches(keys, kDownSlot, key) && board.StepDown()) {
        host_.Repaint();
    }
    if (KeyMatches(keys, kRotateSlot, key) && board.Rotate()) {
        host_.Repaint();
    }
    MarkLevelCompleteIfRisen();
}

void GameFlow::MarkLevelCompleteIfRisen() {
    if (state_.pictureIndex + 1 != state_.board.level) {
        state_.levelComplete = 1;
    }
}

void GameFlow::OnTimer(std::int32_t id) {
    if (id == 0) {
        return;
    }
    if (id == state_.fallTimer) {
        // While paused, on a completed level or after the game, the timer ticks without effect.
        if (!state_.paused && !state_.levelComplete && state_.playing && !state_.board.gameOver) {
            state_.board.StepDown();
            host_.Repaint();
            if (state_.board.landed) {
                services_.PlayKnock();
            }
            MarkLevelCompleteIfRisen();
        }
    }
    if (id == state_.titleTimer) {
        const std::int32_t before = state_.titleTicks;
        if (state_.titleTicks < std::numeric_limits<std::int32_t>::max()) {
            ++state_.titleTicks;
        }
        if (before > kTitleTicksBeforeScroller) {
            state_.scrollerOn = 1;
            host_.Repaint();
        }
    }
}

void GameFlow::ChangeTrack(std::u16string_view name) {
    if (state_.musicOpen) {
        services_.CloseMusic();
    }
    services_.ExtractMusicTrack(name);
    services_.StartMusic();
}

void GameFlow::AdvanceLevel() {
    state_.levelComplete = 0;
    ++state_.pictureIndex;
    ++state_.trackIndex;
    state_.allLevelsDone = state_.pictureIndex > kLevelCount - 1 ? 1 : 0;

    if (state_.allLevelsDone) {
        // The final screen. The fall timer stays armed and its ticks do nothing; the next
        // confirming key ends the game.
        services_.LoadBackgroundPicture(kWinPicture);
        state_.levelComplete = 1;
        state_.board.gameOver = 1;
        host_.Repaint();
        ChangeTrack(kWinTrack);
        return;
    }

    services_.LoadBackgroundPicture(levelPictureNames[state_.pictureIndex]);
    // The music goes on when the next level shares the track of the last one.
    const std::u16string_view track = tracks_[state_.trackIndex];
    if (state_.trackIndex < 1 || track != tracks_[state_.trackIndex - 1]) {
        ChangeTrack(track);
    }
    RestartFallTimer();
    // The play screen replaces the level picture at once, whatever the confirming key does next.
    host_.Repaint();
}

void GameFlow::EndGame() {
    KillFallTimer();
    state_.levelComplete = 0;
    CheckHighScore();
    state_.allLevelsDone = 0;
    state_.playing = 0;
    state_.pictureIndex = 0;
    services_.LoadBackgroundPicture(kJacketPicture);
    ChangeTrack(kTitleTrack);
    host_.Repaint();
    KillTitleTimer();
    state_.titleTimer = host_.SetTimer(kTitleTimerId, kTitleTimerPeriod);
}

void GameFlow::CheckHighScore() {
    // The levels skipped were not played: such a score is not the player's to enter.
    if (state_.startLevel > 1) {
        return;
    }
    if (FindHighScorePlace(state_.highScores, state_.board.score) < 0) {
        return;
    }
    state_.pendingScore = state_.board.score;
    host_.RunHighScoreDialog();
    services_.SaveSettings();
}

void GameFlow::RestartFallTimer() {
    KillFallTimer();
    // Level and speed stay within the table in play; the clamp keeps a stray speed from
    // reading outside it.
    const std::int32_t index = std::clamp<std::int32_t>(
        state_.board.level + state_.speed, 0, static_cast<std::int32_t>(fallPeriods.size()) - 1);
    state_.fallTimer = host_.SetTimer(kFallTimerId, fallPeriods[index]);
}

void GameFlow::KillFallTimer() {
    if (state_.fallTimer) {
        host_.KillTimer(state_.fallTimer);
        state_.fallTimer = 0;
    }
}

void GameFlow::KillTitleTimer() {
    if (state_.titleTimer) {
        host_.KillTimer(state_.titleTimer);
        state_.titleTimer = 0;
    }
}

void GameFlow::ChooseSpeed() {
    // The play field shows level + speed: a paused game is not repainted by its timer, so a
    // new speed would otherwise wait for the next repaint to show.
    const std::int32_t before = state_.speed;
    host_.RunSpeedDialog();
    if (state_.speed != before) {
        host_.Repaint();
    }
}

void GameFlow::OnCommand(std::uint32_t command) {
    switch (command) {
    case kCommandStartNewGame:
        StartNewGame();
        break;
    case kCommandPauseGame:
        TogglePause();
        break;
    case kCommandGameSpeed:
        // From the menu the new speed waits for the next level or game to set the pace, but
        // the number shown changes at once.
        ChooseSpeed();
        break;
    case kCommandExitGame:
        KillFallTimer();
        host_.CloseWindow();
        break;
    case kCommandAbout:
        host_.RunAboutDialog();
        break;
    case kCommandControl:
        host_.RunControlKeysDialog();
        break;
    case kCommandSound:
        state_.soundOption = state_.soundOption ? 0 : 1;
        host_.SetMenuCheck(kCommandSound, state_.soundOption != 0);
        services_.SaveSettings();
        break;
    case kCommandMusic:
        state_.musicOption = state_.musicOption ? 0 : 1;
        host_.SetMenuCheck(kCommandMusic, state_.musicOption != 0);
        if (state_.musicReady && state_.musicAllowed) {
            if (state_.musicOption && !state_.musicOpen) {
                services_.StartMusic();
            } else if (!state_.musicOption && state_.musicOpen) {
                services_.CloseMusic();
            }
        }
        services_.SaveSettings();
        break;
    default:
        break;
    }
}

void GameFlow::OnDeactivated() {
    if (!state_.paused) {
        OnCommand(kCommandPauseGame);
    }
}

void GameFlow::OnWindowDestroyed() {
    KillFallTimer();
    KillTitleTimer();
    if (state_.musicOpen) {
        services_.CloseMusic();
    }
}

} // namespace wz
