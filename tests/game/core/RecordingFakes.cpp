#include "RecordingFakes.h"

namespace wz::test {

std::ostream& operator<<(std::ostream& out, const Call& call) {
    out << "Call{" << static_cast<int>(call.kind) << ", " << call.value << ", " << call.extra;
    if (!call.name.empty()) {
        out << ", \"";
        for (char16_t ch : call.name) {
            out << static_cast<char>(ch);
        }
        out << '"';
    }
    return out << '}';
}

int CallLog::Count(CallKind kind) const {
    int count = 0;
    for (const Call& call : calls) {
        count += call.kind == kind ? 1 : 0;
    }
    return count;
}

std::vector<std::u16string> CallLog::Names(CallKind kind) const {
    std::vector<std::u16string> names;
    for (const Call& call : calls) {
        if (call.kind == kind) {
            names.emplace_back(call.name);
        }
    }
    return names;
}

void RecordingHost::ShowMessage(const MessageBoxRequest& request) {
    messages.push_back(request);
    log_.Add({CallKind::Message});
}

std::int32_t RecordingHost::SetTimer(std::int32_t id, std::int32_t periodMs) {
    armedPeriod = periodMs;
    log_.Add({CallKind::SetTimer, id, periodMs});
    return id;
}

void RecordingHost::KillTimer(std::int32_t id) {
    armedPeriod = 0;
    log_.Add({CallKind::KillTimer, id});
}

void RecordingHost::PostCommand(std::uint32_t command) {
    if (log_.recording) {
        posted.push_back(command);
    }
    log_.Add({CallKind::PostCommand, command});
}

void RecordingHost::SetMenuCheck(std::uint32_t command, bool checked) {
    if (command >= 40000 && command < 40016) {
        checks[command - 40000] = checked;
    }
    log_.Add({CallKind::SetMenuCheck, command, checked ? 1 : 0});
}

bool RecordingHost::RunSpeedDialog() {
    log_.Add({CallKind::SpeedDialog});
    if (speedOk) {
        state_.speed = speedChoice;
    }
    return speedOk;
}

void RecordingHost::RunHighScoreDialog() {
    log_.Add({CallKind::HighScoreDialog, state_.pendingScore});
    InsertHighScore(state_, highScoreName);
}

void RecordingServices::LoadBackgroundPicture(std::u16string_view name) {
    log_.Add({CallKind::LoadPicture, 0, 0, name});
}

void RecordingServices::ExtractMusicTrack(std::u16string_view name) {
    state_.musicReady = 1;
    state_.musicTempExists = 1;
    log_.Add({CallKind::ExtractTrack, 0, 0, name});
}

void RecordingServices::StartMusic() {
    log_.Add({CallKind::StartMusic});
    if (state_.musicAllowed && state_.musicOption && state_.musicReady) {
        state_.musicOpen = 1;
    }
}

void RecordingServices::CloseMusic() {
    log_.Add({CallKind::CloseMusic});
    state_.musicOpen = 0;
}

bool RecordingServices::SaveSettings() {
    ++saves;
    log_.Add({CallKind::SaveSettings});
    return true;
}

GameRig::GameRig() {
    // The entry's start-up: the title music is extracted, then defaults, then the title.
    state.musicReady = 1;
    state.knockReady = 1;
    flow.ApplyStartupDefaults();
    CopyHighScoreLinesToCredits(state);
    flow.EnterTitleAtStartup();
    log.calls.clear();
}

void GameRig::Key(std::uint32_t key) {
    flow.OnKeyDown(key);
    DeliverPosted();
    if (afterEvent) {
        afterEvent();
    }
}

bool GameRig::Tick() {
    const bool armed = state.fallTimer != 0 || state.titleTimer != 0;
    if (armed) {
        flow.OnTimer(kFallTimerId);
    }
    DeliverPosted();
    if (afterEvent) {
        afterEvent();
    }
    return armed;
}

void GameRig::DeliverPosted() {
    while (!host.posted.empty()) {
        const std::uint32_t command = host.posted.front();
        host.posted.erase(host.posted.begin());
        flow.OnCommand(command);
    }
}

} // namespace wz::test
