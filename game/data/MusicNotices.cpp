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

std::vector<MusicNotice> MusicNoticeQueue::TakeAll() {
    std::lock_guard lock(noticesMutex_);
    std::vector<MusicNotice> taken;
    taken.swap(notices_);
    return taken;
}

} // namespace wz
