// Whole games, driven only through key presses and timer ticks as the window delivers them.

#include "AutoPlayer.h"
#include "FallPeriods.h"
#include "LevelNames.h"
#include "MenuCommands.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace wz::test {
namespace {

// With this seed the automatic player clears all 20 levels.
constexpr std::uint32_t kWinningSeed = 1;

Call Picture(std::u16string_view name) {
    return {CallKind::LoadPicture, 0, 0, name};
}
Call Track(std::u16string_view name) {
    return {CallKind::ExtractTrack, 0, 0, name};
}
Call Timer(std::int32_t period) {
    return {CallKind::SetTimer, 1, period};
}
Call Kill() {
    return {CallKind::KillTimer, 1};
}
Call Simple(CallKind kind) {
    return {kind};
}

// Takes the calls logged since the last take, which must begin with these; returns them all.
std::vector<Call> TakeStartingWith(GameRig& rig, const std::vector<Call>& expected) {
    std::vector<Call> calls = rig.log.Take();
    const std::size_t checked = std::min(calls.size(), expected.size());
    EXPECT_EQ(std::vector<Call>(calls.begin(), calls.begin() + checked), expected);
    return calls;
}

void PlayToLevelComplete(GameRig& rig, AutoPlayer::Landing landing) {
    AutoPlayer player(rig, landing);
    player.PlayLevel();
    ASSERT_EQ(rig.state.levelComplete, 1);
    ASSERT_EQ(rig.state.board.gameOver, 0);
}

// Plays a few rows with care, then drops every piece where it starts until the well is full.
void PlayToGameOver(GameRig& rig) {
    AutoPlayer player(rig, AutoPlayer::Landing::DropKey);
    for (int piece = 0; piece < 1000 && rig.state.board.score < 300; ++piece) {
        player.PlayPiece();
    }
    ASSERT_GE(rig.state.board.score, 300);
    for (int i = 0; i < 200 && !rig.state.board.gameOver; ++i) {
        rig.Key(rig.state.controlKeys[kDropSlot]);
    }
    ASSERT_EQ(rig.state.board.gameOver, 1);
    ASSERT_EQ(rig.state.levelComplete, 0);
}

TEST(GameStart, ConfirmingKeyOnTheTitleStartsLevel1) {
    GameRig rig;
    rig.Key(VK_SPACE);
    const std::vector<Call> expected = {
        {CallKind::PostCommand, kCommandStartNewGame},
        {CallKind::SetMenuCheck, kCommandPauseGame, 0},
        Picture(u"Love1"),
        Simple(CallKind::CloseMusic), // the title music was playing
        Track(u"Love1"),
        Simple(CallKind::StartMusic),
        Kill(), // the title timer goes before the fall timer comes
        Timer(850),
        Simple(CallKind::Repaint),
    };
    EXPECT_EQ(rig.log.Take(), expected);
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.titleTimer, 0);
    EXPECT_EQ(rig.state.fallTimer, 1);
    EXPECT_EQ(rig.state.board.level, 1);
    EXPECT_EQ(rig.state.musicOpen, 1);
}

struct LevelStartCase {
    std::int32_t level;
    std::int32_t speed;
};

