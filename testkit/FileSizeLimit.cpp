#include "FileSizeLimit.h"

namespace wz::testkit {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    hadLimit_ = ::getrlimit(RLIMIT_FSIZE, &old_) == 0;
    if (!hadLimit_) {
        return;
    }
    // Ignored, so that the write returns an error the code under test must handle.
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit capped = old_;
    capped.rlim_cur = static_cast<rlim_t>(bytes);
    ok_ = ::setrlimit(RLIMIT_FSIZE, &capped) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    if (hadLimit_) {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
}

} // namespace wz::testkit
