#pragma once

// The landing knock: a wave file played on a mixer channel of its own. Playing returns at once,
// and a knock that starts while the previous one still sounds replaces it.

#include <string>

struct Mix_Chunk;

namespace wz {

class AudioDevice;
struct GameState;

class KnockPlayer {
public:
    // The mixer channel reserved for the knock.
    static constexpr int kChannel = 0;

    explicit KnockPlayer(AudioDevice& device) : device_(device) {}
    KnockPlayer(const KnockPlayer&) = delete;
    KnockPlayer& operator=(const KnockPlayer&) = delete;
    ~KnockPlayer();

    // Reads the wave file into memory, so that playing it later touches no disk. Loading the
    // path already loaded does nothing. False when the device is closed or the file is not a
    // wave file the mixer can read.
    bool Load(const std::string& path);
    // Plays the wave file at path (loading it first if it is not the one loaded). False when
    // it cannot be played; nothing is reported, since a missing knock is not worth a message.
    bool Play(const std::string& path);
    // Stops the knock and forgets the loaded file.
    void Unload();

private:
    AudioDevice& device_;
    Mix_Chunk* chunk_ = nullptr;
    std::string loadedPath_;
};

// The landing sound of the game: plays the knock file when knockReady and soundOption are both
// 1, otherwise nothing.
void PlayKnock(const GameState& state, KnockPlayer& player, const std::string& knockTempPath);

} // namespace wz
