#pragma once

// The game's components outside the rules: pictures, music, the knock and the settings file.
// Each reads and writes the flags it owns in GameState (knockReady, musicReady, musicOpen, ...)
// and reports its own failures, so the flow calls them without looking at results.

#include <string_view>

namespace wz {

class GameServices {
public:
    virtual ~GameServices() = default;

    // Replaces the background picture by the picture stream name. A picture that cannot be
    // read is fatal: the component shows its message and closes the window, and the caller's
    // remaining steps still run.
    virtual void LoadBackgroundPicture(std::u16string_view name) = 0;
    // Rewrites the music file with the track name, whether or not music is on.
    virtual void ExtractMusicTrack(std::u16string_view name) = 0;
    // Opens and plays the music file when musicAllowed, musicOption and musicReady are all 1.
    virtual void StartMusic() = 0;
    // Closes the music; called only while musicOpen is 1.
    virtual void CloseMusic() = 0;
    // Plays the landing knock when knockReady and soundOption are both 1.
    virtual void PlayKnock() = 0;
    // Writes the settings file; false when it could not be written (already reported).
    virtual bool SaveSettings() = 0;
};

} // namespace wz
