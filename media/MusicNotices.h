#pragma once

// End-of-play notices on their way from the audio thread to the game's thread. The audio
// thread posts them and calls the wake-up function; the game's thread takes them out and hands
// each to OnMusicNotify. The Qt program's wake-up queues a call on the GUI thread; tests leave
// it empty and take the notices by hand.

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace wz {

struct MusicNotice {
    std::uint32_t outcome = 0;
    std::uint32_t deviceId = 0;
};

inline bool operator==(const MusicNotice& a, const MusicNotice& b) {
    return a.outcome == b.outcome && a.deviceId == b.deviceId;
}

class MusicNoticeQueue {
public:
    MusicNoticeQueue();

    // wake runs on the posting thread after each notice, so it must be quick and must not call
    // back into the sequencer (which may be holding its own lock while it posts).
    void SetWakeUp(std::function<void()> wake);

    // Safe from any thread.
    void Post(MusicNotice notice);
    // Every notice posted so far, oldest first; the queue is left empty.
    std::vector<MusicNotice> TakeAll();

private:
    std::mutex noticesMutex_;
    std::vector<MusicNotice> notices_;
    std::mutex wakeMutex_;
    std::function<void()> wake_;
};

} // namespace wz
