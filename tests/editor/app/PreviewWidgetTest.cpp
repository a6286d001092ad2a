#include "Canvas.h"
#include "CropView.h"
#include "EditorCommands.h"
#include "EditorWindowFixture.h"
#include "JpegWriter.h"
#include "MidiWriter.h"
#include "PreviewDock.h"

#include <QAction>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QTest>
#include <QUrl>

namespace {

using namespace wztest;

Bytes Jpeg(int width, int height, wz::content::Rgb colour) {
    wz::content::Canvas canvas(width, height, colour);
    return wz::content::EncodeJpeg(canvas, 95, wz::content::ChromaSampling::Full);
}

Bytes Track(int quarters) {
    wz::content::MidiTrack track;
    track.Tempo(0, 120);
    for (int i = 0; i < quarters; ++i) {
        track.Note(static_cast<std::uint32_t>(i) * wz::content::kTicksPerQuarter, 0, 64, 90,
                   wz::content::kTicksPerQuarter);
    }
    track.End(static_cast<std::uint32_t>(quarters) * wz::content::kTicksPerQuarter);
    return wz::content::EncodeMidiFile({track});
}

class PreviewTest : public EditorWindowTest {
protected:
    void SetUp() override {
        EditorWindowTest::SetUp();
        QSettings().clear();
        // Real media in a few slots; the rest hold bytes that are neither pictures nor tracks.
        AssetContent content = DefaultContent();
        content["Images/Love1"] = Jpeg(296, 432, {200, 30, 30});
        content["Images/Jacket"] = Jpeg(296, 432, {30, 30, 200});
        content["Music/Love1"] = Track(8);
        content["Music/Love2"] = Track(120);
        content["Music/Love3"] = Track(1);
        ASSERT_TRUE(WriteAssetFile(folder / "WinData.stg", content));
    }

    // A part of the pane, by its name.
    template <typename Widget = QLabel> Widget* Part(const char* name) const {
        return preview->findChild<Widget*>(QString::fromLatin1(name));
    }

    bool StartEditor() {
        if (!Start()) {
            return false;
        }
        preview = app->preview();
        return preview != nullptr;
    }

    // As the user does, with a press on the slot's row.
    void Select(int slot) {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {},
                          view->visualItemRect(Slot(slot)).center());
        QApplication::processEvents();
    }

    // A photo the game cannot show as it is, pending in the slot; returns its path.
    std::string DropPhoto(int slot) {
        std::string photo = (folder / "photo.jpg").string();
        WriteFile(photo, Jpeg(640, 480, {40, 160, 40}));
        document->DropFiles(slot, {photo});
        return photo;
    }

    void DropOnSelected(const std::string& name) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString((folder / name).string()))});
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        QApplication::processEvents();
    }

    QSize PictureSize() const {
        const QPixmap pixmap = Part("previewPicture")->pixmap();
        return pixmap.isNull() ? QSize() : pixmap.size();
    }

    PreviewDock* preview = nullptr;
};

TEST_F(PreviewTest, HiddenAtFirstStartThenRememberedAndTheWindowMakesRoom) {
    ASSERT_TRUE(StartEditor());
    QAction* item = frame->action(wz::ID_VIEW_PREVIEW);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(preview->isVisible());
    EXPECT_EQ(frame->size(), QSize(480, 580));
    EXPECT_EQ(item->statusTip(),
              "Show or hide the preview of the selected item (Показать или скрыть просмотр "
              "выбранного элемента)");

    const int treeWidth = view->width();
    frame->action(wz::ID_VIEW_PREVIEW)->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(item->isChecked());
    EXPECT_GT(frame->width(), 480 + Part<QScrollArea>("previewScroll")->minimumWidth() / 2);
    EXPECT_GE(view->width(), treeWidth - 8); // the tree keeps its room
    EXPECT_GE(Part<QScrollArea>("previewScroll")->viewport()->width(), 296);
    const QSize shownSize = frame->size();
    EXPECT_GE(frame->height(), 580);

    // The next start shows it again, in a window wide enough for it.
    app.reset();
    ASSERT_TRUE(StartEditor());
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(frame->action(wz::ID_VIEW_PREVIEW)->isChecked());
    EXPECT_EQ(frame->size(), shownSize);

    // The pane's own close button is View › Preview too.
    preview->close();
    QApplication::processEvents();
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(frame->action(wz::ID_VIEW_PREVIEW)->isChecked());
    EXPECT_EQ(frame->width(), 480);
    app.reset();
    ASSERT_TRUE(StartEditor());
    EXPECT_FALSE(preview->isVisible());
    EXPECT_EQ(frame->size(), QSize(480, 580));
}

