// Test helper: opens a compound file the way one of the programs does and holds it until its
// standard input closes. Prints "held" or "failed <code>" on a line of its own.
//   cfb_hold FILE read|write|create

#include "CompoundStorage.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: cfb_hold FILE read|write|create\n");
        return 2;
    }
    wz::CompoundStorage storage;
    const bool create = std::strcmp(argv[2], "create") == 0;
    const bool readOnly = std::strcmp(argv[2], "read") == 0;
    const bool opened = storage.Open(argv[1], readOnly, create);
    // Reading a stream proves the open is usable, not just present.
    if (opened && readOnly && storage.OpenStorage(u"Images", true)) {
        std::vector<std::uint8_t> bytes;
        storage.ReadWholeStream(u"Love1", bytes);
    }
    std::printf(opened ? "held\n" : "failed\n");
    std::fflush(stdout);
    char c = 0;
    while (read(0, &c, 1) > 0) {
    }
    return 0;
}
