#pragma once

// Scratch folders for the tests: a fresh folder per object, gone with everything in it when
// the object goes; and a TMPDIR that points into one, for a program whose temporary files a
// test counts.

#include <filesystem>
#include <string>
#include <string_view>

namespace wz::testkit {

class ScratchFolder {
public:
    // Made under $TMPDIR, or /tmp, named after prefix. Throws std::runtime_error when the
    // folder cannot be made.
    explicit ScratchFolder(std::string_view prefix = "wztest");
    // Removes the folder, also where a test took away the write permission of its contents.
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Sets TMPDIR to folder for the object's life, then puts back what was there before.
class TmpdirOverride {
public:
    explicit TmpdirOverride(const std::filesystem::path& folder);
    ~TmpdirOverride();
    TmpdirOverride(const TmpdirOverride&) = delete;
    TmpdirOverride& operator=(const TmpdirOverride&) = delete;

private:
    bool had_ = false;
    std::string old_;
};

} // namespace wz::testkit
