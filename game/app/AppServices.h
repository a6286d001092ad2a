#pragma once

// The components the game flow calls outside its rules, joined for the running program:
// pictures and music tracks from the asset loader, the settings file, and the players.

#include "GameServices.h"

#include <filesystem>
#include <utility>

namespace wz {

struct GameState;
class AssetLoader;
class GameHost;

class AppServices : public GameServices {
public:
    AppServices(GameState& state, AssetLoader& assets, GameHost& host,
                std::filesystem::path settingsFile)
        : state_(state), assets_(assets), host_(host), settingsFile_(std::move(settingsFile)) {}

    // A picture that cannot be read ends the game: the window is asked to close.
    void LoadBackgroundPicture(std::u16string_view name) override;
    void ExtractMusicTrack(std::u16string_view name) override;
    void StartMusic() override;
    void CloseMusic() override;
    void PlayKnock() override;
    bool SaveSettings() override;

private:
    GameState& state_;
    AssetLoader& assets_;
    GameHost& host_;
    std::filesystem::path settingsFile_;
};

} // namespace wz
