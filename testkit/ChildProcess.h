#pragma once

// Real child processes for the tests: a program run to its end with its output captured, or
// started in the background with pipes to its standard input and output, to be read line by
// line, signalled or waited for.

#include <string>
#include <vector>

namespace wz::testkit {

// Runs a program with arguments, capturing standard output; returns its exit status.
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr,
               const std::string& input = {});

// Runs a program with arguments, its standard output and error sent to /dev/null, as a
// benchmark runs the programs it times; returns its exit status.
int RunQuietly(const std::vector<std::string>& argv);

// A program started in the background with pipes to its standard input and output.
class ChildProcess {
public:
    // Where the child's standard output goes: a pipe this object reads, or (with its standard
    // error) /dev/null.
    enum class Output { Pipe, Discard };

    explicit ChildProcess(const std::vector<std::string>& argv, Output output = Output::Pipe);
    ~ChildProcess(); // as Finish
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    // The next line the child printed, without its line feed ("" at the end of its output).
    std::string ReadLine();
    // Everything the child prints until it closes its output.
    std::string ReadAll();
    // Writes input to the child's standard input and closes it.
    void SendAndClose(const std::string& input);
    // Closes the child's standard input and waits for it; returns its exit status.
    int Finish();
    // Sends the child a signal, as a user or the system would.
    void Kill(int signal);

private:
    int pid_ = -1;
    bool notStarted_ = false; // the program could not be run: Finish gives 127
    int in_ = -1;
    int out_ = -1;
};

} // namespace wz::testkit
