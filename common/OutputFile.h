#pragma once

// Files the programs write for the user: each is written whole under a temporary name beside
// its final one, flushed, and renamed over it, so that the name holds either the old file or
// the whole new one, never a part. And the check that an output is not the very file a command
// reads from, which such a rename would otherwise replace without a word.

#include "ScratchFileGuard.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <system_error>

namespace wz {

// True when both paths name one existing file: the same device and inode, whatever links or
// spellings lead there. A path that does not exist names no file.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// The refusal of an output that is the input, worded as cp words it:
// "'in' and 'out' are the same file".
std::string SameFileText(const std::filesystem::path& input, const std::filesystem::path& output);

// Flushes a file's or a folder's written data to the disk. Every write that must survive a
// crash is flushed here and nowhere else.
std::error_code FlushToDisk(const std::filesystem::path& path);

// Moves scratch over target in one rename. The scratch copy takes mode, or else the target's
// permissions when it exists, and reaches the disk before the rename; the folder is flushed
// after it. On failure target is untouched, scratch stays where it is, and step (when given)
// says what failed: "cannot set the permissions of", "cannot write to the disk" or "cannot
// rename".
std::error_code ReplaceWith(const std::filesystem::path& scratch,
                            const std::filesystem::path& target,
                            std::optional<std::filesystem::perms> mode = std::nullopt,
                            const char** step = nullptr);

// How an OutputFile writes.
struct OutputOptions {
    // The new file's permissions; without it an existing target's are kept, and a new
    // file gets 0666 less the umask.
    std::optional<std::filesystem::perms> mode;
    // SIGTERM, SIGINT and SIGHUP remove the temporary file (see ScratchFileGuard): for the
    // command-line tool, not for programs with handlers of their own.
    bool removeOnSignal = false;
    // Whatever has the target's name (a link, a pipe, a device) gives way to the new file,
    // for a program's own file that nobody else should have put there.
    bool replaceName = false;
};

// One output file: Open makes the temporary file, the caller writes it by path(), and Commit
// puts it in the target's place. A temporary file not committed goes with the object.
//
// By default a target that exists and is not a regular file (a device such as /dev/null, a
// pipe) is written in place: there is nothing to replace. A symbolic link is followed, so the
// file it points to is replaced and the link stays.
class OutputFile {
public:
    explicit OutputFile(std::filesystem::path target, OutputOptions options = {});
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Makes the temporary file; the system's error when the folder does not take it.
    std::error_code Open();
    // Where to write: the temporary file, or the target itself when it is written in place.
    const std::filesystem::path& path() const { return writeTo_; }
    // Flushes the written file and renames it over the target. On failure the temporary file
    // is removed and the target is as it was.
    std::error_code Commit();

private:
    std::filesystem::path target_;
    std::filesystem::path writeTo_;
    OutputOptions options_;
    ScratchFileGuard guard_;
    bool pending_ = false; // a temporary file of ours exists
};

// Writes bytes as the whole of target through an OutputFile. False, with the reason, when that
// fails; target is then as it was and no temporary file is left. (TempFiles' WriteWholeFile
// writes a file in place, for files nobody else reads while they are written.)
bool WriteOutputFile(const std::filesystem::path& target, std::span<const std::uint8_t> bytes,
                     std::string& reason, const OutputOptions& options = {});

} // namespace wz