// The dock's own toggle, as the window's menu of bars offers it, and View › Preview are one
// state: either shows the pane with room made for it, and the other then hides it.
TEST_F(PreviewTest, TheDocksOwnToggleIsViewPreviewToo) {
    ASSERT_TRUE(StartEditor());
    QAction* item = frame->action(wz::ID_VIEW_PREVIEW);
    preview->toggleViewAction()->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_TRUE(preview->previewShown());
    EXPECT_TRUE(item->isChecked());
    EXPECT_GT(frame->width(), 480);
    EXPECT_TRUE(QSettings().value(QString::fromLatin1(PreviewDock::kVisibleKey)).toBool());

    item->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(preview->isVisible());
    EXPECT_FALSE(preview->toggleViewAction()->isChecked());
    EXPECT_EQ(frame->width(), 480);
    EXPECT_FALSE(QSettings().value(QString::fromLatin1(PreviewDock::kVisibleKey)).toBool());
}

TEST_F(PreviewTest, PicturesShowAtOnePixelToOneWithTheirSize) {
    ASSERT_TRUE(StartEditor());
    preview->SetPreviewShown(true);
    QApplication::processEvents();
    // Slot 1 is selected at start: the stored picture.
    EXPECT_EQ(Part("previewOrigin")->text(), "WinData.stg: Images/Love1");
    EXPECT_EQ(PictureSize(), QSize(296, 432));
    EXPECT_EQ(Part("previewPicture")->size(), QSize(296, 432));
    EXPECT_EQ(Part("previewInfo")->text(), "296 × 432");
    // The whole picture is in sight, without scrolling.
    const QSize room = Part<QScrollArea>("previewScroll")->viewport()->size();
    EXPECT_GE(room.width(), 296);
    EXPECT_GE(room.height(), 432);
    const QColor corner = Part("previewPicture")->pixmap().toImage().pixelColor(0, 0);
    EXPECT_NEAR(corner.red(), 200, 20);
    EXPECT_NEAR(corner.blue(), 30, 20);
    EXPECT_FALSE(Part<QPushButton>("playButton")->isVisibleTo(preview));

    Select(21);
    EXPECT_EQ(Part("previewOrigin")->text(), "WinData.stg: Images/Jacket");
    EXPECT_NEAR(Part("previewPicture")->pixmap().toImage().pixelColor(5, 5).blue(), 200, 20);

    // A dropped file is shown in place of the stored picture, whatever its size.
    WriteFile(folder / "wide.jpg", Jpeg(500, 120, {20, 180, 20}));
    Select(2);
    DropOnSelected("wide.jpg");
    EXPECT_EQ(
        Part("previewOrigin")->text(),
        QString::fromStdString("Pending file (Новый файл): " + (folder / "wide.jpg").string()));
    EXPECT_EQ(PictureSize(), QSize(500, 120));
    EXPECT_EQ(Part("previewInfo")->text(), "500 × 120");

    // A path that wraps to several lines grows the window: every line, the whole picture and
    // its size below it stay in sight, one under the other.
    const std::string deep = "a folder with a long name for the pictures of the summer/" +
                             std::string(3, 'x') + " and one more folder with a long name";
    std::filesystem::create_directories(folder / deep);
    WriteFile(folder / deep / "picture.jpg", Jpeg(296, 432, {20, 20, 180}));
    Select(3);
    DropOnSelected(deep + "/picture.jpg");
    QApplication::processEvents();
    const QLabel* origin = Part("previewOrigin");
    const auto* scroll = Part<QScrollArea>("previewScroll");
    const QLabel* info = Part("previewInfo");
    EXPECT_GE(origin->height(), origin->heightForWidth(origin->width()));
    EXPECT_GT(origin->heightForWidth(origin->width()), 2 * origin->fontMetrics().height());
    EXPECT_GE(scroll->viewport()->height(), 432);
    EXPECT_GE(scroll->geometry().top(), origin->geometry().bottom());
    EXPECT_GE(info->geometry().top(), scroll->geometry().bottom());

    // The root and stored bytes that do not decode show a text instead of a picture.
    view->setCurrentItem(Root());
    QApplication::processEvents();
    EXPECT_TRUE(PictureSize().isEmpty());
    EXPECT_EQ(Part("previewInfo")->text(),
              "Select a slot to preview it.\n(Выберите элемент для просмотра.)");
    Select(5);
    EXPECT_TRUE(PictureSize().isEmpty());
    EXPECT_TRUE(Part("previewInfo")->text().startsWith("No preview (Нет просмотра): "));
    EXPECT_TRUE(sink.shown.empty()); // no message box for a preview
}

