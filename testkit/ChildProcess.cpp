#include "ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace wz::testkit {

int RunProgram(const std::vector<std::string>& argv, std::string* output,
               const std::string& input) {
    ChildProcess child(argv);
    child.SendAndClose(input);
    std::string captured = child.ReadAll();
    if (output != nullptr) {
        *output = std::move(captured);
    }
    return child.Finish();
}

int RunQuietly(const std::vector<std::string>& argv) {
    return ChildProcess(argv, ChildProcess::Output::Discard).Finish();
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, Output output) {
    int toChild[2];
    int fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(fromChild, O_CLOEXEC) != 0) {
        close(toChild[0]);
        close(toChild[1]);
        return;
    }
    // posix_spawn rather than fork: a fork copies the page tables of the whole test process,
    // which under AddressSanitizer (its shadow memory and quarantine) takes a fifth of a second
    // for every program a test runs.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], 0);
    if (output == Output::Discard) {
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
    } else {
        posix_spawn_file_actions_adddup2(&actions, fromChild[1], 1);
    }
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        pid_ = pid;
    } else {
        // As the shell tells a program it cannot run.
        notStarted_ = true;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(toChild[0]);
    close(fromChild[1]);
    in_ = toChild[1];
    out_ = fromChild[0];
}

ChildProcess::~ChildProcess() {
    Finish();
}

std::string ChildProcess::ReadLine() {
    std::string line;
    char c = 0;
    while (out_ >= 0 && read(out_, &c, 1) == 1 && c != '\n') {
        line.push_back(c);
    }
    return line;
}

void ChildProcess::SendAndClose(const std::string& input) {
    if (in_ < 0) {
        return;
    }
    if (!input.empty()) {
        [[maybe_unused]] auto n = write(in_, input.data(), input.size());
    }
    close(in_);
    in_ = -1;
}

std::string ChildProcess::ReadAll() {
    std::string captured;
    char buffer[65536];
    ssize_t n = 0;
    while (out_ >= 0 && (n = read(out_, buffer, sizeof buffer)) > 0) {
        captured.append(buffer, static_cast<std::size_t>(n));
    }
    return captured;
}

void ChildProcess::Kill(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
    }
}

int ChildProcess::Finish() {
    if (in_ >= 0) {
        close(in_);
        in_ = -1;
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
    if (notStarted_) {
        notStarted_ = false;
        return 127;
    }
    if (pid_ <= 0) {
        return -1;
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace wz::testkit
