// The rules around play: pause, the speed key, the timers, several actions on one key, and the
// menu commands.

#include "AutoPlayer.h"
#include "FallPeriods.h"
#include "MenuCommands.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace wz::test {
namespace {

bool PauseChecked(const GameRig& rig) {
    return rig.host.checks[kCommandPauseGame - 40000];
}

void ToTitle(GameRig&) {}
void ToPlaying(GameRig& rig) {
    rig.Key(VK_SPACE);
}
void ToLevelComplete(GameRig& rig) {
    rig.host.seconds = 1;
    rig.Key(VK_SPACE);
    AutoPlayer(rig, AutoPlayer::Landing::DropKey).PlayLevel();
}
void ToGameOver(GameRig& rig) {
    rig.Key(VK_SPACE);
    for (int i = 0; i < 200 && !rig.state.board.gameOver; ++i) {
        rig.Key(VK_DOWN);
    }
}

struct StateCase {
    const char* what;
    void (*reach)(GameRig&);
};

void PrintTo(const StateCase& test, std::ostream* out) {
    *out << test.what;
}

class PauseKey : public testing::TestWithParam<StateCase> {};

// P toggles the pause and its check mark in every state, also on the title screen.
TEST_P(PauseKey, TogglesInEveryState) {
    GameRig rig;
    GetParam().reach(rig);
    rig.log.Take();
    rig.Key(VK_KEY_P);
    EXPECT_EQ(rig.state.paused, 1);
    EXPECT_TRUE(PauseChecked(rig));
    EXPECT_EQ(rig.log.Count(CallKind::Repaint), 1);
    rig.Key(VK_KEY_P);
    EXPECT_EQ(rig.state.paused, 0);
    EXPECT_FALSE(PauseChecked(rig));
}

INSTANTIATE_TEST_SUITE_P(
    States, PauseKey,
    testing::Values(StateCase{"Title", ToTitle}, StateCase{"Playing", ToPlaying},
                    StateCase{"LevelComplete", ToLevelComplete}, StateCase{"GameOver", ToGameOver}),
    [](const testing::TestParamInfo<StateCase>& info) { return std::string(info.param.what); });

TEST(Pause, FreezesFallAndGameKeys) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.Key(VK_KEY_P);
    const Board before = rig.state.board;
    rig.log.Take();
    rig.Tick();
    rig.Key(VK_LEFT);
    rig.Key(VK_DOWN);
    EXPECT_TRUE(rig.log.calls.empty());
    EXPECT_EQ(rig.state.board.row, before.row);
    EXPECT_EQ(rig.state.board.column, before.column);
    EXPECT_EQ(rig.host.armedPeriod, fallPeriods[1]) << "the fall timer keeps ticking";
}

TEST(Pause, CompletedLevelWaitsForUnpauseBeforeTheConfirmingKey) {
    GameRig rig;
    ToLevelComplete(rig);
    ASSERT_EQ(rig.state.levelComplete, 1);
    rig.Key(VK_KEY_P);
    rig.log.Take();
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.levelComplete, 1);
    EXPECT_EQ(rig.state.pictureIndex, 0);
    EXPECT_EQ(rig.log.Count(CallKind::LoadPicture), 0);
    rig.Key(VK_KEY_P);
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.levelComplete, 0);
    EXPECT_EQ(rig.state.pictureIndex, 1);
}

// Losing activation pauses a game; regaining it does not resume, and a second loss does not
// unpause.
TEST(Pause, LosingActivationPausesOnce) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.flow.OnDeactivated();
    EXPECT_EQ(rig.state.paused, 1);
    EXPECT_TRUE(PauseChecked(rig));
    rig.flow.OnDeactivated();
    EXPECT_EQ(rig.state.paused, 1);
}

