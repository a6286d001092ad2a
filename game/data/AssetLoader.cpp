#include "AssetLoader.h"

#include "AssetDiagnosis.h"
#include "ErrorLine.h"
#include "GameState.h"
#include "LevelNames.h"
#include "MessageBox.h"
#include "ScreenLayout.h"
#include "TempFiles.h"

#include <new>
#include <utility>
#include <vector>

namespace wz {

MessageBoxRequest AssetFileFatalMessage(std::string_view fileName) {
    return {"WinZolvik",
            "Fatal Error: File " + std::string(fileName) +
                " missing or corrupt !!!\nThe Game is done !!!",
            MessageIcon::Stop, MessageOwner::ActiveWindow};
}

MessageBoxRequest NoSoundMessage(std::string_view fileName) {
    return {"WinZolvik",
            "Error: Can't create temp file or file\n" + std::string(fileName) +
                " missing or corrupt !!! \nYou will not have a Sound !!!",
            MessageIcon::Stop, MessageOwner::ActiveWindow};
}

MessageBoxRequest NoMusicMessage(std::string_view fileName) {
    return {"WinZolvik",
            "Error: Can't create temp file or file\n" + std::string(fileName) +
                " missing or corrupt !!! \nYou will not have a Music !!!",
            MessageIcon::Stop, MessageOwner::ActiveWindow};
}

namespace {

// The fatal message's line on the standard error stream, naming what could not be read and why.
void TellPictureFailure(const std::filesystem::path& file, std::u16string_view picture,
                        const CompoundStorage& reader) {
    WriteErrorLine("fatal error: " + DescribeAssetFailure(file, kImagesStorage, picture, reader));
}

} // namespace

AssetLoader::AssetLoader(GameState& state, MessageBoxSink& messages,
                         std::filesystem::path assetFile, std::string shownName)
    : state_(state), messages_(messages), assetFile_(std::move(assetFile)),
      shownName_(std::move(shownName)) {}

AssetLoader::~AssetLoader() {
    FreePictures();
    RemoveKnockSound();
    RemoveMusicTrack();
}

std::unique_ptr<Picture> AssetLoader::ReadPicture(std::u16string_view name) {
    // A picture too large for memory ends the game like a missing one.
    try {
        std::vector<std::uint8_t> bytes;
        if (!pictureStorage_.ReadWholeStream(name, bytes)) {
            return nullptr;
        }
        return std::make_unique<Picture>(bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                                         &messages_);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

bool AssetLoader::LoadStartupPictures() {
    backgroundPicture_.reset();
    framePicture_.reset();
    tilePicture_.reset();

    // The picture being read, for the error line; a failure before it is found on the way.
    std::u16string_view reading = kJacketPicture;
    bool loaded = pictureStorage_.Open(assetFile_, true, false) &&
                  pictureStorage_.OpenStorage(kImagesStorage, true);
    if (loaded) {
        backgroundPicture_ = ReadPicture(kJacketPicture);
        loaded = backgroundPicture_ != nullptr;
    }
    if (loaded) {
        reading = levelPictureNames[0];
        // The first level's picture must be there for the game to run, and one that does not
        // decode says so now. The frame, though, is a black picture of its own at the
        // window's size, whatever that picture turned out to be.
        loaded = ReadPicture(levelPictureNames[0]) != nullptr;
    }
    if (loaded) {
        try {
            framePicture_ = std::make_unique<Picture>(kFrameWidth, kFrameHeight);
            loaded = !framePicture_->IsEmpty();
        } catch (const std::bad_alloc&) {
            loaded = false;
        }
    }
    if (loaded) {
        reading = kTilesPicture;
        tilePicture_ = ReadPicture(kTilesPicture);
        loaded = tilePicture_ != nullptr;
    }
    if (!loaded) {
        TellPictureFailure(assetFile_, reading, pictureStorage_);
        FreePictures();
        messages_.ShowMessage(AssetFileFatalMessage(shownName_));
        return false;
    }
    return true;
}

bool AssetLoader::CopyStreamToTempFile(CompoundStorage& storage, std::u16string_view storageName,
                                       std::u16string_view streamName, std::string& tempPath) {
    try {
        std::vector<std::uint8_t> bytes;
        if (!storage.Open(assetFile_, true, false) || !storage.OpenStorage(storageName, true) ||
            !storage.ReadWholeStream(streamName, bytes)) {
            return false;
        }
        tempPath = MakeTempFile();
        if (tempPath.empty()) {
            return false;
        }
        if (!WriteWholeFile(tempPath, bytes)) {
            // The file was made but holds nothing usable: it goes at once, not at exit.
            RemoveFile(tempPath);
            tempPath.clear();
            return false;
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool AssetLoader::ExtractKnockSound() {
    state_.knockReady = 0;
    if (!CopyStreamToTempFile(soundStorage_, kSoundStorage, kKnockSound, knockTempPath_)) {
        RemoveKnockSound();
        messages_.ShowMessage(NoSoundMessage(shownName_));
        return false;
    }
    state_.knockReady = 1;
    return true;
}

bool AssetLoader::ExtractTitleMusic() {
    state_.musicReady = 0;
    if (!CopyStreamToTempFile(musicStorage_, kMusicStorage, kTitleTrack, musicTempPath_)) {
        RemoveMusicTrack();
        messages_.ShowMessage(NoMusicMessage(shownName_));
        return false;
    }
    state_.musicReady = 1;
    state_.musicTempExists = 1;
    return true;
}

bool AssetLoader::LoadBackgroundPicture(std::u16string_view name) {
    std::unique_ptr<Picture> picture = ReadPicture(name);
    if (picture == nullptr) {
        TellPictureFailure(assetFile_, name, pictureStorage_);
        messages_.ShowMessage(AssetFileFatalMessage(shownName_));
        return false;
    }
    backgroundPicture_ = std::move(picture);
    return true;
}

void AssetLoader::ExtractMusicTrack(std::u16string_view name) {
    state_.musicReady = 0;
    bool written = false;
    try {
        std::vector<std::uint8_t> bytes;
        written = !musicTempPath_.empty() && musicStorage_.ReadWholeStream(name, bytes) &&
                  WriteWholeFile(musicTempPath_, bytes);
    } catch (const std::bad_alloc&) {
        written = false;
    }
    if (!written) {
        RemoveMusicTrack();
        messages_.ShowMessage(NoMusicMessage(shownName_));
        return;
    }
    state_.musicReady = 1;
    state_.musicTempExists = 1;
}

void AssetLoader::FreePictures() {
    backgroundPicture_.reset();
    framePicture_.reset();
    tilePicture_.reset();
    pictureStorage_.CloseAll();
}

void AssetLoader::RemoveKnockSound() {
    if (state_.knockReady) {
        RemoveFile(knockTempPath_);
    }
    knockTempPath_.clear();
    soundStorage_.CloseAll();
    state_.knockReady = 0;
}

void AssetLoader::RemoveMusicTrack() {
    if (state_.musicTempExists) {
        RemoveFile(musicTempPath_);
    }
    musicTempPath_.clear();
    musicStorage_.CloseAll();
    state_.musicReady = 0;
    state_.musicTempExists = 0;
}

} // namespace wz
