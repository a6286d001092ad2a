#include "DefaultContent.h"

#include "JpegWriter.h"
#include "KnockSound.h"
#include "LevelNames.h"
#include "Pictures.h"
#include "SongBook.h"
#include "TileSheetArt.h"

namespace wz::content {

const std::vector<AssetElement>& AssetElements() {
    static const std::vector<AssetElement> elements = [] {
        std::vector<AssetElement> list;
        list.push_back({kImagesStorage, kJacketPicture});
        list.push_back({kImagesStorage, kTilesPicture});
        for (int i = 0; i < kLevelCount; ++i) {
            list.push_back({kImagesStorage, levelPictureNames[static_cast<std::size_t>(i)]});
        }
        list.push_back({kImagesStorage, kWinPicture});
        list.push_back({kSoundStorage, kKnockSound});
        list.push_back({kMusicStorage, kTitleTrack});
        // The music streams are named by their slot, "Love1" to "Love20", whichever level
        // plays them; the picture list has exactly those names.
        for (int i = 0; i < kLevelCount; ++i) {
            list.push_back({kMusicStorage, levelPictureNames[static_cast<std::size_t>(i)]});
        }
        list.push_back({kMusicStorage, kWinTrack});
        return list;
    }();
    return elements;
}

namespace {

std::vector<std::uint8_t> MakePicture(std::u16string_view name) {
    if (name == kJacketPicture) {
        return EncodeJpeg(MakeJacketPicture(), kTitlePictureQuality, ChromaSampling::Full);
    }
    if (name == kWinPicture) {
        return EncodeJpeg(MakeWinPicture(), kTitlePictureQuality, ChromaSampling::Full);
    }
    if (name == kTilesPicture) {
        return EncodeJpeg(MakeTileSheet(), kTileSheetQuality, ChromaSampling::Full);
    }
    for (int i = 0; i < kLevelCount; ++i) {
        if (levelPictureNames[static_cast<std::size_t>(i)] == name) {
            return EncodeJpeg(MakeLevelPicture(i + 1), kPictureQuality, ChromaSampling::Halved);
        }
    }
    return {};
}

} // namespace

std::vector<std::uint8_t> MakeDefaultElement(const AssetElement& element) {
    if (element.storage == kImagesStorage) {
        return MakePicture(element.name);
    }
    if (element.storage == kSoundStorage && element.name == kKnockSound) {
        return MakeKnockWav();
    }
    if (element.storage == kMusicStorage) {
        return MakeMusicTrack(element.name);
    }
    return {};
}

} // namespace wz::content
