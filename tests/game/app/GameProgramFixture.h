#pragma once

// A game program started in a folder of its own, with its own temporary folder (TMPDIR), an
// asset file written for the test, and every message box recorded instead of shown.

#include "AssetFileSamples.h"
#include "GameDialogs.h"
#include "GameProgram.h"
#include "MessageBox.h"
#include "ScratchFolder.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace wz::test {

struct RecordingSink : MessageBoxSink {
    std::vector<MessageBoxRequest> shown;
    void ShowMessage(const MessageBoxRequest& request) override { shown.push_back(request); }
};

inline std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GameProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(tmp);
        setup.assetFile = folder / "WinData.stg";
        setup.settingsFile = folder / "WinZolvik.cfg";
    }
    void TearDown() override {
        program.reset();
        QApplication::processEvents();
    }

    void WriteAssets(const std::vector<AssetStream>& streams) {
        ASSERT_TRUE(WriteAssetFile(setup.assetFile, streams));
    }
    // Starts the program; true when it runs.
    bool Start() {
        program = std::make_unique<GameProgram>(sink, dialogs, setup);
        const bool started = program->Start();
        QApplication::processEvents();
        return started;
    }
    GameState& State() { return program->State(); }
    GameWindow& Window() { return *program->Window(); }
    std::size_t TempFileCount() const {
        return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(tmp),
                                                      std::filesystem::directory_iterator()));
    }
    // Presses a key on the window, as the keyboard would.
    void Press(Qt::Key key, bool autoRepeat = false) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(&Window(), &press);
        QApplication::processEvents();
    }
    void Command(std::uint32_t command) {
        Window().MenuAction(command)->trigger();
        QApplication::processEvents();
    }

    // The program's own folder, and its temporary files in a folder of their own.
    wz::testkit::ScratchFolder scratch{"game"};
    std::filesystem::path folder = scratch.path();
    std::filesystem::path tmp = folder / "tmp";
    wz::testkit::TmpdirOverride tmpdir{tmp};
    GameProgramSetup setup;
    RecordingSink sink;
    NoDialogs dialogs;
    std::unique_ptr<GameProgram> program;
};

} // namespace wz::test