TEST_F(PreviewTest, TracksPlayAndStopWithTheSelectionAndThePane) {
    ASSERT_TRUE(StartEditor());
    preview->SetPreviewShown(true);
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(Part("previewOrigin")->text(), "WinData.stg: Music/Love1");
    EXPECT_EQ(Part("previewInfo")->text(), "Length 0:04, 8 notes\n(Длительность 0:04, нот: 8)");
    EXPECT_TRUE(PictureSize().isEmpty());
    EXPECT_TRUE(Part<QPushButton>("playButton")->isVisibleTo(preview));
    EXPECT_TRUE(Part<QPushButton>("playButton")->isEnabled());
    EXPECT_FALSE(Part<QPushButton>("stopButton")->isEnabled());

    // Play opens the audio device only now.
    EXPECT_FALSE(preview->player().Device().IsOpen());
    QTest::mouseClick(Part<QPushButton>("playButton"), Qt::LeftButton);
    EXPECT_TRUE(preview->player().IsPlaying());
    EXPECT_FALSE(Part<QPushButton>("playButton")->isEnabled());
    EXPECT_TRUE(Part<QPushButton>("stopButton")->isEnabled());
    QTest::mouseClick(Part<QPushButton>("stopButton"), Qt::LeftButton);
    EXPECT_FALSE(preview->player().IsPlaying());

    // Another slot stops the track; so does hiding the pane.
    preview->Play();
    ASSERT_TRUE(preview->player().IsPlaying());
    Select(1);
    EXPECT_FALSE(preview->player().IsPlaying());
    EXPECT_EQ(Part("previewInfo")->text(), "Length 1:00, 120 notes\n(Длительность 1:00, нот: 120)");
    preview->Play();
    ASSERT_TRUE(preview->player().IsPlaying());
    frame->action(wz::ID_VIEW_PREVIEW)->trigger();
    EXPECT_FALSE(preview->player().IsPlaying());

    // A stored stream that is no track says why and offers no Play.
    preview->SetPreviewShown(true);
    Select(6);
    EXPECT_TRUE(Part("previewInfo")->text().startsWith("No preview (Нет просмотра): "));
    EXPECT_FALSE(Part<QPushButton>("playButton")->isVisibleTo(preview));
    preview->Play();
    EXPECT_FALSE(preview->player().IsPlaying());
}

// The end of a track comes on the audio thread; the pane learns of it on its own thread and
// offers Play again.
TEST_F(PreviewTest, ATrackThatEndsOffersPlayAgain) {
    ASSERT_TRUE(StartEditor());
    preview->SetPreviewShown(true);
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    Select(2);
    ASSERT_EQ(Part("previewOrigin")->text(), "WinData.stg: Music/Love3");
    preview->Play();
    ASSERT_TRUE(preview->player().IsPlaying());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !preview->player().IsPlaying(); }, 20000));
    EXPECT_TRUE(Part<QPushButton>("playButton")->isEnabled());
    EXPECT_FALSE(Part<QPushButton>("stopButton")->isEnabled());
}

