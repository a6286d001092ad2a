#include "FitCommand.h"

#include "FitPicture.h"
#include "LevelNames.h"
#include "MediaChecks.h"
#include "ScratchFileGuard.h"
#include "WzAssets.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace wz::assets {

namespace {

namespace fs = std::filesystem;

bool ParseInt(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

// "attention", "centre" (or "center") or "X,Y,W,H".
bool ParseCrop(const std::string& text, media::FitOptions& options) {
    if (text == "attention") {
        options.crop = media::CropMode::Attention;
        return true;
    }
    if (text == "centre" || text == "center") {
        options.crop = media::CropMode::Centre;
        return true;
    }
    int values[4];
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = i < 3 ? rest.find(',') : rest.size();
        if (comma == std::string_view::npos || !ParseInt(rest.substr(0, comma), values[i]))
            return false;
        rest.remove_prefix(std::min(rest.size(), comma + 1));
    }
    options.crop = media::CropMode::Rectangle;
    options.rect = {values[0], values[1], values[2], values[3]};
    return true;
}

// Whether both names lead to one file, as cp refuses to copy a file onto itself.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Writes the bytes beside out under a scratch name and renames them over it, so that out is
// never left half written.
bool WriteWhole(const fs::path& given, const std::vector<std::uint8_t>& bytes, std::string& error) {
    // A rename would put a regular file in the place of a device or a FIFO (as root, even of
    // /dev/null), and in the place of a link rather than the file it leads to.
    std::error_code ec;
    struct stat st {};
    const bool link = ::lstat(given.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    const fs::path out = link ? fs::canonical(given, ec) : given;
    if (ec) {
        error = "cannot follow the link " + given.string() + ": " + ec.message();
        return false;
    }
    if (::stat(out.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        error = given.string() + " is not a regular file; nothing written";
        return false;
    }
    const fs::path folder = out.has_parent_path() ? out.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + out.filename().string() + ".XXXXXX")).string();
    ScratchFileGuard guard;
    const int fd = guard.Create(pattern);
    if (fd < 0) {
        error = "cannot write in " + folder.string() + ": " + std::strerror(errno);
        return false;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    const bool written = done == bytes.size() && ::fsync(fd) == 0;
    if (!written)
        error = "cannot write " + out.string() + ": " + std::strerror(errno);
    ::close(fd);
    return guard.Finish([&] {
        if (!written)
            return false;
        fs::rename(pattern, out, ec);
        if (ec)
            error = "cannot replace " + out.string() + ": " + ec.message();
        return !ec;
    });
}

} // namespace

int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::vector<std::string> files;
    media::FitOptions options;
    bool cropped = false;
    bool qualified = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--crop" && i + 1 < args.size() && !cropped) {
            if (!ParseCrop(args[++i], options))
                return UsageError(err, "fit");
            cropped = true;
        } else if (args[i] == "--quality" && i + 1 < args.size() && !qualified) {
            if (!ParseInt(args[++i], options.quality) || options.quality < 1 ||
                options.quality > 100)
                return UsageError(err, "fit");
            qualified = true;
        } else if (!args[i].empty() && args[i][0] != '-') {
            files.push_back(args[i]);
        } else {
            return UsageError(err, "fit");
        }
    }
    if (files.size() != 2)
        return UsageError(err, "fit");
    const std::string& in = files[0];
    const std::string& target = files[1];
    if (SameFile(in, target))
        return Fail(err, target, "the output and the input are the same file; nothing written");

    std::vector<std::uint8_t> jpeg;
    if (std::string problem = media::FitPicture(in, options, jpeg); !problem.empty())
        return Fail(err, in, problem);
    std::string error;
    if (!WriteWhole(target, jpeg, error))
        return Fail(err, "fit", error);
    out << "wrote " << target << ": " << media::kBackgroundWidth << " x "
        << media::kBackgroundHeight << " JPEG, " << jpeg.size() << " bytes\n";
    return 0;
}

bool FitBackgrounds(std::vector<BuiltElement>& elements, std::ostream& out, std::string& error) {
    for (BuiltElement& e : elements) {
        if (e.source.empty() || e.storage != kImagesStorage || e.name == kTilesPicture)
            continue;
        media::PictureInfo info;
        if (media::CheckBackground(e.bytes, info).empty())
            continue;
        std::vector<std::uint8_t> jpeg;
        if (std::string problem = media::FitPicture(e.bytes, media::FitOptions{}, jpeg);
            !problem.empty()) {
            error = "cannot fit " + e.source.string() + ": " + problem;
            return false;
        }
        out << "fitted " << e.source.string() << " as " << ToUtf8(e.storage) << "/"
            << ToUtf8(e.name) << ": " << media::kBackgroundWidth << " x "
            << media::kBackgroundHeight << ", " << jpeg.size() << " bytes\n";
        e.bytes = std::move(jpeg);
    }
    return true;
}

} // namespace wz::assets