// A new speed is repainted at once, over the paused game.
TEST(SpeedKey, PausesRunsTheDialogAndRestartsTheFallTimer) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.host.speedChoice = 7;
    rig.log.Take();
    rig.Key(VK_KEY_L);
    const std::vector<Call> expected = {
        {CallKind::SetMenuCheck, kCommandPauseGame, 1},
        {CallKind::Repaint},
        {CallKind::SpeedDialog},
        {CallKind::Repaint},
        {CallKind::KillTimer, 1},
        {CallKind::SetTimer, 1, fallPeriods[1 + 7]},
    };
    EXPECT_EQ(rig.log.Take(), expected);
    EXPECT_EQ(rig.state.paused, 1) << "the game stays paused";

    // Already paused: no second toggle. Cancel, or OK on the same speed, keeps the speed and
    // the picture, and the timer restarts anyway.
    const std::vector<Call> unchanged = {
        {CallKind::SpeedDialog},
        {CallKind::KillTimer, 1},
        {CallKind::SetTimer, 1, fallPeriods[1 + 7]},
    };
    for (const bool ok : {false, true}) {
        rig.host.speedOk = ok;
        rig.host.speedChoice = ok ? 7 : 3;
        rig.Key(VK_KEY_L);
        EXPECT_EQ(rig.log.Take(), unchanged) << ok;
        EXPECT_EQ(rig.state.paused, 1);
        EXPECT_EQ(rig.state.speed, 7);
    }
}

TEST(SpeedKey, OnTheTitleQueuesTheGameSpeedCommand) {
    GameRig rig;
    rig.host.speedChoice = 4;
    rig.Key(VK_KEY_L);
    const std::vector<Call> expected = {
        {CallKind::PostCommand, kCommandGameSpeed}, {CallKind::SpeedDialog}, {CallKind::Repaint}};
    EXPECT_EQ(rig.log.Take(), expected);
    EXPECT_EQ(rig.state.speed, 4);
    EXPECT_EQ(rig.state.paused, 0);
}

TEST(SpeedKey, NeverActsAsAGameKey) {
    GameRig rig;
    rig.state.controlKeys[kLeftSlot] = 'L';
    rig.Key(VK_SPACE);
    const std::int32_t column = rig.state.board.column;
    rig.Key(VK_KEY_L);
    EXPECT_EQ(rig.state.board.column, column);
}

// The menu's Game Speed during a game sets the pace only with the next level or game; the
// number shown changes at once.
TEST(SpeedMenu, LeavesTheRunningFallTimerAlone) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.host.speedChoice = 19;
    rig.log.Take();
    rig.flow.OnCommand(kCommandGameSpeed);
    EXPECT_EQ(rig.log.Take(), (std::vector<Call>{{CallKind::SpeedDialog}, {CallKind::Repaint}}));
    EXPECT_EQ(rig.host.armedPeriod, fallPeriods[1]);
    EXPECT_EQ(rig.state.paused, 0);
    rig.flow.OnCommand(kCommandStartNewGame);
    EXPECT_EQ(rig.host.armedPeriod, fallPeriods[20]);
}

TEST(FallTimer, StepsLandsAndKnocks) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.log.Take();
    rig.Tick();
    EXPECT_EQ(rig.state.board.row, 1);
    EXPECT_EQ(rig.log.Take(), std::vector<Call>{{CallKind::Repaint}});
    int ticks = 0;
    while (!rig.state.board.landed && ticks++ < 30) {
        rig.Tick();
    }
    EXPECT_EQ(rig.log.calls.back(), Call{CallKind::PlayKnock});
    EXPECT_EQ(rig.log.Count(CallKind::PlayKnock), 1);
}

// A landing by the Down key makes no sound; every Drop key knocks.
TEST(FallTimer, DownKeyLandsSilentlyAndDropKnocks) {
    GameRig rig;
    rig.Key(VK_SPACE);
    for (int i = 0; i < 30 && !rig.state.board.landed; ++i) {
        rig.Key(VK_UP);
    }
    ASSERT_EQ(rig.state.board.landed, 1);
    EXPECT_EQ(rig.log.Count(CallKind::PlayKnock), 0);
    rig.Key(VK_DOWN);
    EXPECT_EQ(rig.log.Count(CallKind::PlayKnock), 1);
}

// The Down key's step that ends the game refuses the next piece, yet has landed the last one:
// the screen must show that piece and the game-over mark at once.
TEST(GameKeys, DownKeyThatEndsTheGameRepaints) {
    GameRig rig;
    rig.Key(VK_SPACE);
    std::vector<Call> last;
    for (int i = 0; i < 2000 && !rig.state.board.gameOver; ++i) {
        rig.log.Take();
        rig.Key(VK_UP);
        last = rig.log.Take();
    }
    ASSERT_EQ(rig.state.board.gameOver, 1);
    EXPECT_EQ(last, std::vector<Call>{{CallKind::Repaint}});
}