// A picture the game cannot show is fitted in the pane: Fit opens the crop frame over the whole
// picture, a drag moves it, and Fit makes the framed part the slot's game picture.
TEST_F(PreviewTest, FitFramesThePictureAndMakesTheFramedPartTheGamePicture) {
    ASSERT_TRUE(StartEditor());
    preview->SetPreviewShown(true);
    const std::string photo = DropPhoto(2);
    Select(0);
    EXPECT_FALSE(frame->action(wz::ID_FILE_FIT)->isEnabled());
    EXPECT_FALSE(Part<QPushButton>("fitButton")->isVisibleTo(preview));
    Select(2);
    ASSERT_TRUE(frame->action(wz::ID_FILE_FIT)->isEnabled());
    ASSERT_TRUE(Part<QPushButton>("fitButton")->isVisibleTo(preview));

    QTest::mouseClick(Part<QPushButton>("fitButton"), Qt::LeftButton);
    CropView* crop = Part<CropView>("cropView");
    ASSERT_TRUE(preview->fitting());
    ASSERT_TRUE(crop->isVisible());
    const wz::media::SourceRect start = crop->Rect();
    EXPECT_EQ(start.height, 480);
    // Dragged far to the left, the frame stops at the picture's edge.
    const auto drag = [crop](QPoint by) {
        const wz::PaneRect framed = crop->frame()->FrameInPane();
        const QPoint from(static_cast<int>(framed.x + framed.width / 2),
                          static_cast<int>(framed.y + framed.height / 2));
        QTest::mousePress(crop, Qt::LeftButton, {}, from);
        const QPointF to = from + by;
        QMouseEvent move(QEvent::MouseMove, to, crop->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(crop, &move);
        QTest::mouseRelease(crop, Qt::LeftButton, {}, from + by);
    };
    drag({-400, 0});
    EXPECT_EQ(crop->Rect().x, 0);

    QTest::mouseClick(Part<QPushButton>("applyFitButton"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(preview->fitting());
    const wz::SlotLists& lists = document->lists();
    EXPECT_EQ(lists.pictureFittedFrom[2], photo);
    EXPECT_EQ(lists.pictureProblems[2], "");
    EXPECT_EQ(SlotText(2), QString::fromStdString("3. " + photo + " (fitted (подогнана))"));
    EXPECT_EQ(Part("previewPicture")->pixmap().width(), 296);
    // The fitted picture can be framed again, from the author's picture.
    EXPECT_TRUE(Part<QPushButton>("fitButton")->isVisibleTo(preview));
    EXPECT_TRUE(sink.shown.empty());

    // On a tall strip a drag moves the frame down, or up, to the edge.
    const std::string strip = (folder / "strip.jpg").string();
    WriteFile(strip, Jpeg(300, 1200, {40, 40, 160}));
    document->DropFiles(3, {strip});
    Select(3);
    QTest::mouseClick(Part<QPushButton>("fitButton"), Qt::LeftButton);
    ASSERT_TRUE(preview->fitting());
    drag({0, 2000});
    EXPECT_EQ(crop->Rect().y, 1200 - crop->Rect().height);
    drag({-50, -2000});
    EXPECT_EQ(crop->Rect().y, 0);
    EXPECT_EQ(crop->Rect().x, 0);
}

// The crop frame takes the picture's place, with its text and buttons where the pane's own
// stand: the window grows by no more than the text's lines, and Cancel brings the picture back
// without a fit and with the window as it is.
TEST_F(PreviewTest, TheCropFrameTakesThePicturesPlaceAndCancelBringsItBack) {
    ASSERT_TRUE(StartEditor());
    preview->SetPreviewShown(true);
    DropPhoto(2);
    Select(2);
    const QSize before = frame->size();

    QTest::mouseClick(Part<QPushButton>("fitButton"), Qt::LeftButton);
    QApplication::processEvents();
    ASSERT_TRUE(preview->fitting());
    EXPECT_FALSE(Part<QScrollArea>("previewScroll")->isVisible());
    EXPECT_FALSE(Part("previewInfo")->isVisible());
    EXPECT_TRUE(Part("fitHint")->isVisible());
    EXPECT_EQ(frame->width(), before.width());
    EXPECT_LE(frame->height() - before.height(), Part("fitHint")->height());
    const QSize framing = frame->size();

    QTest::mouseClick(Part<QPushButton>("cancelFitButton"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(preview->fitting());
    EXPECT_FALSE(Part<CropView>("cropView")->isVisible());
    EXPECT_EQ(Part("previewPicture")->pixmap().width(), 640);
    EXPECT_EQ(Part("previewInfo")->text(), "640 × 480");
    EXPECT_EQ(document->lists().pictureFittedFrom[2], "");
    EXPECT_EQ(frame->size(), framing);
    EXPECT_TRUE(sink.shown.empty());
}

} // namespace
