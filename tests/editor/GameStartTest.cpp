// The other side of a Save: the game itself starts on a file the editor has rewritten, and
// while it runs it keeps the editor out.

#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "GameDialogs.h"
#include "GameProgram.h"
#include "RecordingSink.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

TEST(GameStart, TheGameStartsOnAFileTheEditorSaved) {
    TempFolder folder;
    fs::create_directory(folder / "tmp");
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    const fs::path asset = folder / "WinData.stg";
    const CommandResult build =
        RunShell(std::string(WZ_ASSET_TOOL) + " build '" + asset.string() + "' --quiet");
    ASSERT_EQ(build.status, 0) << build.output;

    // Every slot takes the content of the next one: other pictures and tracks than before.
    RecordingSink editorMessages;
    wz::AssetUpdate update(editorMessages, folder.path());
    const AssetContent original = ReadAssetFile(asset);
    ASSERT_FALSE(original.empty());
    for (const bool pictures : {true, false}) {
        const wz::SlotStrings& names =
            pictures ? update.lists().pictureStreamNames : update.lists().musicStreamNames;
        std::vector<std::string> files;
        for (int slot = 0; slot < wz::kSlotCount; ++slot) {
            const fs::path file = folder / ((pictures ? "p" : "m") + std::to_string(slot));
            WriteFile(file, original.at((pictures ? "Images/" : "Music/") +
                                        names[(slot + 1) % wz::kSlotCount]));
            files.push_back(file.string());
        }
        pictures ? update.ShowPictures() : update.ShowMusic();
        update.DropFiles(0, files);
    }
    update.SaveChanges();
    ASSERT_EQ(editorMessages.shown.size(), 1u);
    ASSERT_EQ(editorMessages.shown[0].icon, wz::MessageIcon::None) << "the done message";

    wz::GameProgramSetup setup;
    setup.assetFile = asset;
    setup.settingsFile = folder / "WinZolvik.cfg";
    setup.displayDepth = 24;
    RecordingSink gameMessages;
    wz::NoDialogs dialogs;
    {
        wz::GameProgram game(gameMessages, dialogs, setup);
        ASSERT_TRUE(game.Start()) << "a picture it needs at start did not load";
        QApplication::processEvents();
        // Whether sound can be played depends on the machine's audio, not on the file; every
        // picture the game decoded at start came without a word from the decoder.
        for (const wz::MessageBoxRequest& m : gameMessages.shown) {
            EXPECT_NE(m.text, "Error") << m.caption;
            EXPECT_EQ(m.text.find("The Game is done"), std::string::npos) << m.text;
        }
        EXPECT_FALSE(update.TestAssetFile()) << "the running game holds the file";
        game.Finish(0);
    }
    EXPECT_TRUE(update.TestAssetFile());
    ::unsetenv("TMPDIR");
}

} // namespace
