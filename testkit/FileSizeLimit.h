#pragma once

// A cap on the size of the files this process writes, for the tests of what a program does
// when the disk takes no more: a write past the cap fails with EFBIG instead of killing the
// process. The cap and the signal's handling are put back when the object goes.

#include <csignal>
#include <cstdint>
#include <sys/resource.h>

namespace wz::testkit {

class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the cap could not be set; the process then runs without it.
    bool ok() const { return ok_; }

private:
    struct rlimit old_ {};
    void (*oldHandler_)(int) = SIG_DFL;
    bool hadLimit_ = false;
    bool ok_ = false;
};

} // namespace wz::testkit