// A game started at a level is the game the player would have reached by completing the levels
// before it: their score, the level's picture, track and fall period. The next game the player
// starts is an ordinary one at level 1.
TEST(GameStart, AtALevelAsIfTheLevelsBeforeWereCompleted) {
    for (const LevelStartCase c : {LevelStartCase{1, 0}, LevelStartCase{7, 0}, LevelStartCase{7, 5},
                                   LevelStartCase{20, 19}}) {
        GameState state;
        CallLog log;
        RecordingHost host(state, log);
        RecordingServices services(state, log);
        GameFlow flow(state, host, services);
        state.musicReady = 1;
        flow.ApplyStartupDefaults();
        state.speed = c.speed;
        flow.EnterGameAtStartup(c.level);
        const std::vector<Call> expected = {
            {CallKind::SetMenuCheck, kCommandSound, 1},
            {CallKind::SetMenuCheck, kCommandMusic, 1},
            {CallKind::SetMenuCheck, kCommandPauseGame, 0},
            Picture(levelPictureNames[c.level - 1]),
            Track(levelTrackNames[c.level - 1]),
            Simple(CallKind::StartMusic),
            Timer(fallPeriods[c.level + c.speed]),
            Simple(CallKind::Repaint),
        };
        EXPECT_EQ(log.Take(), expected) << "level " << c.level;
        EXPECT_EQ(state.playing, 1);
        EXPECT_EQ(state.titleTimer, 0);
        EXPECT_EQ(state.levelComplete, 0);
        EXPECT_EQ(state.board.level, c.level);
        EXPECT_EQ(state.board.score, (c.level - 1) * 1000);
        EXPECT_EQ(state.pictureIndex, c.level - 1);
        EXPECT_EQ(state.trackIndex, c.level - 1);

        flow.OnCommand(kCommandStartNewGame);
        EXPECT_EQ(log.Names(CallKind::LoadPicture), std::vector<std::u16string>{u"Love1"});
        EXPECT_EQ(state.board.level, 1);
        EXPECT_EQ(state.board.score, 0);
        EXPECT_EQ(state.pictureIndex, 0);
        EXPECT_EQ(state.startLevel, 1);
    }
}

TEST(GameStart, ReboundRotateKeyStartsAndOtherKeysDoNot) {
    GameRig rig;
    rig.state.controlKeys[kRotateSlot] = 'E';
    rig.Key(VK_LEFT);
    rig.Key('Q');
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.log.Count(CallKind::PostCommand), 0);
    rig.Key('E');
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.log.Count(CallKind::PostCommand), 1);
}

// The landing that raises the level marks the level complete in the same fall tick, so the
// repaint it asks for already shows the level's picture.
TEST(LevelComplete, IsSetInTheTickThatRaisesTheLevel) {
    GameRig rig;
    rig.host.seconds = kWinningSeed;
    rig.Key(VK_SPACE);
    int checked = 0;
    rig.afterEvent = [&] {
        const bool risen = rig.state.board.level > 1;
        EXPECT_EQ(rig.state.levelComplete, risen ? 1 : 0);
        ++checked;
    };
    PlayToLevelComplete(rig, AutoPlayer::Landing::FallTicks);
    rig.afterEvent = nullptr;
    EXPECT_GT(checked, 100);
    EXPECT_EQ(rig.state.board.score, 1000);
    // The last event was the tick that landed the piece: a repaint, then the knock.
    const std::vector<Call>& calls = rig.log.calls;
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], Simple(CallKind::Repaint));
    EXPECT_EQ(calls.back(), Simple(CallKind::PlayKnock));

    // Frozen: ticks and game keys do nothing until the confirming key.
    const Board before = rig.state.board;
    rig.log.Take();
    rig.Tick();
    rig.Key(VK_LEFT);
    EXPECT_TRUE(rig.log.calls.empty());
    EXPECT_EQ(rig.state.board.column, before.column);
    EXPECT_EQ(rig.state.board.row, before.row);
}

struct ConfirmCase {
    const char* what;
    std::uint8_t rotateKey;
    std::uint32_t pressed;
    bool turns; // the confirming key is the Rotate key and also turns the piece
};

void PrintTo(const ConfirmCase& test, std::ostream* out) {
    *out << test.what;
}

class ConfirmingKey : public testing::TestWithParam<ConfirmCase> {};