TEST(TitleTimer, StartsTheScrollerOnThe502ndTick) {
    GameRig rig;
    ASSERT_EQ(rig.state.titleTimer, 1);
    ASSERT_EQ(rig.host.armedPeriod, kTitleTimerPeriod);
    for (int i = 0; i < 501; ++i) {
        rig.Tick();
    }
    EXPECT_EQ(rig.state.scrollerOn, 0);
    EXPECT_TRUE(rig.log.calls.empty());
    rig.Tick();
    EXPECT_EQ(rig.state.scrollerOn, 1);
    rig.Tick();
    EXPECT_EQ(rig.log.Count(CallKind::Repaint), 2);
    EXPECT_EQ(rig.state.titleTicks, 503);

    rig.state.scrollerOffset = -100;
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.titleTicks, 0);
    EXPECT_EQ(rig.state.scrollerOn, 0);
    EXPECT_EQ(rig.state.scrollerOffset, 416);
    EXPECT_EQ(rig.state.titleTimer, 0);
}

TEST(GameKeys, OneKeyBoundToEveryActionPerformsThemInOrder) {
    GameRig rig;
    rig.state.controlKeys.fill('K');
    rig.Key('K'); // also the Rotate key, so it starts the game
    ASSERT_EQ(rig.state.playing, 1);
    rig.log.Take();
    rig.Key('K');
    // Left and right cancel out, Drop lands the piece, Down steps the next one and Rotate
    // turns it.
    EXPECT_EQ(rig.state.board.row, 1);
    EXPECT_EQ(rig.state.board.rotation, 1);
    EXPECT_EQ(rig.state.board.column, kSpawnColumn);
    EXPECT_EQ(rig.log.Count(CallKind::PlayKnock), 1);
    EXPECT_EQ(rig.log.Count(CallKind::Repaint), 5);
}

// A key bound to Drop, Down and Rotate whose Drop ends the game must leave the full well as the
// landing left it: the piece that did not fit is not in the grid, so nothing may erase it.
TEST(GameKeys, ActionsAfterAGameOverDropLeaveTheWellIntact) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.state.controlKeys = {'K', 'K', VK_LEFT, VK_RIGHT, 'K'};
    Board& board = rig.state.board;
    board.ErasePiece();
    // Fixed cells everywhere except column 1 (so no row is full) and where the piece is.
    for (int r = 0; r < kFloorRow; ++r) {
        for (int c = 2; c < kRightWall; ++c) {
            board.cells[r][c] = 3;
        }
    }
    for (int r = 0; r < kMaskSize; ++r) {
        for (int c = 0; c < kMaskSize; ++c) {
            if (board.Mask(board.rotation)[r * kMaskSize + c]) {
                board.cells[board.row + r][board.column + c] = 0;
            }
        }
    }
    board.PlacePiece();
    std::vector<std::int32_t> before(&board.cells[0][0], &board.cells[0][0] + 19 * 14);

    rig.Key('K');
    EXPECT_EQ(board.gameOver, 1);
    EXPECT_EQ(std::vector<std::int32_t>(&board.cells[0][0], &board.cells[0][0] + 19 * 14), before);
    EXPECT_EQ(rig.log.Count(CallKind::PlayKnock), 1);
}

TEST(GameKeys, StartNewGameMidGameDiscardsTheScore) {
    GameRig rig;
    rig.host.seconds = 1;
    rig.Key(VK_SPACE);
    AutoPlayer player(rig, AutoPlayer::Landing::DropKey);
    for (int piece = 0; piece < 1000 && rig.state.board.score == 0; ++piece) {
        player.PlayPiece();
    }
    ASSERT_GT(rig.state.board.score, 0);
    rig.log.Take();
    rig.flow.OnCommand(kCommandStartNewGame);
    EXPECT_EQ(rig.state.board.score, 0);
    EXPECT_EQ(rig.log.Count(CallKind::HighScoreDialog), 0);
    EXPECT_EQ(rig.log.Count(CallKind::SaveSettings), 0);
}

