#pragma once

// Recording stand-ins for the window and the game's components, for driving GameFlow in tests.
// Both write into one CallLog so that a test can check the order of effects across them. The
// services keep the flags in GameState as the real components do (StartMusic opens the music
// only when it is allowed, wanted and ready), so that the flow sees consistent state.

#include "GameFlow.h"
#include "HighScores.h"
#include "MenuCommands.h"

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace wz::test {

enum class CallKind {
    Repaint,
    SetTimer,
    KillTimer,
    PostCommand,
    SetMenuCheck,
    CloseWindow,
    SpeedDialog,
    HighScoreDialog,
    ControlKeysDialog,
    AboutDialog,
    Message,
    LoadPicture,
    ExtractTrack,
    StartMusic,
    CloseMusic,
    PlayKnock,
    SaveSettings,
};

struct Call {
    CallKind kind;
    std::int64_t value = 0; // timer id, command, ...
    std::int64_t extra = 0; // timer period, check mark
    std::u16string_view name{};

    bool operator==(const Call&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Call& call);

struct CallLog {
    std::vector<Call> calls;
    bool recording = true; // off in the allocation tests, where pushing would allocate

    void Add(Call call) {
        if (recording) {
            calls.push_back(call);
        }
    }
    std::vector<Call> Take() {
        std::vector<Call> taken;
        taken.swap(calls);
        return taken;
    }
    int Count(CallKind kind) const;
    // The names asked of LoadPicture or ExtractTrack, in order.
    std::vector<std::u16string> Names(CallKind kind) const;
};

class RecordingHost : public GameHost {
public:
    RecordingHost(GameState& state, CallLog& log) : state_(state), log_(log) {}

    void ShowMessage(const MessageBoxRequest& request) override;
    void Repaint() override { log_.Add({CallKind::Repaint}); }
    std::int32_t SetTimer(std::int32_t id, std::int32_t periodMs) override;
    void KillTimer(std::int32_t id) override;
    void PostCommand(std::uint32_t command) override;
    void SetMenuCheck(std::uint32_t command, bool checked) override;
    void CloseWindow() override { log_.Add({CallKind::CloseWindow}); }
    bool RunSpeedDialog() override;
    void RunHighScoreDialog() override;
    void RunControlKeysDialog() override { log_.Add({CallKind::ControlKeysDialog}); }
    void RunAboutDialog() override { log_.Add({CallKind::AboutDialog}); }
    std::uint32_t TimeInSeconds() override { return seconds; }

    // The armed period of timer 1, or 0.
    std::int32_t armedPeriod = 0;
    // Commands posted and not yet delivered.
    std::vector<std::uint32_t> posted;
    // What the speed dialog does: OK with speedChoice, or Cancel.
    bool speedOk = true;
    std::int32_t speedChoice = 0;
    // The name typed into the high-score dialog.
    std::string highScoreName = "tester";
    std::uint32_t seconds = 1234;
    std::vector<MessageBoxRequest> messages;
    // The check mark of each menu item, by command - 40000.
    bool checks[16] = {};

private:
    GameState& state_;
    CallLog& log_;
};

class RecordingServices : public GameServices {
public:
    RecordingServices(GameState& state, CallLog& log) : state_(state), log_(log) {}

    void LoadBackgroundPicture(std::u16string_view name) override;
    void ExtractMusicTrack(std::u16string_view name) override;
    void StartMusic() override;
    void CloseMusic() override;
    void PlayKnock() override { log_.Add({CallKind::PlayKnock}); }
    bool SaveSettings() override;

    int saves = 0;

private:
    GameState& state_;
    CallLog& log_;
};

// One game program: fresh state, fakes and the flow, started up as the entry does.
struct GameRig {
    GameState state;
    CallLog log;
    RecordingHost host{state, log};
    RecordingServices services{state, log};
    // The music of each level, the game's own unless a test changes it.
    LevelTrackList tracks = levelTrackNames;
    GameFlow flow{state, host, services, tracks};

    // Called after every key press and tick, to check what must hold after each event.
    std::function<void()> afterEvent;

    GameRig();

    // Delivers a key press, then every command it queued.
    void Key(std::uint32_t key);
    // Delivers a tick of timer 1 if it is armed, then every queued command. Returns whether
    // a timer was armed.
    bool Tick();
    void DeliverPosted();
};

} // namespace wz::test
