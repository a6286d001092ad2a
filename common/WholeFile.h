#pragma once

// Reading a regular file whole into memory, sized exactly to the file. The open is
// non-blocking, so a pipe or device put where a file was expected cannot stall the program;
// such a file is refused, as is one larger than the caller's limit. A file that yields fewer
// bytes than its size is a failure, never a short buffer. An allocation that cannot be met
// throws std::bad_alloc.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace wz {

enum class WholeFileFault { None, Open, NotRegular, TooLarge, Read, Shrank };

struct WholeFileRead {
    WholeFileFault fault = WholeFileFault::None;
    int error = 0; // errno, for Open and Read

    explicit operator bool() const { return fault == WholeFileFault::None; }
    // A few words on the fault: the system's text for Open and Read. Callers word TooLarge
    // themselves, as only they know what the limit stands for.
    std::string Reason() const;
};

// Reads the file at path. On failure bytes is empty.
WholeFileRead ReadWholeFile(const std::filesystem::path& path, std::uint64_t maxBytes,
                            std::vector<std::uint8_t>& bytes);

// The same for a file already open at fd, read from its start; fd stays open.
WholeFileRead ReadWholeFile(int fd, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes);

} // namespace wz