struct OptionCase {
    const char* what;
    std::uint32_t command;
    std::int32_t musicAllowed;
    std::int32_t musicOpen;
    std::int32_t musicOption;
    std::vector<CallKind> calls;
};

void PrintTo(const OptionCase& test, std::ostream* out) {
    *out << test.what;
}

class OptionItems : public testing::TestWithParam<OptionCase> {};

// Each option item flips its option and check mark and saves the settings; Music also stops
// or starts the music when music is possible at all.
TEST_P(OptionItems, FlipCheckAndSave) {
    const OptionCase& test = GetParam();
    GameRig rig;
    rig.state.musicAllowed = test.musicAllowed;
    rig.state.musicOpen = test.musicOpen;
    rig.state.musicOption = test.musicOption;
    const std::int32_t sound = rig.state.soundOption;
    rig.flow.OnCommand(test.command);
    std::vector<CallKind> kinds;
    for (const Call& call : rig.log.Take()) {
        kinds.push_back(call.kind);
    }
    EXPECT_EQ(kinds, test.calls);
    if (test.command == kCommandSound) {
        EXPECT_EQ(rig.state.soundOption, 1 - sound);
        EXPECT_EQ(rig.host.checks[kCommandSound - 40000], rig.state.soundOption != 0);
    } else {
        EXPECT_EQ(rig.state.musicOption, 1 - test.musicOption);
        EXPECT_EQ(rig.host.checks[kCommandMusic - 40000], rig.state.musicOption != 0);
    }
}

using K = CallKind;
INSTANTIATE_TEST_SUITE_P(
    Items, OptionItems,
    testing::Values(
        OptionCase{"SoundOff", kCommandSound, 1, 1, 1, {K::SetMenuCheck, K::SaveSettings}},
        OptionCase{"MusicOffWhilePlaying",
                   kCommandMusic,
                   1,
                   1,
                   1,
                   {K::SetMenuCheck, K::CloseMusic, K::SaveSettings}},
        OptionCase{
            "MusicOn", kCommandMusic, 1, 0, 0, {K::SetMenuCheck, K::StartMusic, K::SaveSettings}},
        OptionCase{
            "MusicOnAfterAFailure", kCommandMusic, 0, 0, 0, {K::SetMenuCheck, K::SaveSettings}}),
    [](const testing::TestParamInfo<OptionCase>& info) { return std::string(info.param.what); });

TEST(Commands, ExitDialogsAndUnknownIdentifiers) {
    GameRig rig;
    rig.Key(VK_SPACE);
    rig.log.Take();
    rig.flow.OnCommand(kCommandAbout);
    rig.flow.OnCommand(kCommandControl);
    rig.flow.OnCommand(40006);
    rig.flow.OnCommand(0);
    rig.flow.OnCommand(kCommandExitGame);
    const std::vector<Call> expected = {
        {CallKind::AboutDialog},
        {CallKind::ControlKeysDialog},
        {CallKind::KillTimer, 1},
        {CallKind::CloseWindow},
    };
    EXPECT_EQ(rig.log.Take(), expected);
    EXPECT_EQ(rig.state.fallTimer, 0);
}

TEST(Commands, StartupSetsMarksTitleTimerAndMusic) {
    GameState state;
    CallLog log;
    RecordingHost host(state, log);
    RecordingServices services(state, log);
    GameFlow flow(state, host, services);
    state.musicOption = 0; // as read from the settings file
    state.musicReady = 1;
    flow.ApplyStartupDefaults();
    EXPECT_EQ(state.musicOption, 1);
    state.musicOption = 0;
    flow.EnterTitleAtStartup();
    const std::vector<Call> expected = {
        {CallKind::SetMenuCheck, kCommandSound, 1},
        {CallKind::SetMenuCheck, kCommandMusic, 0},
        {CallKind::SetTimer, 1, kTitleTimerPeriod},
        {CallKind::StartMusic},
    };
    EXPECT_EQ(log.Take(), expected);
    EXPECT_EQ(state.musicOpen, 0);

    flow.OnWindowDestroyed();
    EXPECT_EQ(log.Take(), (std::vector<Call>{{CallKind::KillTimer, 1}}));
    EXPECT_EQ(state.titleTimer, 0);
}

} // namespace
} // namespace wz::test
