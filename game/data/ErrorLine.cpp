#include "ErrorLine.h"

#include <cerrno>
#include <string>
#include <unistd.h>

namespace wz {

void WriteErrorLine(std::string_view text) {
    std::string line = "WinZolvik: ";
    for (const char c : text) {
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    line += '\n';
    // One write where it can, so lines of other writers do not cut into it.
    const char* next = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        const ssize_t written = ::write(STDERR_FILENO, next, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        next += written;
        left -= static_cast<std::size_t>(written);
    }
}

} // namespace wz
