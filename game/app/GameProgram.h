#pragma once

// The game program from start to end, in the order the entry takes its steps:
//   Start: create the window (hidden), centred, at the size of menu and frame; refuse a display
//   of 8 bits per pixel or fewer; load the pictures (fatal on failure), copy the knock and the
//   title music to temporary files; set the start-up defaults, read the settings file, copy the
//   high-score lines into the scroller; show the window; set the option check marks, arm the
//   title timer and start the title music (or, asked for a level, start a game there instead).
//   Then the event loop runs until the window has closed.
//   Finish: free the pictures, remove the knock file, remove the music file.

#include "AppServices.h"
#include "AssetLoader.h"
#include "GameFlow.h"
#include "GameState.h"
#include "GameWindow.h"
#include "LevelNames.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace wz {

class GameDialogs;
class MessageBoxSink;

struct GameProgramSetup {
    std::filesystem::path assetFile = kAssetFileName;
    // The asset file's name in the messages: "WinData.stg", or the pack's name.
    std::string assetName = std::string(kAssetFileName);
    // The settings stay the player's whatever asset file is played.
    std::filesystem::path settingsFile = "WinZolvik.cfg";
    // A level from 1 to 20 starts a game at once there; 0 shows the title screen.
    std::int32_t startLevel = 0;
    // Bits per pixel of the display; asked of the window's screen when not given.
    std::optional<int> displayDepth;
};

class GameProgram {
public:
    GameProgram(MessageBoxSink& messages, GameDialogs& dialogs, GameProgramSetup setup = {});
    ~GameProgram();
    GameProgram(const GameProgram&) = delete;
    GameProgram& operator=(const GameProgram&) = delete;

    // The start-up steps. False when the program must end at once with exit code -1; the
    // failing step has shown its message and nothing acquired is kept.
    bool Start();
    // The steps after the event loop; returns the program's exit code. A window still open (the
    // loop was ended from outside) is closed first, through its ordinary close path.
    int Finish(int loopResult);
    // Ends the run on a termination signal: every event loop, the modal dialogs' included, is
    // left, nothing more is saved, and Finish then does the rest.
    void EndOnSignal();

    GameState& State() { return state_; }
    AssetLoader& Assets() { return assets_; }
    GameWindow* Window() { return window_.get(); }

private:
    GameProgramSetup setup_;
    MessageBoxSink& messages_;
    GameDialogs& dialogs_;
    GameState state_;
    AssetLoader assets_;
    std::unique_ptr<GameWindow> window_;
    std::unique_ptr<AppServices> services_;
    std::unique_ptr<GameFlow> flow_;
};

// The whole program over a running QApplication: Start, the event loop, Finish. SIGTERM, SIGINT
// and SIGHUP end it the same way; the signal that did is put in endedBySignal (0 when none).
int RunGameProgram(MessageBoxSink& messages, GameDialogs& dialogs, GameProgramSetup setup = {},
                   int* endedBySignal = nullptr);

} // namespace wz
