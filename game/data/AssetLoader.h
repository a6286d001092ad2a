#pragma once

// Loading the game's assets from "WinData.stg": the three pictures the screens draw with, and
// the landing sound and the current music track copied into temporary files for the players,
// which take file names.
//
// The loader holds three read-only opens of the asset file, one per child storage (Images,
// Sound, Music), from their start-up load to exit, so later pictures and tracks are read from
// storages that are already open. It sets the state's knockReady, musicReady and
// musicTempExists flags and reports its own failures:
//   - a picture that cannot be read at start-up or later is fatal;
//   - a sound or track that cannot be copied switches that feature off after one message.

#include "CompoundStorage.h"
#include "LevelNames.h"
#include "MessageBox.h"
#include "Picture.h"

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace wz {

struct GameState;

MessageBoxRequest AssetFileFatalMessage();
MessageBoxRequest NoSoundMessage();
MessageBoxRequest NoMusicMessage();

class AssetLoader {
public:
    // assetFile is normally the relative name "WinData.stg" in the current folder; the
    // temporary files go to TMPDIR, or /tmp when it is not set.
    AssetLoader(GameState& state, MessageBoxSink& messages,
                std::filesystem::path assetFile = std::filesystem::path(kAssetFileName));
    // Gives back whatever is still held, temporary files included.
    ~AssetLoader();
    AssetLoader(const AssetLoader&) = delete;
    AssetLoader& operator=(const AssetLoader&) = delete;

    // The title picture "Jacket" as background and "Titles" as the tile sheet; "Love1" is read
    // too, and the drawing surface made: a black 296 x 432 picture. On failure everything is
    // freed, the fatal message is shown and false returned: the game cannot run.
    bool LoadStartupPictures();
    // Copy "Knock" of Sound, and "Titles" of Music, to temporary files. On failure the message
    // of that feature is shown, and the game goes on without it.
    bool ExtractKnockSound();
    bool ExtractTitleMusic();

    // Replaces the background with the picture stream name. When the stream cannot be read the
    // old background stays, the fatal message is shown and false returned: the caller then
    // closes the game. A stream that does not decode gives an empty picture, which is kept.
    bool LoadBackgroundPicture(std::u16string_view name);
    // Rewrites the music file with the track name. On failure the music file and the Music
    // storage are given up, so every later track fails as well and says so again.
    void ExtractMusicTrack(std::u16string_view name);

    // Exit, in this order.
    void FreePictures();
    void RemoveKnockSound();
    void RemoveMusicTrack();

    Picture* FramePicture() { return framePicture_.get(); }
    const Picture* BackgroundPicture() const { return backgroundPicture_.get(); }
    const Picture* TilePicture() const { return tilePicture_.get(); }

    // Paths of the temporary files; empty until made.
    const std::string& KnockTempPath() const { return knockTempPath_; }
    const std::string& MusicTempPath() const { return musicTempPath_; }

private:
    std::unique_ptr<Picture> ReadPicture(std::u16string_view name);
    bool CopyStreamToTempFile(CompoundStorage& storage, std::u16string_view storageName,
                              std::u16string_view streamName, std::string& tempPath);

    GameState& state_;
    MessageBoxSink& messages_;
    std::filesystem::path assetFile_;

    std::unique_ptr<Picture> backgroundPicture_;
    std::unique_ptr<Picture> framePicture_;
    std::unique_ptr<Picture> tilePicture_;

    CompoundStorage pictureStorage_;
    CompoundStorage soundStorage_;
    CompoundStorage musicStorage_;

    std::string knockTempPath_;
    std::string musicTempPath_;
};

} // namespace wz
