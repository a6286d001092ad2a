#pragma once

// A program linked with wz_sync_probe has its fsync, fdatasync and rename calls pass through
// here on their way to the C library. The probe notes what each flush saw of its file, so that
// a test can ask whether a file renamed into place had reached the disk with the contents it
// has at the rename (a rename without that flush can leave an empty file after a power cut),
// and it can make a rename fail.
//
// The same library, put into a program under test with LD_PRELOAD and WZ_SYNC_PROBE_STOP=fsync
// in its environment, stops that program with SIGSTOP at its first flush: a point in its work
// that its test controls, whatever the machine's speed.

#include <string>
#include <vector>

namespace wz::testkit {

struct ProbedRename {
    std::string from;
    std::string to;
    bool flushed = false; // a flush of the file saw it as it is at the rename
    bool failed = false;  // made to fail by FailNextRenameOnto
};

// The renames made since the last call, in their order.
std::vector<ProbedRename> TakeRenames();

// The next rename onto the path `to`, spelt as the program spells it, fails with errno set to
// error and moves nothing.
void FailNextRenameOnto(const std::string& to, int error);

} // namespace wz::testkit
