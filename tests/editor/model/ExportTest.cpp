#include "AssetFixture.h"
#include "CfbTestSupport.h"
#include "ExportElement.h"
#include "RecordingSink.h"
#include "SyncProbe.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

namespace fs = std::filesystem;
using namespace wztest;
using wz::SlotKind;

std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

void PutLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

// The offset of the directory entry named name (a name used once in the file).
std::size_t EntryOffset(const Bytes& file, const std::string& name) {
    const std::u16string wide = cfbtest::U16(name);
    for (std::size_t at = 512; at + 128 <= file.size(); at += 128) {
        const std::uint16_t nameBytes = file[at + 64] | (file[at + 65] << 8);
        if (nameBytes == 2 * (wide.size() + 1) &&
            std::memcmp(file.data() + at, wide.data(), 2 * wide.size()) == 0) {
            return at;
        }
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteAssetFile(asset, content)); }

    bool Export(SlotKind kind, int slot, const fs::path& target) {
        return wz::ExportSlot(sink, asset, lists, kind, slot, target);
    }

    // Damages the file: fn changes the directory entry of one stream.
    void DamageEntry(const std::string& name, void (*fn)(Bytes& file, std::size_t entry)) {
        Bytes file = ReadFile(asset);
        fn(file, EntryOffset(file, name));
        WriteFile(asset, file);
    }

    TempFolder folder;
    fs::path asset = folder / "WinData.stg";
    // Every stream above the mini-stream cutoff, so that all chains are of whole sectors.
    AssetContent content = DefaultContent(5000);
    wz::SlotLists lists;
    RecordingSink sink;
};

TEST_F(ExportTest, WritesTheStoredElementAndReplacesAnOldFileWhole) {
    const fs::path target = folder / "out" / "Love3.mid";
    fs::create_directory(folder / "out");
    WriteFile(target, Pattern(90000, 7)); // larger than what replaces it
    wz::testkit::TakeRenames();
    ASSERT_TRUE(Export(SlotKind::Music, 2, target));
    EXPECT_EQ(ReadFile(target), content.at("Music/Love3"));
    ASSERT_TRUE(Export(SlotKind::Pictures, 21, folder / "out" / "Jacket.jpg"));
    EXPECT_EQ(ReadFile(folder / "out" / "Jacket.jpg"), content.at("Images/Jacket"));
    EXPECT_TRUE(sink.shown.empty());
    // Nothing but the two files is left in the folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "out"), fs::directory_iterator()), 2);
    // Each reached the disk before it took its name.
    const auto renames = wz::testkit::TakeRenames();
    ASSERT_EQ(renames.size(), 2u);
    for (const auto& rename : renames) {
        EXPECT_TRUE(rename.flushed) << rename.to;
    }
}

