#include "OutputFile.h"

#include "TempFiles.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wz {

namespace fs = std::filesystem;

namespace {

std::error_code LastError() {
    return {errno, std::generic_category()};
}

fs::path FolderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

} // namespace

bool IsSameFile(const fs::path& a, const fs::path& b) {
    struct stat first {};
    struct stat second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// Both texts are built by appending: gcc 12 at -O3 takes a literal + std::string for an
// overlapping copy and warns (-Wrestrict).
std::string SameFileText(const fs::path& input, const fs::path& output) {
    std::string text = "'";
    text += input.string();
    text += "' and '";
    text += output.string();
    text += "' are the same file";
    return text;
}

std::error_code FlushToDisk(const fs::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return LastError();
    }
    std::error_code ec;
    if (::fsync(fd) != 0) {
        ec = LastError();
    }
    ::close(fd);
    return ec;
}

std::error_code ReplaceWith(const fs::path& scratch, const fs::path& target,
                            std::optional<fs::perms> mode, const char** step) {
    const auto failed = [step](const char* what, std::error_code ec) {
        if (step != nullptr) {
            *step = what;
        }
        return ec;
    };
    std::error_code ec;
    if (!mode) {
        const fs::file_status old = fs::status(target, ec);
        if (!ec && fs::exists(old)) {
            mode = old.permissions();
        }
    }
    if (mode) {
        fs::permissions(scratch, *mode, fs::perm_options::replace, ec);
        if (ec) {
            return failed("cannot set the permissions of", ec);
        }
    }
    if ((ec = FlushToDisk(scratch))) {
        return failed("cannot write to the disk", ec);
    }
    fs::rename(scratch, target, ec);
    if (ec) {
        return failed("cannot rename", ec);
    }
    // The rename itself is durable only once the folder is flushed; the file is already
    // complete under its name, so a failure here is not worth undoing the write for.
    (void)FlushToDisk(FolderOf(target));
    return {};
}

OutputFile::OutputFile(fs::path target, OutputOptions options)
    : target_(std::move(target)), options_(options) {}

OutputFile::~OutputFile() {
    if (pending_) {
        ::unlink(writeTo_.c_str());
    }
}

std::error_code OutputFile::Open() {
    std::error_code ec;
    // A link's file is what the user means by the name: it is replaced and the link stays.
    if (!options_.replaceName && fs::is_symlink(target_, ec)) {
        const fs::path resolved = fs::weakly_canonical(target_, ec);
        if (!ec) {
            target_ = resolved;
        }
    }
    const fs::file_status status = fs::status(target_, ec);
    if (!options_.replaceName && !ec && fs::exists(status) && !fs::is_regular_file(status) &&
        !fs::is_directory(status)) {
        writeTo_ = target_;
        return {};
    }
    // Beside the target, so that the rename stays on one file system; hidden, since a listing
    // of the folder should not show it while it is written.
    std::string name = ".";
    name += target_.filename().string();
    name += ".XXXXXX";
    std::string pattern = (FolderOf(target_) / name).string();
    const int fd =
        options_.removeOnSignal ? guard_.Create(pattern, 0666) : CreateScratchFile(pattern, 0666);
    if (fd < 0) {
        return LastError();
    }
    ::close(fd);
    writeTo_ = pattern;
    pending_ = true;
    return {};
}

std::error_code OutputFile::Commit() {
    if (!pending_) {
        return writeTo_.empty() ? std::make_error_code(std::errc::bad_file_descriptor)
                                : std::error_code();
    }
    std::error_code ec;
    const auto replace = [&] {
        ec = ReplaceWith(writeTo_, target_, options_.mode);
        return !ec;
    };
    if (options_.removeOnSignal) {
        guard_.Finish(replace);
    } else if (!replace()) {
        ::unlink(writeTo_.c_str());
    }
    pending_ = false;
    return ec;
}

bool WriteOutputFile(const fs::path& target, std::span<const std::uint8_t> bytes,
                     std::string& reason, const OutputOptions& options) {
    OutputFile out(target, options);
    // The temporary file exists: this writes it in place, keeping its mode.
    if (out.Open() || !WriteWholeFile(out.path().string(), bytes)) {
        reason = "the file cannot be created or written";
        return false;
    }
    if (const std::error_code ec = out.Commit()) {
        reason = ec.message();
        return false;
    }
    return true;
}

} // namespace wz
