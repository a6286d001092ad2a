#include "AssetFixture.h"
#include "AssetUpdate.h"
#include "CropFrame.h"
#include "EditorTexts.h"
#include "MediaChecks.h"
#include "MediaFiles.h"
#include "RecordingSink.h"
#include "SlotChecks.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;
using wz::SlotKind;

// The frame's limits: inside the picture, of the game's shape, never larger than the picture
// allows nor smaller than an eighth of that, and the pane's pixels mapped to the source's.
TEST(CropFrameTest, StaysInsideThePictureInItsShape) {
    struct Row {
        const char* what;
        int width, height;
        wz::media::SourceRect start;
        void (*act)(wz::CropFrame&);
        wz::media::SourceRect expected;
    };
    // A 6000 x 4000 landscape photo in a 300 x 432 pane: shown 300 x 200 at y 116, scale 1/20.
    // Its largest frame is 2741 x 4000.
    const Row rows[] = {
        {"attention kept",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         [](wz::CropFrame&) {},
         {1000, 0, 2741, 4000}},
        {"start too large is shrunk about its centre",
         6000,
         4000,
         {0, 0, 6000, 4000},
         [](wz::CropFrame&) {},
         {1630, 0, 2741, 4000}},
        {"drag right by 10 pane pixels is 200 source pixels",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         [](wz::CropFrame& f) { f.DragBy(10, 50); },
         {1200, 0, 2741, 4000}},
        {"drag stops at the right edge",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         [](wz::CropFrame& f) { f.DragBy(1000, 0); },
         {3259, 0, 2741, 4000}},
        {"zoom out never goes past covering",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         [](wz::CropFrame& f) {
             f.ZoomAt(3, {150, 216});
         },
         {1000, 0, 2741, 4000}},
        {"zoom in around the pointer keeps its point",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         // The pointer on source (1000, 2000), the frame's left middle.
         [](wz::CropFrame& f) {
             f.ZoomAt(0.5, {50, 216});
         },
         {1000, 1000, 1370, 2000}},
        {"zoom in stops at an eighth",
         6000,
         4000,
         {1000, 0, 2741, 4000},
         [](wz::CropFrame& f) {
             f.ZoomAt(0.01, {50, 216});
         },
         {1000, 1750, 343, 500}},
        {"a portrait strip is covered by its width",
         300,
         2000,
         {0, 0, 0, 0},
         [](wz::CropFrame&) {},
         {0, 781, 300, 438}},
        // Shown at 0.216 pane pixels per source pixel: 20 down is 93 source pixels.
        {"on a portrait strip a drag moves it down, not across",
         300,
         2000,
         {0, 0, 0, 0},
         [](wz::CropFrame& f) { f.DragBy(10, 20); },
         {0, 874, 300, 438}},
        {"on a portrait strip a drag stops at the bottom edge",
         300,
         2000,
         {0, 0, 0, 0},
         [](wz::CropFrame& f) { f.DragBy(0, 1000); },
         {0, 1562, 300, 438}},
        {"a picture smaller than the game's",
         100,
         50,
         {10, 0, 34, 50},
         [](wz::CropFrame& f) { f.DragBy(-500, -500); },
         {0, 0, 34, 50}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        wz::CropFrame frame(r.width, r.height, r.start, 300, 432);
        r.act(frame);
        const wz::media::SourceRect got = frame.Rect();
        EXPECT_EQ(got.x, r.expected.x);
        EXPECT_EQ(got.y, r.expected.y);
        EXPECT_EQ(got.width, r.expected.width);
        EXPECT_EQ(got.height, r.expected.height);
        EXPECT_LE(got.x + got.width, r.width);
        EXPECT_LE(got.y + got.height, r.height);
    }
    wz::CropFrame frame(6000, 4000, {1000, 0, 2741, 4000}, 300, 432);
    const wz::PaneRect pane = frame.FrameInPane();
    EXPECT_NEAR(pane.x, 50, 0.01);
    EXPECT_NEAR(pane.y, 116, 0.01);
    EXPECT_NEAR(pane.height, 200, 0.01);
}

class FitTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteAssetFile(folder / "WinData.stg", DefaultContent()));
        ASSERT_TRUE(update->InitialUpdate());
    }

    std::string Source(const std::string& name, const Bytes& bytes) {
        WriteFile(folder / name, bytes);
        return (folder / name).string();
    }

    // The files in the temporary folder: the fitted pictures waiting for Save.
    std::vector<fs::path> Waiting() const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(temp.path())) {
            files.push_back(entry.path());
        }
        return files;
    }

    const wz::SlotLists& lists() const { return update->lists(); }

    TempFolder folder;
    TempFolder temp{"wzfit"};
    wz::testkit::TmpdirOverride tmpdir{temp.path()};
    RecordingSink sink;
    std::unique_ptr<wz::AssetUpdate> update =
        std::make_unique<wz::AssetUpdate>(sink, folder.path());
};

