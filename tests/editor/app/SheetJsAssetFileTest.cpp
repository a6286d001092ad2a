// An asset file from another writer: the default tree as the SheetJS cfb package writes it
// (scripts/sheetjs-cfb.sh, made here at run time). Every stream reads as written, the game
// starts on it, and the editor's Save leaves a compact file that the strict check passes and
// that SheetJS reads back.

#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "CfbCheck.h"
#include "CfbTestSupport.h"
#include "GameStart.h"
#include "RecordingSink.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

std::string Tool(const std::string& arguments) {
    return std::string(WZ_ASSET_TOOL) + " " + arguments;
}

// Every file below folder by its path without the extension, as the tool unpacks and SheetJS
// reads: "Images/Love3" for Images/Love3.jpg.
AssetContent FolderContent(const fs::path& folder) {
    AssetContent content;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (item.is_regular_file()) {
            fs::path relative = fs::relative(item.path(), folder);
            content[relative.replace_extension().generic_string()] = ReadFile(item.path());
        }
    }
    return content;
}

TEST(SheetJsAssetFile, GameStartsOnItAndSaveLeavesACompactFile) {
    TempFolder folder;
    fs::create_directory(folder / "tmp");
    ::setenv("TMPDIR", (folder / "tmp").c_str(), 1);
    const fs::path ours = folder / "ours.stg";
    const fs::path asset = folder / "WinData.stg";
    CommandResult r = RunShell(Tool("build '" + ours.string() + "' --quiet"));
    ASSERT_EQ(r.status, 0) << r.output;
    r = RunShell(Tool("unpack '" + ours.string() + "' '" + (folder / "unpacked").string() + "'"));
    ASSERT_EQ(r.status, 0) << r.output;
    ASSERT_EQ(cfbtest::RunSheetJs({"write", asset.string(), (folder / "unpacked").string()}), 0);

    // Byte for byte through the game's own reader; the check has notes only.
    const AssetContent original = ReadAssetFile(ours);
    ASSERT_EQ(original.size(), 46u);
    EXPECT_TRUE(ReadAssetFile(asset) == original);
    r = RunShell(Tool("check '" + asset.string() + "'"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("note: "), std::string::npos) << r.output;
    EXPECT_EQ(RunShell(Tool("check --strict '" + asset.string() + "'")).status, 1);

    ExpectGameStarts(asset, folder.path());

    // The editor replaces a picture and a track and compacts the file.
    RecordingSink editorMessages;
    wz::AssetUpdate update(editorMessages, folder.path());
    AssetContent expected = original;
    const std::string picture = "Images/" + update.lists().pictureStreamNames[2];
    const std::string track = "Music/" + update.lists().musicStreamNames[5];
    expected[picture] = original.at("Images/Love9");
    expected[track] = original.at("Music/Titles");
    WriteFile(folder / "picture.jpg", expected[picture]);
    WriteFile(folder / "track.mid", expected[track]);
    update.ShowPictures();
    update.DropFiles(2, {(folder / "picture.jpg").string()});
    update.ShowMusic();
    update.DropFiles(5, {(folder / "track.mid").string()});
    update.SaveChanges();
    ASSERT_EQ(editorMessages.shown.size(), 1u);
    EXPECT_EQ(editorMessages.shown[0].icon, wz::MessageIcon::None) << "the done message";
    EXPECT_TRUE(ReadAssetFile(asset) == expected);

    r = RunShell(Tool("check --strict '" + asset.string() + "'"));
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output.rfind(asset.string() + ": OK, "), 0u) << r.output;
    cfb::CheckReport report;
    ASSERT_EQ(cfb::CheckFile(asset, report), 0);
    EXPECT_EQ(report.freeSectors, 0u);
    EXPECT_EQ(report.strayedSectors, 0u);

    ASSERT_EQ(cfbtest::RunSheetJs({"read", asset.string(), (folder / "back").string()}), 0);
    AssetContent back = FolderContent(folder / "back");
    back.erase("\x01Sh33tJ5"); // SheetJS's own mark, which the Save carried across
    EXPECT_TRUE(back == expected);
    ::unsetenv("TMPDIR");
}

} // namespace
