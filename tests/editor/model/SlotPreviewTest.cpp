#include "SlotPreview.h"
#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "Canvas.h"
#include "CfbTestSupport.h"
#include "CompoundStorage.h"
#include "JpegWriter.h"
#include "MidiWriter.h"
#include "RecordingSink.h"
#include "TrackPlayer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace wztest;
using wz::PreviewOrigin;
using wz::SlotKind;

// A picture whose four quarters have their own colours, so that a flip or swapped channels
// shows.
Bytes QuarteredJpeg(int width, int height) {
    wz::content::Canvas canvas(width, height);
    canvas.FillRect(0, 0, width / 2, height / 2, wz::content::Rgb{250, 0, 0});
    canvas.FillRect(width / 2, 0, width - width / 2, height / 2, wz::content::Rgb{0, 250, 0});
    canvas.FillRect(0, height / 2, width / 2, height - height / 2, wz::content::Rgb{0, 0, 250});
    canvas.FillRect(width / 2, height / 2, width - width / 2, height - height / 2,
                    wz::content::Rgb{250, 250, 250});
    return wz::content::EncodeJpeg(canvas, 95, wz::content::ChromaSampling::Full);
}

// A track at 120 beats a minute: the given number of quarter notes, one after another.
Bytes Quarters(int count) {
    wz::content::MidiTrack track;
    track.Tempo(0, 120);
    for (int i = 0; i < count; ++i) {
        track.Note(static_cast<std::uint32_t>(i) * wz::content::kTicksPerQuarter, 0, 60 + i, 100,
                   wz::content::kTicksPerQuarter);
    }
    track.End(static_cast<std::uint32_t>(count) * wz::content::kTicksPerQuarter);
    return wz::content::EncodeMidiFile({track});
}

class SlotPreviewTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteAssetFile(asset, content)); }

    TempFolder folder;
    fs::path asset = folder / "WinData.stg";
    AssetContent content = DefaultContent();
    wz::SlotLists lists;
};

TEST_F(SlotPreviewTest, APendingFileComesBeforeTheStoredStream) {
    WriteFile(folder / "new.jpg", Pattern(700, 99));
    lists.picturePaths[3] = (folder / "new.jpg").string();
    lists.musicPaths[21] = (folder / "new.jpg").string();
    struct Row {
        SlotKind kind;
        int slot;
        PreviewOrigin origin;
        std::string where;
        Bytes bytes;
    };
    const std::string pending = (folder / "new.jpg").string();
    const Row rows[] = {
        {SlotKind::Pictures, 3, PreviewOrigin::PendingFile, pending, Pattern(700, 99)},
        {SlotKind::Pictures, 0, PreviewOrigin::AssetFile, "WinData.stg: Images/Love1",
         content["Images/Love1"]},
        {SlotKind::Pictures, 21, PreviewOrigin::AssetFile, "WinData.stg: Images/Jacket",
         content["Images/Jacket"]},
        {SlotKind::Music, 3, PreviewOrigin::AssetFile, "WinData.stg: Music/Love4",
         content["Music/Love4"]},
        {SlotKind::Music, 20, PreviewOrigin::AssetFile, "WinData.stg: Music/Win",
         content["Music/Win"]},
        {SlotKind::Music, 21, PreviewOrigin::PendingFile, pending, Pattern(700, 99)},
    };
    for (const Row& r : rows) {
        const wz::SlotBytes slot = wz::ReadSlotBytes(lists, r.kind, r.slot, asset);
        EXPECT_EQ(slot.error, "") << r.where;
        EXPECT_EQ(slot.origin, r.origin) << r.where;
        EXPECT_EQ(slot.where, r.where);
        EXPECT_EQ(slot.bytes, r.bytes) << r.where;
    }
    EXPECT_EQ(wz::OriginText(wz::ReadSlotBytes(lists, SlotKind::Pictures, 3, asset)),
              "Pending file (Новый файл): " + pending);
}

TEST_F(SlotPreviewTest, WhatCannotBeReadIsSaidAndNothingIsKept) {
    lists.picturePaths[1] = (folder / "gone.jpg").string();
    lists.picturePaths[2] = folder.path().string(); // a folder, not a file
    AssetContent partial = content;
    partial.erase("Music/Love7");
    ASSERT_TRUE(WriteAssetFile(folder / "partial.stg", partial));
    WriteFile(folder / "junk.stg", Pattern(5000, 3));
    struct Row {
        SlotKind kind;
        int slot;
        fs::path file;
    };
    const Row rows[] = {
        {SlotKind::Pictures, 1, asset},
        {SlotKind::Pictures, 2, asset},
        {SlotKind::Music, 6, folder / "partial.stg"},
        {SlotKind::Music, 0, folder / "missing.stg"},
        {SlotKind::Music, 0, folder / "junk.stg"},
        {SlotKind::Pictures, 22, asset},
        {SlotKind::Pictures, -1, asset},
    };
    for (const Row& r : rows) {
        const wz::SlotBytes slot = wz::ReadSlotBytes(lists, r.kind, r.slot, r.file);
        EXPECT_NE(slot.error, "") << r.slot << " " << r.file;
        EXPECT_TRUE(slot.bytes.empty()) << r.slot << " " << r.file;
    }
}

