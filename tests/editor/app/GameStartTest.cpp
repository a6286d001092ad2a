// The other side of a Save: the game itself starts on a file the editor has rewritten, and
// while it runs it keeps the editor out.

#include "GameStart.h"
#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "RecordingSink.h"

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
            const fs::path file = folder / ((pictures ? 'p' : 'm') + std::to_string(slot));
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

    ExpectGameStarts(asset, folder.path(), [&] {
        EXPECT_FALSE(update.TestAssetFile()) << "the running game holds the file";
    });
    EXPECT_TRUE(update.TestAssetFile());
    ::unsetenv("TMPDIR");
}

TEST(GameStart, TheGameStartsOnAFileBuiltWithFittedPictures) {
    TempFolder folder;
    fs::create_directory(folder / "tmp");
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    // Pictures as an author brings them: a landscape PNG, a phone's HEIC, a WebP with a
    // transparent background.
    const fs::path images = folder / "from" / "Images";
    fs::create_directories(images);
    const CommandResult made = RunShell(
        "cd '" + images.string() +
        "' && convert -size 640x480 gradient:orange-navy Jacket.png"
        " && convert -size 800x600 gradient:white-green Love1.heic"
        " && convert -size 500x700 xc:none -fill red -draw 'circle 250 350 250 100' Win.webp");
    ASSERT_EQ(made.status, 0) << made.output;
    const fs::path asset = folder / "WinData.stg";
    const std::string tool = WZ_ASSET_TOOL;
    const CommandResult build =
        RunShell(tool + " build '" + asset.string() + "' --from '" + (folder / "from").string() +
                 "' --fit --quiet && " + tool + " check '" + asset.string() + "'");
    ASSERT_EQ(build.status, 0) << build.output;

    ExpectGameStarts(asset, folder.path());
    ::unsetenv("TMPDIR");
}

} // namespace