// A fit makes the slot's pending file a game picture in the temporary folder, shown under
// the author's own name, and Save stores exactly that picture.
TEST_F(FitTest, AFittedPictureIsPendingAndSavedAsIs) {
    const std::string photo = Source("photo.jpg", JpegPicture(640, 480));
    update->DropFiles(2, {photo});
    ASSERT_TRUE(update->CanFit(2));
    ASSERT_TRUE(update->FitPicture(2, {}));
    EXPECT_TRUE(sink.shown.empty());

    const std::string fitted = lists().picturePaths[2];
    ASSERT_EQ(Waiting(), std::vector<fs::path>{fitted});
    struct stat info {};
    ASSERT_EQ(::stat(fitted.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600);
    const Bytes jpeg = ReadFile(fitted);
    EXPECT_EQ(wz::CheckSlotBytes(SlotKind::Pictures, jpeg), "");
    EXPECT_EQ(lists().pictureProblems[2], "");
    EXPECT_EQ(lists().pictureLabels[2], "3. " + photo + " (fitted (подогнана))");
    // Fitted again, from the author's picture, not from the fitted one.
    EXPECT_EQ(update->FitSource(2), photo);

    update->SaveChanges();
    EXPECT_TRUE(sink.asked.empty());
    EXPECT_EQ(ReadAssetFile(folder / "WinData.stg").at("Images/Love3"), jpeg);
    EXPECT_TRUE(Waiting().empty());
}

// A HEIC by its path, in a process that has read no HEIF file before, as a user's first drop.
TEST_F(FitTest, AHeicPhotoIsFittedByItsPath) {
    const std::string jpeg = Source("photo.jpg", JpegPicture(640, 480));
    const std::string heic = (folder / "photo.heic").string();
    ASSERT_EQ(RunShell("convert '" + jpeg + "' 'HEIC:" + heic + "'").status, 0);
    update->DropFiles(4, {heic});
    ASSERT_TRUE(update->FitPicture(4, {}));
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(lists().pictureFittedFrom[4], heic);
    EXPECT_EQ(wz::CheckSlotBytes(SlotKind::Pictures, ReadFile(lists().picturePaths[4])), "");
}

// A fit again that cannot keep its picture (the temporary folder is gone) says so, and the
// slot keeps the picture it had, which Save stores.
TEST_F(FitTest, AFailedRefitKeepsTheEarlierPicture) {
    const std::string photo = Source("photo.jpg", JpegPicture(640, 480));
    update->DropFiles(2, {photo});
    ASSERT_TRUE(update->FitPicture(2, {}));
    const std::string fitted = lists().picturePaths[2];
    const Bytes jpeg = ReadFile(fitted);
    {
        const wz::testkit::TmpdirOverride gone(temp.path() / "gone");
        EXPECT_FALSE(update->FitPicture(2, {}));
    }
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].text.find("cannot be kept"), std::string::npos) << sink.shown[0].text;
    EXPECT_EQ(lists().picturePaths[2], fitted);
    EXPECT_EQ(Waiting(), std::vector<fs::path>{fitted});

    update->SaveChanges();
    EXPECT_NE(sink.shown.back().text.find("was updated"), std::string::npos);
    EXPECT_EQ(ReadAssetFile(folder / "WinData.stg").at("Images/Love3"), jpeg);
}