TEST_P(ConfirmingKey, StartsLevel2WithItsPictureAndTrack) {
    const ConfirmCase& test = GetParam();
    GameRig rig;
    rig.host.seconds = kWinningSeed;
    rig.state.controlKeys[kRotateSlot] = test.rotateKey;
    rig.Key(test.rotateKey);
    PlayToLevelComplete(rig, AutoPlayer::Landing::DropKey);
    const std::int32_t rotation = rig.state.board.rotation;
    rig.log.Take();

    rig.Key(test.pressed);
    const std::vector<Call> expected = {
        Picture(u"Love2"),
        Simple(CallKind::CloseMusic),
        Track(u"Love2"),
        Simple(CallKind::StartMusic),
        Kill(),
        Timer(fallPeriods[2]),
        Simple(CallKind::Repaint),
    };
    const std::vector<Call> calls = TakeStartingWith(rig, expected);
    EXPECT_EQ(rig.state.levelComplete, 0);
    EXPECT_EQ(rig.state.pictureIndex, 1);
    EXPECT_EQ(rig.state.trackIndex, 1);
    EXPECT_EQ(rig.state.board.level, 2);
    if (test.turns) {
        EXPECT_NE(rig.state.board.rotation, rotation);
    } else {
        EXPECT_EQ(rig.state.board.rotation, rotation);
        EXPECT_EQ(calls.size(), expected.size());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ConfirmingKey,
    testing::Values(ConfirmCase{"SpaceAsRotate", 0x20, VK_SPACE, true},
                    ConfirmCase{"ReboundRotate", 'E', 'E', true},
                    ConfirmCase{"SpaceBesideReboundRotate", 'E', VK_SPACE, false}),
    [](const testing::TestParamInfo<ConfirmCase>& info) { return std::string(info.param.what); });

struct HighScoreCase {
    const char* what;
    std::int32_t lowestBelowScore; // the lowest entry is the final score minus this
    bool offered;
    std::int32_t startLevel = 1; // a game started past level 1 enters no high score
};

void PrintTo(const HighScoreCase& test, std::ostream* out) {
    *out << test.what;
}

class GameOver : public testing::TestWithParam<HighScoreCase> {};

// The first confirming key after game over only ends the game: the high-score check, then
// the title. A second one starts a new game.
TEST_P(GameOver, EndsWithTheHighScoreCheck) {
    const HighScoreCase& test = GetParam();
    GameRig rig;
    rig.host.seconds = 7;
    rig.flow.StartGameAtLevel(test.startLevel);
    PlayToGameOver(rig);
    const std::int32_t score = rig.state.board.score;
    rig.state.highScores.fill(score + 1000);
    rig.state.highScores[14] = score - test.lowestBelowScore;
    rig.log.Take();

    rig.Key(VK_SPACE);
    std::vector<Call> expected = {Kill()};
    if (test.offered) {
        expected.push_back({CallKind::HighScoreDialog, score});
        expected.push_back(Simple(CallKind::SaveSettings));
    }
    for (const Call& call :
         {Picture(u"Jacket"), Simple(CallKind::CloseMusic), Track(u"Titles"),
          Simple(CallKind::StartMusic), Simple(CallKind::Repaint), Timer(kTitleTimerPeriod)}) {
        expected.push_back(call);
    }
    EXPECT_EQ(rig.log.Take(), expected);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.titleTimer, 1);
    EXPECT_EQ(rig.state.fallTimer, 0);
    EXPECT_EQ(rig.state.highScores[14], test.offered ? score : score - test.lowestBelowScore);
    if (test.offered) {
        EXPECT_EQ(std::string(rig.state.highScoreLines[14].data(), 8), "  TESTER");
        EXPECT_EQ(std::string(rig.state.creditsLines[56].data(), 8), "  TESTER");
    }

    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.board.score, 0);
}

INSTANTIATE_TEST_SUITE_P(Scores, GameOver,
                         testing::Values(HighScoreCase{"BeatsTheLowestEntry", 100, true},
                                         HighScoreCase{"EqualsTheLowestEntry", 0, false},
                                         HighScoreCase{"StartedAtLevel7", 100, false, 7}),
                         [](const testing::TestParamInfo<HighScoreCase>& info) {
                             return std::string(info.param.what);
                         });

TEST(GameOver, EndsEvenWhilePaused) {
    GameRig rig;
    rig.Key(VK_SPACE);
    PlayToGameOver(rig);
    rig.Key(VK_KEY_P);
    ASSERT_EQ(rig.state.paused, 1);
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.paused, 1) << "paused stays set until the next game";
    rig.Key(VK_SPACE);
    EXPECT_EQ(rig.state.playing, 1);
    EXPECT_EQ(rig.state.paused, 0);
    EXPECT_FALSE(rig.host.checks[kCommandPauseGame - 40000]);
}

// A level whose track is the one already playing leaves the music running.
TEST(LevelComplete, NextLevelOnTheSameTrackKeepsTheMusic) {
    GameRig rig;
    rig.host.seconds = kWinningSeed;
    rig.tracks[1] = rig.tracks[0];
    rig.Key(VK_SPACE);
    PlayToLevelComplete(rig, AutoPlayer::Landing::DropKey);
    rig.log.Take();
    rig.Key(VK_SPACE);
    const std::vector<Call> expected = {
        Picture(u"Love2"),
        Kill(),
        Timer(fallPeriods[2]),
        Simple(CallKind::Repaint),
    };
    TakeStartingWith(rig, expected);
    EXPECT_EQ(rig.state.trackIndex, 1);
}

