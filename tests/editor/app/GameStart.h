#pragma once

// The game program started on an asset file as a player starts it (no dialogs, a 24-bit
// display), for the tests of files the game gets from elsewhere.

#include "GameDialogs.h"
#include "GameProgram.h"
#include "RecordingSink.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace wztest {

// Starts the game on asset (its settings file in folder) and lets it handle its first events;
// whileRunning is called before it ends. Whether sound can be played depends on the machine's
// audio, not on the file; every picture the game decoded at start must come without a word
// from the decoder.
inline void ExpectGameStarts(const std::filesystem::path& asset,
                             const std::filesystem::path& folder,
                             const std::function<void()>& whileRunning = {}) {
    wz::GameProgramSetup setup;
    setup.assetFile = asset;
    setup.settingsFile = folder / "WinZolvik.cfg";
    setup.displayDepth = 24;
    RecordingSink gameMessages;
    wz::NoDialogs dialogs;
    wz::GameProgram game(gameMessages, dialogs, setup);
    ASSERT_TRUE(game.Start()) << "a picture it needs at start did not load";
    QApplication::processEvents();
    for (const wz::MessageBoxRequest& m : gameMessages.shown) {
        EXPECT_NE(m.text, "Error") << m.caption;
        EXPECT_EQ(m.text.find("The Game is done"), std::string::npos) << m.text;
    }
    if (whileRunning) {
        whileRunning();
    }
    game.Finish(0);
}

} // namespace wztest
