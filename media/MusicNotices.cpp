#include "MusicNotices.h"

#include <utility>

namespace wz {

void MusicNoticeQueue::SetWakeUp(std::function<void()> wake) {
    std::lock_guard lock(wakeMutex_);
    wake_ = std::move(wake);
}

void MusicNoticeQueue::Post(MusicNotice notice) {
    {
        std::lock_guard lock(noticesMutex_);
        notices_.push_back(notice);
    }
    std::lock_guard lock(wakeMutex_);
    if (wake_) {
        wake_();
    }
}

MusicNoticeQueue::MusicNoticeQueue() {
    // Posting happens on the audio thread, which should not have to allocate; a handful of
    // notices between two wake-ups is the most the game ever sees.
    notices_.reserve(16);
}

std::vector<MusicNotice> MusicNoticeQueue::TakeAll() {
    std::lock_guard lock(noticesMutex_);
    // Copied out rather than swapped, so that the queue keeps its room.
    std::vector<MusicNotice> taken(notices_.begin(), notices_.end());
    notices_.clear();
    return taken;
}

} // namespace wz