class AllLevels : public testing::TestWithParam<std::int32_t> {};

// A game through all 20 levels at a chosen speed: every level brings its picture, its track
// and a faster fall; after the 20th the final screen shows "Win" and plays "Win", and the
// next confirming key leads back to the title with "Jacket" and "Titles".
TEST_P(AllLevels, EndOnTheFinalScreenAndReturnToTheTitle) {
    const std::int32_t speed = GetParam();
    GameRig rig;
    rig.host.seconds = kWinningSeed;
    rig.host.speedChoice = speed;
    rig.Key(VK_KEY_L); // on the title, L opens the speed dialog
    ASSERT_EQ(rig.state.speed, speed);
    rig.Key(VK_SPACE);
    ASSERT_EQ(rig.host.armedPeriod, fallPeriods[1 + speed]);

    AutoPlayer player(rig, AutoPlayer::Landing::DropKey);
    for (int level = 1; level <= kLevelCount; ++level) {
        player.PlayLevel();
        ASSERT_EQ(rig.state.levelComplete, 1) << "level " << level;
        ASSERT_EQ(rig.state.board.level, level + 1);
        if (level == kLevelCount && speed != 0) {
            // A completed level ignores the confirming key while paused: P first, then the key.
            rig.Key(VK_KEY_P);
            rig.Key(VK_SPACE);
            ASSERT_EQ(rig.state.allLevelsDone, 0);
            rig.Key(VK_KEY_P);
        }
        rig.Key(VK_SPACE);
        if (level < kLevelCount) {
            ASSERT_EQ(rig.host.armedPeriod, fallPeriods[level + 1 + speed]) << "level " << level;
        }
    }

    std::vector<std::u16string> pictures, tracks;
    for (int i = 0; i < kLevelCount; ++i) {
        pictures.emplace_back(levelPictureNames[i]);
        tracks.emplace_back(levelTrackNames[i]);
    }
    pictures.emplace_back(u"Win");
    tracks.emplace_back(u"Win");
    EXPECT_EQ(rig.log.Names(CallKind::LoadPicture), pictures);
    EXPECT_EQ(rig.log.Names(CallKind::ExtractTrack), tracks);

    EXPECT_EQ(rig.state.allLevelsDone, 1);
    EXPECT_EQ(rig.state.levelComplete, 1);
    EXPECT_EQ(rig.state.board.gameOver, 1);
    EXPECT_EQ(rig.state.pictureIndex, 20);
    EXPECT_EQ(rig.state.board.score, 20000);
    // The fall timer stays armed and its ticks do nothing.
    EXPECT_EQ(rig.host.armedPeriod, fallPeriods[20 + speed]);
    rig.log.Take();
    for (int i = 0; i < 5; ++i) {
        rig.Tick();
    }
    EXPECT_TRUE(rig.log.calls.empty());

    if (speed != 0) {
        rig.Key(VK_KEY_P); // the final screen ends even while paused
        rig.log.Take();
    }
    rig.Key(VK_SPACE);
    const std::vector<Call> back = rig.log.Take();
    EXPECT_EQ(back.front(), Kill());
    EXPECT_NE(std::find(back.begin(), back.end(), Call{CallKind::HighScoreDialog, 20000}),
              back.end());
    EXPECT_NE(std::find(back.begin(), back.end(), Picture(u"Jacket")), back.end());
    EXPECT_NE(std::find(back.begin(), back.end(), Track(u"Titles")), back.end());
    EXPECT_EQ(back.back(), Timer(kTitleTimerPeriod));
    EXPECT_EQ(rig.state.playing, 0);
    EXPECT_EQ(rig.state.allLevelsDone, 0);
    EXPECT_EQ(rig.state.levelComplete, 0);
    EXPECT_EQ(rig.state.highScores[0], 20000);
}

INSTANTIATE_TEST_SUITE_P(Speeds, AllLevels, testing::Values(0, 19));

} // namespace
} // namespace wz::test
