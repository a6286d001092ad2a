// The checks of an asset file's content that `wzassets check` runs after the structural
// check: every element the game reads is there, the pictures decode through libJpgToBmp to
// the sizes the screens draw at, the knock is a WAV file and every track a Standard MIDI File.
// Each problem is one line, named by the element's path.

#include "CompoundStorage.h"
#include "DefaultContent.h"
#include "LevelNames.h"
#include "MediaChecks.h"
#include "TileSheet.h"
#include "WzAssets.h"

#include <string>

namespace wz::assets {

namespace {

std::string CheckImage(std::u16string_view name, const std::vector<std::uint8_t>& bytes) {
    media::PictureInfo info;
    // Every picture but the tile sheet is a background, and "Love1" is also the frame the
    // game draws in.
    if (name != kTilesPicture) {
        return media::CheckBackground(bytes, info);
    }
    std::string problem = media::CheckPicture(bytes, info);
    if (problem.empty() && (info.width < static_cast<int>(tilesheet::kMinWidth) ||
                            info.height < static_cast<int>(tilesheet::kMinHeight))) {
        problem = "tile sheet is " + std::to_string(info.width) + " x " +
                  std::to_string(info.height) + ", the screens need at least " +
                  std::to_string(tilesheet::kMinWidth) + " x " +
                  std::to_string(tilesheet::kMinHeight);
    }
    return problem;
}

std::string CheckElement(const content::AssetElement& e, const std::vector<std::uint8_t>& bytes) {
    if (e.storage == kImagesStorage) {
        return CheckImage(e.name, bytes);
    }
    if (e.storage == kSoundStorage) {
        media::WaveInfo info;
        return media::CheckWave(bytes, info);
    }
    media::MidiInfo info;
    return media::CheckMidi(bytes, info);
}

void CheckGameElements(const std::filesystem::path& file, std::vector<std::string>& problems) {
    CompoundStorage storage;
    if (!storage.Open(file, true, false)) {
        problems.push_back(file.string() + ": cannot be opened for reading");
        return;
    }
    std::u16string_view open;
    bool storageOpen = false;
    for (const content::AssetElement& e : content::AssetElements()) {
        const std::string path = cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name);
        if (e.storage != open) {
            open = e.storage;
            storageOpen = storage.OpenStorage(e.storage, true);
            if (!storageOpen) {
                problems.push_back(cfb::NameToUtf8(e.storage) + ": missing");
            }
        }
        if (!storageOpen) {
            continue;
        }
        std::vector<std::uint8_t> bytes;
        if (!storage.ReadWholeStream(e.name, bytes)) {
            problems.push_back(path + ": missing");
            continue;
        }
        if (std::string problem = CheckElement(e, bytes); !problem.empty()) {
            problems.push_back(path + ": " + problem);
        }
    }
}

} // namespace

std::vector<ContentCheck> ContentChecks() {
    return {CheckGameElements};
}

} // namespace wz::assets