// A fitted copy that is gone before Save (a cleaner of the temporary folder) stops the Save,
// named as the tree names it; the asset file stays as it was.
TEST_F(FitTest, ALostFittedCopyIsNamedByItsSource) {
    const std::string photo = Source("photo.jpg", JpegPicture(640, 480));
    update->DropFiles(2, {photo});
    ASSERT_TRUE(update->FitPicture(2, {}));
    const Bytes before = ReadFile(folder / "WinData.stg");
    fs::remove(lists().picturePaths[2]);

    update->SaveChanges();
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].text.find("file " + photo + " (fitted (подогнана)) or"),
              std::string::npos)
        << sink.shown[0].text;
    EXPECT_EQ(sink.shown[0].text.find(temp.path().string()), std::string::npos);
    EXPECT_EQ(ReadFile(folder / "WinData.stg"), before);
}

// The fitted file goes as soon as no slot names it, and with the editor.
TEST_F(FitTest, TheFittedFileGoesWithItsSlot) {
    struct Row {
        const char* what;
        void (*act)(wz::AssetUpdate& u, const std::string& other);
    };
    const Row rows[] = {
        {"a new drop on the slot",
         [](wz::AssetUpdate& u, const std::string& o) { u.DropFiles(0, {o}); }},
        {"revert", [](wz::AssetUpdate& u, const std::string&) { u.RevertCurrent(); }},
        {"restore", [](wz::AssetUpdate& u, const std::string&) { u.RestoreLastCopy(); }},
        {"new or open", [](wz::AssetUpdate& u, const std::string&) { u.InitialUpdate(); }},
    };
    const std::string photo = Source("photo.jpg", JpegPicture(500, 500));
    const std::string other = Source("other.jpg", Background());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        update->DropFiles(0, {photo});
        ASSERT_TRUE(update->FitPicture(0, {}));
        ASSERT_EQ(Waiting().size(), 1u);
        r.act(*update, other);
        EXPECT_TRUE(Waiting().empty());
        EXPECT_EQ(lists().pictureFittedFrom[0], "");
    }
    // Fitted again, the slot keeps one file; a drop on another slot keeps it; the end of the
    // editor does not.
    update->DropFiles(0, {photo});
    ASSERT_TRUE(update->FitPicture(0, {}));
    ASSERT_TRUE(update->FitPicture(0, {}));
    EXPECT_EQ(Waiting(), std::vector<fs::path>{lists().picturePaths[0]});
    update->DropFiles(1, {other});
    EXPECT_EQ(Waiting().size(), 1u);
    update.reset();
    EXPECT_TRUE(Waiting().empty());
}

// Fit All fits the failing pictures only, and names in one message those it cannot fit,
// whose slots stay as they were.
TEST_F(FitTest, FitAllFitsWhatFailsAndNamesWhatItCannot) {
    const std::string good = Source("good.jpg", Background());
    const std::string photo = Source("photo.jpg", JpegPicture(800, 300));
    const std::string text = Source("notes.jpg", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    update->DropFiles(0, {good, photo, text});
    std::vector<std::pair<int, int>> told;
    update->FitAllPictures([&](int done, int total) {
        told.emplace_back(done, total);
        return true;
    });
    EXPECT_EQ(told, (std::vector<std::pair<int, int>>{{0, 2}, {1, 2}, {2, 2}}));
    EXPECT_EQ(lists().picturePaths[0], good);
    EXPECT_EQ(lists().pictureFittedFrom[1], photo);
    EXPECT_EQ(lists().pictureProblems[1], "");
    EXPECT_EQ(lists().picturePaths[2], text);
    EXPECT_NE(lists().pictureProblems[2], "");
    EXPECT_EQ(Waiting().size(), 1u);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_NE(sink.shown[0].text.find(text + ": "), std::string::npos) << sink.shown[0].text;

    // Stopped before the first, nothing is fitted.
    update->DropFiles(5, {photo});
    update->FitAllPictures([](int, int) { return false; });
    EXPECT_EQ(lists().picturePaths[5], photo);
}

} // namespace