// The game holds the asset file read-only with writers denied for as long as it runs; a
// preview must read beside it, and must hold nothing once read, so that the game can start
// and a Save can open the file for writing.
TEST_F(SlotPreviewTest, ReadingSharesTheFileWithTheGameAndHoldsNothing) {
    {
        cfbtest::ChildProcess game({WZ_HOLD_ASSET, asset.string()});
        ASSERT_EQ(game.ReadLine(), "held");
        const wz::SlotBytes slot = wz::ReadSlotBytes(lists, SlotKind::Music, 5, asset);
        EXPECT_EQ(slot.error, "");
        EXPECT_EQ(slot.bytes, content["Music/Love6"]);
        EXPECT_EQ(game.Finish(), 0);
    }
    ASSERT_EQ(wz::ReadSlotBytes(lists, SlotKind::Pictures, 0, asset).error, "");
    cfbtest::ChildProcess game({WZ_HOLD_ASSET, asset.string()});
    EXPECT_EQ(game.ReadLine(), "held");
    EXPECT_EQ(game.Finish(), 0);
    wz::CompoundStorage writer;
    EXPECT_TRUE(writer.Open(asset, false, false));
}

TEST(SlotPreview, PicturesDecodeTopDownInRedGreenBlue) {
    struct Row {
        int width;
        int height;
    };
    for (const Row r : {Row{296, 432}, Row{161, 337}, Row{2, 2}}) {
        const wz::PicturePreview picture = wz::DecodePicture(QuarteredJpeg(r.width, r.height));
        ASSERT_TRUE(picture.ok()) << picture.error;
        ASSERT_EQ(picture.width, r.width);
        ASSERT_EQ(picture.height, r.height);
        ASSERT_EQ(picture.rgb.size(), static_cast<std::size_t>(r.width * r.height * 3));
        const auto at = [&](int x, int y) {
            const std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * r.width + x) * 3];
            return std::array<int, 3>{p[0], p[1], p[2]};
        };
        const auto near = [](std::array<int, 3> got, std::array<int, 3> want) {
            for (int c = 0; c < 3; ++c) {
                if (std::abs(got[c] - want[c]) > 24) {
                    return false;
                }
            }
            return true;
        };
        EXPECT_TRUE(near(at(0, 0), {250, 0, 0})) << r.width;
        EXPECT_TRUE(near(at(r.width - 1, 0), {0, 250, 0})) << r.width;
        EXPECT_TRUE(near(at(0, r.height - 1), {0, 0, 250})) << r.width;
        EXPECT_TRUE(near(at(r.width - 1, r.height - 1), {250, 250, 250})) << r.width;
    }
    EXPECT_EQ(wz::PictureSizeText(296, 432), "296 × 432");
}

TEST(SlotPreview, PicturesThatDoNotDecodeGiveTheReason) {
    Bytes truncated = QuarteredJpeg(296, 432);
    truncated.resize(truncated.size() / 2);
    Bytes bitmap = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
    bitmap.resize(200);
    const Bytes cases[] = {truncated, bitmap, Bytes{}, Pattern(4700, 5),
                           QuarteredJpeg(wz::kMaxPreviewSide + 1, 8)};
    for (const Bytes& bytes : cases) {
        const wz::PicturePreview picture = wz::DecodePicture(bytes);
        EXPECT_FALSE(picture.ok()) << bytes.size();
        EXPECT_TRUE(picture.rgb.empty()) << bytes.size();
    }
    EXPECT_NE(wz::DecodePicture(QuarteredJpeg(wz::kMaxPreviewSide + 1, 8)).error.find("4097 × 8"),
              std::string::npos);
}

TEST(SlotPreview, TracksGiveTheirLengthAndNotes) {
    struct Row {
        int quarters;
        std::string text;
    };
    const Row rows[] = {
        {4, "Length 0:02, 4 notes\n(Длительность 0:02, нот: 4)"},
        {150, "Length 1:15, 150 notes\n(Длительность 1:15, нот: 150)"},
    };
    for (const Row& r : rows) {
        const wz::TrackPreview track = wz::ReadTrackInfo(Quarters(r.quarters));
        ASSERT_TRUE(track.ok()) << track.error;
        EXPECT_EQ(track.notes, static_cast<std::uint32_t>(r.quarters));
        EXPECT_DOUBLE_EQ(track.seconds, r.quarters * 0.5);
        EXPECT_EQ(wz::TrackInfoText(track), r.text);
    }
    Bytes cut = Quarters(4);
    cut.resize(cut.size() - 6);
    for (const Bytes& bytes : {cut, Pattern(300, 8), Bytes{}}) {
        EXPECT_FALSE(wz::ReadTrackInfo(bytes).ok()) << bytes.size();
    }
}

// Real audio through SDL's dummy driver and the game's SoundFont.
TEST(TrackPlayer, PlaysStopsAndEndsThroughTheGamesSequencer) {
    wz::TrackPlayer player;
    EXPECT_FALSE(player.Device().IsOpen()); // nothing is opened before the first Play
    ASSERT_EQ(player.Play(Quarters(40)), "");
    EXPECT_TRUE(player.IsPlaying());
    player.Stop();
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.TakeNotices()); // a stopped track never reports its end

    EXPECT_EQ(player.Play(Pattern(300, 1)), "not a MIDI file the game can play");
    EXPECT_FALSE(player.IsPlaying());

    ASSERT_EQ(player.Play(Quarters(1)), "");
    bool ended = false;
    for (int i = 0; i < 1000 && !ended; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ended = player.TakeNotices();
    }
    EXPECT_TRUE(ended);
    EXPECT_FALSE(player.IsPlaying());
}

TEST(TrackPlayer, AMissingSoundFontIsReported) {
    wz::TrackPlayer player("/nonexistent/none.sf2");
    EXPECT_EQ(player.Play(Quarters(4)), "the SoundFont could not be loaded");
    EXPECT_FALSE(player.IsPlaying());
}

} // namespace