// The game holds the file read-only and denies writers; an export only reads.
TEST_F(ExportTest, WorksWhileTheGameHoldsTheFile) {
    cfbtest::ChildProcess game({WZ_HOLD_ASSET, asset.string()});
    ASSERT_EQ(game.ReadLine(), "held");
    ASSERT_TRUE(Export(SlotKind::Pictures, 0, folder / "Love1.jpg"));
    EXPECT_EQ(ReadFile(folder / "Love1.jpg"), content.at("Images/Love1"));
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(ExportTest, ADamagedElementIsRefusedWithTheReason) {
    struct Row {
        const char* what;
        void (*damage)(Bytes& file, std::size_t entry);
        const char* reason;
    };
    const Row rows[] = {
        {"a size its chain cannot hold",
         [](Bytes& f, std::size_t e) { PutLe32(f, e + 120, 50000); },
         "Images/Jacket: the chain has 10 sectors, its size needs 98"},
        {"a chain that starts in the directory",
         [](Bytes& f, std::size_t e) { PutLe32(f, e + 116, Le32(f, 48)); }, " and Images/Jacket"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteAssetFile(asset, content));
        sink.shown.clear();
        DamageEntry("Jacket", r.damage);
        const fs::path target = folder / "Jacket.jpg";
        EXPECT_FALSE(Export(SlotKind::Pictures, 21, target));
        EXPECT_FALSE(fs::exists(target));
        ASSERT_EQ(sink.shown.size(), 1u);
        const std::string head =
            "Error: The stored element Images/Jacket is damaged or can't be read, it is not "
            "exported.\n(Ошибка: Элемент Images/Jacket поврежден или не читается, он не "
            "экспортирован.)\n";
        EXPECT_EQ(sink.shown[0].caption, "WZolvikCreator");
        EXPECT_EQ(sink.shown[0].icon, wz::MessageIcon::Exclamation);
        EXPECT_TRUE(sink.shown[0].text.starts_with(head)) << sink.shown[0].text;
        EXPECT_NE(sink.shown[0].text.find(r.reason, head.size()), std::string::npos)
            << sink.shown[0].text;
        // Damage elsewhere does not stand in the way of a sound element.
        EXPECT_TRUE(Export(SlotKind::Pictures, 19, folder / "Love20.jpg"));
        EXPECT_EQ(ReadFile(folder / "Love20.jpg"), content.at("Images/Love20"));
    }
}

// Small elements live in the mini stream: a mini stream that shares its sectors with another
// chain holds no element that can be trusted, though each reads without an error.
TEST_F(ExportTest, ASmallElementIsRefusedWhenTheMiniStreamIsShared) {
    content = DefaultContent(); // small and large streams in turn
    ASSERT_TRUE(WriteAssetFile(asset, content));
    const std::string large = content.at("Images/Jacket").size() >= 4096 ? "Jacket" : "Knock";
    ASSERT_GE(content.at(large == "Jacket" ? "Images/Jacket" : "Sound/Knock").size(), 4096u);
    int small = 0;
    while (content.at("Music/" + lists.musicStreamNames[small]).size() >= 4096) {
        ++small;
    }
    Bytes file = ReadFile(asset);
    const std::size_t root = 512 * (std::size_t{Le32(file, 48)} + 1); // the first entry
    PutLe32(file, EntryOffset(file, large) + 116, Le32(file, root + 116));
    WriteFile(asset, file);

    const std::string name = lists.musicStreamNames[small] + ".mid";
    EXPECT_FALSE(Export(SlotKind::Music, small, folder / name));
    EXPECT_FALSE(fs::exists(folder / name));
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].text.find("belongs to both the mini stream and"), std::string::npos)
        << sink.shown[0].text;
}

TEST_F(ExportTest, AFileThatCannotBeWrittenIsReportedAndLeavesNothing) {
    const fs::path missingFolder = folder / "no such folder" / "Love1.jpg";
    EXPECT_FALSE(Export(SlotKind::Pictures, 0, missingFolder));
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Error: Can't write file " + missingFolder.string() +
                                      " !\n(Ошибка: Невозможно записать файл " +
                                      missingFolder.string() +
                                      " !)\nthe file cannot be created or written");

    // A folder in the target's place stays, and no temporary file is left beside it.
    fs::create_directory(folder / "Love2.jpg");
    EXPECT_FALSE(Export(SlotKind::Pictures, 1, folder / "Love2.jpg"));
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_TRUE(fs::is_directory(folder / "Love2.jpg"));
    for (const auto& entry : fs::directory_iterator(folder.path())) {
        EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos)
            << entry.path();
    }
}

// Export onto the asset file itself, by any name, would put the element in the file's place.
TEST_F(ExportTest, TheAssetFileItselfIsRefusedAsTarget) {
    fs::create_symlink(asset, folder / "link.stg");
    const Bytes before = ReadFile(asset);
    for (const fs::path& target : {asset, folder / "link.stg", folder / "." / "WinData.stg"}) {
        SCOPED_TRACE(target.string());
        sink.shown.clear();
        EXPECT_FALSE(Export(SlotKind::Pictures, 0, target));
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text, "Error: Can't write file " + target.string() +
                                          " !\n(Ошибка: Невозможно записать файл " +
                                          target.string() + " !)\n'" + asset.string() + "' and '" +
                                          target.string() + "' are the same file");
        EXPECT_EQ(ReadFile(asset), before);
    }
    EXPECT_TRUE(fs::is_symlink(folder / "link.stg"));
}

TEST_F(ExportTest, AMissingAssetFileIsReported) {
    fs::remove(asset);
    EXPECT_FALSE(Export(SlotKind::Music, 0, folder / "Love1.mid"));
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_TRUE(sink.shown[0].text.starts_with("Error: The stored element Music/Love1"));
    EXPECT_FALSE(fs::exists(folder / "Love1.mid"));
}

} // namespace
