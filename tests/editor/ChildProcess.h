#pragma once

// A real child process with a pipe to its standard input and one from its standard output,
// for tests that need another program to hold a file.

#include <string>
#include <vector>

namespace wztest {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess(); // closes its input and waits for it
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // One line of its output, without the line feed; empty at its end.
    std::string ReadLine();
    // Closes its input and waits; its exit status.
    int Finish();

private:
    int pid_ = -1;
    int in_ = -1;
    int out_ = -1;
};

} // namespace wztest
