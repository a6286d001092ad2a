#pragma once

// The file under a compound file: positioned reads and writes, size, flush, and the sharing
// lock. This is the only place that talks to the operating system.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace cfb {

enum class FileAccess {
    ReadShared,         // read-only; other read-only opens may coexist, writers are kept out
    ReadWriteExclusive, // read-write; no other open of the file may exist
    CreateExclusive,    // as ReadWriteExclusive, creating the file or emptying an existing one
};

class FileIo {
public:
    FileIo() = default;
    ~FileIo();
    FileIo(const FileIo&) = delete;
    FileIo& operator=(const FileIo&) = delete;

    int Open(const std::filesystem::path& path, FileAccess access);
    // Reads exactly length bytes; bytes past the end of the file read as zeros.
    int ReadAt(std::uint64_t offset, void* buffer, std::size_t length) const;
    int WriteAt(std::uint64_t offset, const void* bytes, std::size_t length);
    int Size(std::uint64_t& size) const;
    int Truncate(std::uint64_t size);
    int Sync();
    // Asks the system to start writing a range to the disk without waiting for it, so that a
    // later Sync of a file written front to back finds most of it there already. A hint only.
    void StartWriteBack(std::uint64_t offset, std::uint64_t length);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// Test hook: WriteAt, Truncate and Sync call it first, and a non-zero result fails the call
// with that code before anything reaches the file. An empty hook (the default) lets all pass.
using FaultHook = std::function<int()>;
void SetFaultHook(FaultHook hook);

} // namespace cfb
