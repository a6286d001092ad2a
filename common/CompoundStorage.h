#pragma once

// CompoundStorage: the small class through which the game and the editor reach the asset
// file. It holds one open compound file (root), one current child storage directly under the
// root, and one current stream in that child storage, plus the result of the last operation.
// Every open is direct: what is written is in the file when the call returns.

#include "CfbModes.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace cfb {
class Storage;
class Stream;
struct StreamReplacement;
} // namespace cfb

namespace wz {

// The open modes under their structured-storage names: the engine's own values.
inline constexpr std::uint32_t STGM_READ = cfb::kModeRead;
inline constexpr std::uint32_t STGM_READWRITE = cfb::kModeReadWrite;
inline constexpr std::uint32_t STGM_SHARE_EXCLUSIVE = cfb::kShareExclusive;
inline constexpr std::uint32_t STGM_SHARE_DENY_WRITE = cfb::kShareDenyWrite;
inline constexpr std::uint32_t STGM_CREATE = cfb::kModeCreate;

class CompoundStorage {
public:
    CompoundStorage();
    ~CompoundStorage(); // closes everything, as CloseAll
    CompoundStorage(const CompoundStorage&) = delete;
    CompoundStorage& operator=(const CompoundStorage&) = delete;

    // Each of these returns true on success and sets failed() to the opposite.
    bool Open(const std::filesystem::path& file, bool readOnly, bool create);
    bool OpenStorage(std::u16string_view name, bool readOnly);
    bool OpenStream(std::u16string_view name, bool readOnly);
    bool CreateStream(std::u16string_view name);
    bool DeleteStream(std::u16string_view name);
    bool Write(const void* bytes, std::uint32_t length);
    bool Read(void* buffer, std::uint32_t length, std::uint32_t* bytesRead);
    // size receives the low 32 bits of the stream's size, or 0 on failure.
    bool GetStreamSize(std::uint32_t* size);
    bool CloseStream(); // always true, clears failed
    bool CloseAll();    // always true, keeps failed

    // Opens the stream read-only in the current child storage and reads it whole into out.
    bool ReadWholeStream(std::u16string_view name, std::vector<std::uint8_t>& out);

    // Copies the whole tree of this open file compactly into dest, a new empty file open
    // read-write, with the given streams in place of the stored ones.
    bool CopyTo(CompoundStorage& dest, std::span<const cfb::StreamReplacement> replacements);
    // The file is not flushed when it closes: its caller flushes it, or supersedes it.
    void SkipSyncOnClose();

    // The open root storage, or nullptr.
    cfb::Storage* Root() const;
    // Whether a child storage is open: after a failure, tells a failed open of the storage
    // from a failure inside it.
    bool StorageOpen() const { return child_ != nullptr; }

    bool failed() const { return failed_; }
    // The engine's result code of the last operation (CfbErrors.h); 0 after a success. Its
    // text tells a user why an open or a write failed.
    int result() const { return result_; }

private:
    bool Result(int code); // records the code; true on success
    // Runs open(element), an engine call that opens or makes an element, and puts the element
    // in slot only when it succeeds. A failed allocation counts as kErrNoMemory.
    template <typename Element, typename OpenCall>
    bool OpenInto(std::shared_ptr<Element>& slot, OpenCall open);
    std::shared_ptr<cfb::Storage> root_;
    std::shared_ptr<cfb::Storage> child_;
    std::shared_ptr<cfb::Stream> stream_;
    bool failed_ = false;
    int result_ = 0;
};

} // namespace wz
