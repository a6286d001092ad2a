#pragma once

// Helpers shared by the compound-file tests: a scratch folder per test, byte patterns, and a
// small builder for files with a given tree.

#include "CfbStorage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace cfbtest {

// A fresh folder under the temporary directory, removed when the test ends.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Bytes that differ per stream and per position, so that a mix-up shows.
std::vector<std::uint8_t> Pattern(std::size_t size, std::uint32_t seed);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

// "Storage/Stream" → content. Storages are made as the paths need them.
using Tree = std::map<std::string, std::vector<std::uint8_t>>;

// Writes a new file holding tree; returns the engine's result.
int BuildFile(const std::filesystem::path& path, const Tree& tree);
// Reads every stream of the file (one storage level) back into a tree.
int ReadTree(const std::filesystem::path& path, Tree& out);

std::u16string U16(const std::string& ascii);
std::string Narrow(const std::u16string& name);

// Runs a program with arguments, capturing standard output; returns its exit status.
int RunProgram(const std::vector<std::string>& argv, std::string* output = nullptr,
               const std::string& input = {});

// A program started in the background with pipes to its standard input and output.
class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
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
    int in_ = -1;
    int out_ = -1;
};

} // namespace cfbtest
