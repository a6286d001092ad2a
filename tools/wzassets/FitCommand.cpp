#include "FitCommand.h"

#include "FitPicture.h"
#include "LevelNames.h"
#include "MediaChecks.h"
#include "OutputFile.h"
#include "WzAssets.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>

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
    if (IsSameFile(in, target)) {
        err << "wzassets: " << SameFileText(in, target) << "\n";
        return 1;
    }

    std::vector<std::uint8_t> jpeg;
    if (std::string problem = media::FitPicture(in, options, jpeg); !problem.empty())
        return Fail(err, in, problem);
    std::string error;
    if (!WriteOutputFile(target, jpeg, error, {std::nullopt, true}))
        return Fail(err, target, error);
    out << "wrote " << target << ": " << kFrameWidth << " x " << kFrameHeight << " JPEG, "
        << jpeg.size() << " bytes\n";
    return 0;
}

namespace {

// A background taken from the author's folder, that fitting is for: the tile sheet keeps its
// own layout.
bool IsAuthorsBackground(const BuiltElement& e) {
    return !e.source.empty() && e.storage == kImagesStorage && e.name != kTilesPicture;
}

// Empty when the game shows the picture as it is.
std::string GamePictureProblem(const BuiltElement& e) {
    media::PictureInfo info;
    return media::CheckBackground(e.bytes, info);
}

} // namespace

bool FitBackgrounds(std::vector<BuiltElement>& elements, std::ostream& out, std::string& error) {
    for (BuiltElement& e : elements) {
        if (!IsAuthorsBackground(e) || GamePictureProblem(e).empty())
            continue;
        std::vector<std::uint8_t> jpeg;
        if (std::string problem = media::FitPicture(e.bytes, media::FitOptions{}, jpeg);
            !problem.empty()) {
            error = "cannot fit " + e.source.string() + ": " + problem;
            return false;
        }
        out << "fitted " << e.source.string() << " as " << cfb::NameToUtf8(e.storage) << "/"
            << cfb::NameToUtf8(e.name) << ": " << kFrameWidth << " x " << kFrameHeight << ", "
            << jpeg.size() << " bytes\n";
        e.bytes = std::move(jpeg);
    }
    return true;
}

void NoteUnfitBackgrounds(const std::vector<BuiltElement>& elements, std::ostream& err) {
    for (const BuiltElement& e : elements) {
        if (!IsAuthorsBackground(e))
            continue;
        if (const std::string problem = GamePictureProblem(e); !problem.empty())
            err << "wzassets: note: " << e.source.string() << ": " << problem
                << "; the game cannot show it as it is, and build --fit makes it a game picture\n";
    }
}

} // namespace wz::assets
