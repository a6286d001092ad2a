#include "VirtualDisplay.h"

#include <charconv>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wz::testkit {
namespace {

using Clock = std::chrono::steady_clock;

int MillisecondsLeft(Clock::time_point end) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until fd can be read or the bound has passed.
bool Readable(int fd, Clock::time_point end) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, MillisecondsLeft(end)) == 1;
}

std::string SocketPath(int number) {
    return "/tmp/.X11-unix/X" + std::to_string(number);
}

// Opens a client connection and goes through the X protocol's connection setup, without
// authorisation, as a server started without -auth expects; whether the server accepted it.
bool Handshake(int number, bool abstract, Clock::time_point end) {
    const std::string path = SocketPath(number);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // The abstract name is the path behind a NUL, without one at its end.
    const std::size_t offset = abstract ? 1 : 0;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset +
                                               path.size() + (abstract ? 0 : 1));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Byte order 'l', protocol 11.0, no authorisation name or data.
    const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    unsigned char answer = 0;
    const bool accepted =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::send(fd, setup, sizeof setup, MSG_NOSIGNAL) == static_cast<ssize_t>(sizeof setup) &&
        Readable(fd, end) && ::read(fd, &answer, 1) == 1 && answer == 1; // 1: Success
    ::close(fd);
    return accepted;
}

std::string FileText(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

bool XClientConnects(int number, int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    return Handshake(number, true, end) && Handshake(number, false, end);
}

VirtualDisplay::VirtualDisplay(std::filesystem::path errorFile, int width, int height)
    : errorFile_(std::move(errorFile)), width_(width), height_(height) {}

VirtualDisplay::~VirtualDisplay() {
    Stop();
}

bool VirtualDisplay::Start(int milliseconds) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (StartOne(milliseconds))
            return true;
        history_ += ServerState() + "\n";
        Stop();
    }
    return false;
}

bool VirtualDisplay::StartOne(int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    int named[2];
    if (::pipe2(named, O_CLOEXEC) != 0)
        return false;
    // Everything the child needs is made before the fork, which allocates nothing after it.
    const int keep = ::fcntl(named[1], F_DUPFD, 3); // without close-on-exec: the server's end
    const int error = ::open(errorFile_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    const std::string fdText = std::to_string(keep);
    const std::string screen = std::to_string(width_) + "x" + std::to_string(height_) + "x24";
    const pid_t parent = ::getpid();
    pid_ = keep < 0 ? -1 : ::fork();
    if (pid_ == 0) {
        // The server ends with the test, also when the test is killed.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::dup2(null, 0);
        ::dup2(null, 1);
        if (error >= 0)
            ::dup2(error, 2);
        ::execlp("Xvfb", "Xvfb", "-displayfd", fdText.c_str(), "-screen", "0", screen.c_str(),
                 "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int fd : {named[1], keep, error, null}) {
        if (fd >= 0)
            ::close(fd);
    }
    // The server writes its display's number and a line feed once it accepts connections, or
    // ends without a word.
    std::string said;
    char buffer[16];
    ssize_t n = 0;
    while (pid_ > 0 && said.find('\n') == std::string::npos && Readable(named[0], end) &&
           (n = ::read(named[0], buffer, sizeof buffer)) > 0)
        said.append(buffer, static_cast<std::size_t>(n));
    ::close(named[0]);
    int number = -1;
    if (said.find('\n') == std::string::npos ||
        std::from_chars(said.data(), said.data() + said.size(), number).ec != std::errc())
        return false;
    number_ = number;
    if (!XClientConnects(number, MillisecondsLeft(end)))
        return false;
    name_ = ':';
    name_ += std::to_string(number);
    return true;
}

std::string VirtualDisplay::ServerState() {
    if (pid_ <= 0)
        return "Xvfb could not be started";
    // A server that named no display has closed its end of the pipe on its way out, and a
    // crashing one still prints its backtrace: give it two seconds to end before it is told.
    for (int wait = 0; !ended_ && wait < (number_ < 0 ? 200 : 1); ++wait) {
        if (::waitpid(pid_, &status_, WNOHANG) == pid_)
            ended_ = true;
        else if (number_ < 0)
            ::usleep(10000);
    }
    std::string state = "Xvfb (process " + std::to_string(pid_) + ") ";
    if (number_ < 0)
        state += "named no display";
    else
        state += "named display :" + std::to_string(number_) +
                 (name_.empty() ? ", which took no client" : "");
    if (!ended_)
        state += "; it runs";
    else if (WIFEXITED(status_))
        state += "; it ended with exit status " + std::to_string(WEXITSTATUS(status_));
    else
        state += "; it was ended by signal " + std::to_string(WTERMSIG(status_));
    if (number_ >= 0) {
        state += "; " + SocketPath(number_) +
                 (std::filesystem::exists(SocketPath(number_)) ? " exists" : " is missing");
    }
    return state;
}

std::string VirtualDisplay::Report() {
    return history_ + ServerState() + "\nXvfb's standard error:\n" + FileText(errorFile_);
}

void VirtualDisplay::Stop() {
    if (pid_ > 0 && !ended_) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, &status_, 0);
    }
    pid_ = -1;
    ended_ = false;
    number_ = -1;
    name_.clear();
}

} // namespace wz::testkit
