#pragma once

// The compound-file engine's public face: a file is opened as its root storage; storages hold
// storages and streams by name. Every call returns a result code of CfbErrors.h (0 = success).
// Writes are direct: what a call wrote is in the file when it returns.

#include "CfbErrors.h"
#include "CfbModes.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cfb {

class CompoundFile;

struct ElementInfo {
    std::u16string name;
    bool isStorage = false;
    std::uint64_t size = 0; // streams only
};

class Storage;
class Stream;

// Bytes that a compact copy writes for one stream in place of what the source holds: the
// stream of that name in the storage of that name directly under the copied storage. When the
// source has no such stream, the copy gains it; the storage itself must exist.
struct StreamReplacement {
    std::u16string storage;
    std::u16string stream;
    std::span<const std::uint8_t> bytes;
};

// Opens a file as its root storage. Accepted modes: kModeRead | kShareDenyWrite (others may
// read at the same time), kModeReadWrite | kShareExclusive (nobody else may have the file
// open), and kModeCreate | kModeReadWrite | kShareExclusive (a new, empty file; an existing
// file of that name is emptied once this open holds it exclusively).
int OpenCompoundFile(const std::filesystem::path& path, std::uint32_t mode,
                     std::shared_ptr<Storage>& root);

class Storage {
public:
    Storage(std::shared_ptr<CompoundFile> file, std::uint32_t id, bool writable);
    ~Storage(); // releases the element; the file closes with its last open element
    Storage(const Storage&) = delete;
    Storage& operator=(const Storage&) = delete;

    // Children are opened with kShareExclusive and kModeRead or kModeReadWrite; an element
    // that is open already cannot be opened again.
    int OpenStorage(std::u16string_view name, std::uint32_t mode, std::shared_ptr<Storage>& out);
    // Without kModeCreate an existing element of that name is an error; with it, it is replaced.
    int CreateStorage(std::u16string_view name, std::uint32_t mode, std::shared_ptr<Storage>& out);
    int OpenStream(std::u16string_view name, std::uint32_t mode, std::shared_ptr<Stream>& out);
    int CreateStream(std::u16string_view name, std::uint32_t mode, std::shared_ptr<Stream>& out);
    // Removes a child and everything under it; fails while any of it is open.
    int DestroyElement(std::u16string_view name);
    // The children in sibling order.
    int List(std::vector<ElementInfo>& out) const;
    // Copies everything under this storage into dest, including its class id and state bits.
    // Into the empty root of another file the copy is written compactly in one pass: no free
    // sectors, the smallest tables and directory.
    int CopyTo(Storage& dest);
    // The compact copy into the empty root of another file, with some streams' bytes taken
    // from memory instead (see StreamReplacement). kErrInvalidArgument into anything else.
    int CopyTo(Storage& dest, std::span<const StreamReplacement> replacements);

    std::u16string Name() const;
    bool Writable() const { return writable_; }

    // The file is normally flushed to the disk when its last element closes. A caller that
    // flushes it itself, or supersedes it with a flushed copy, skips that wait with this.
    void SkipSyncOnClose();

private:
    friend class Stream;
    int OpenChild(std::u16string_view name, std::uint32_t mode, bool create, bool storage,
                  std::uint32_t& id, bool& writable);

    std::shared_ptr<CompoundFile> file_;
    std::uint32_t id_;
    bool writable_;
};

class Stream {
public:
    Stream(std::shared_ptr<CompoundFile> file, std::uint32_t id, bool writable);
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // Reads up to length bytes from the current position and moves it on.
    int Read(void* buffer, std::uint32_t length, std::uint32_t* bytesRead);
    // Writes at the current position, growing the stream as needed, and moves it on.
    int Write(const void* bytes, std::uint32_t length, std::uint32_t* bytesWritten);
    int Seek(std::uint64_t position);
    int GetSize(std::uint64_t& size) const;

private:
    std::shared_ptr<CompoundFile> file_;
    std::uint32_t id_;
    bool writable_;
    std::uint64_t position_ = 0;
};

} // namespace cfb
