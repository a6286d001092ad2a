#include "EditorCommands.h"
#include "EditorWindowFixture.h"
#include "MediaFiles.h"
#include "SlotItems.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDir>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QStatusBar>
#include <QTest>
#include <QUrl>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

class SlotWidgetTest : public EditorWindowTest {
protected:
    void SetUp() override {
        EditorWindowTest::SetUp();
        ASSERT_TRUE(Start());
    }

    std::string Source(const std::string& name, const Bytes& bytes) {
        WriteFile(folder / name, bytes);
        return (folder / name).string();
    }

    void Press(int slot) {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {},
                          view->visualItemRect(Slot(slot)).center());
    }

    bool Warned(int slot) const {
        return Slot(slot)->icon(0).pixmap(32).toImage() ==
               wz::SlotWarningIcon(*view).pixmap(32).toImage();
    }

    QString Status() const { return frame->messageBar()->currentMessage(); }
};

TEST_F(SlotWidgetTest, AFileThatWillNotPlayIsWarnedOfOnItsItemAndInTheStatusBar) {
    const std::string good = Source("good.jpg", Background());
    const std::string small = Source("small.jpg", JpegPicture(100, 80));
    Press(4);
    document->DropFiles(4, {good, small});
    const QString reason = "picture is 100 x 80, the game needs 296 x 432";
    EXPECT_FALSE(Warned(4));
    EXPECT_EQ(Slot(4)->toolTip(0), "");
    EXPECT_TRUE(Warned(5));
    EXPECT_EQ(Slot(5)->toolTip(0), reason);
    EXPECT_EQ(SlotText(5), "6. " + QString::fromStdString(small));

    // Selecting a slot shows its reason, or gives the bar back.
    Press(5);
    EXPECT_EQ(Status(), reason);
    Press(4);
    EXPECT_EQ(Status(), "");
    // The warning stays while the slot is selected.
    Press(5);
    EXPECT_TRUE(Warned(5));

    // Revert current drops the file and its warning.
    frame->action(wz::ID_VIEW_REVERT_CURRENT)->trigger();
    EXPECT_FALSE(Warned(5));
    EXPECT_EQ(Slot(5)->toolTip(0), "");
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(SlotWidgetTest, ADropNamesTheFirstFileThatWillNotPlay) {
    Press(0);
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(Source("a.jpg", Background()))),
         QUrl::fromLocalFile(QString::fromStdString(Source("b.mid", MidiTrack(3)))),
         QUrl::fromLocalFile(QString::fromStdString(Source("c.jpg", JpegPicture(50, 50))))});
    const QPoint at = view->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &drop);
    ASSERT_TRUE(drop.isAccepted());
    EXPECT_FALSE(Warned(0));
    EXPECT_TRUE(Warned(1) && Warned(2));
    EXPECT_TRUE(Status().startsWith("not a JPEG picture")) << Status().toStdString();
}

// New starts the view over; the tree must not keep showing what Save will not write.
TEST_F(SlotWidgetTest, NewShowsNothingPendingAndSaveThenWritesNothing) {
    const Bytes before = ReadFile(folder / "WinData.stg");
    document->DropFiles(0, {Source("one.jpg", JpegPicture(10, 10))});
    ASSERT_TRUE(Warned(0));
    view->setFocus();
    QTest::keyClick(view, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(SlotText(0), "1. ");
    EXPECT_FALSE(Warned(0));
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(sink.asked.empty());
    EXPECT_EQ(ReadFile(folder / "WinData.stg"), before);
}

TEST_F(SlotWidgetTest, ExportFromTheFileMenuAndFromASlotsContextMenu) {
    QAction* exportAction = frame->action(wz::ID_FILE_EXPORT);
    ASSERT_NE(exportAction, nullptr);
    EXPECT_EQ(exportAction->statusTip(),
              "Write the selected item to a file (Записать выбранный элемент в файл)");
    QStringList proposed;
    QString answer;
    view->SetExportFileChooser([&](const QString& file) {
        proposed << file;
        return answer;
    });
    const AssetContent stored = ReadAssetFile(folder / "WinData.stg");

    // From the File menu: the selected slot; cancelling writes nothing.
    Press(2);
    exportAction->trigger();
    answer = QString::fromStdString((folder / "picture.jpg").string());
    exportAction->trigger();
    ASSERT_EQ(proposed.size(), 2);
    EXPECT_EQ(proposed[0], QDir::current().filePath("Love3.jpg"));
    EXPECT_EQ(ReadFile(folder / "picture.jpg"), stored.at("Images/Love3"));

    // From the context menu of a music slot: the slot under the pointer is selected first.
    QTest::keyClick(view, Qt::Key_F3);
    const QPoint at = view->visualItemRect(Slot(21)).center();
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, view->viewport()->mapToGlobal(at));
    QApplication::sendEvent(view->viewport(), &menuEvent);
    EXPECT_EQ(view->selectedSlot(), 21);
    ASSERT_TRUE(view->slotMenu()->isVisible());
    ASSERT_EQ(view->slotMenu()->actions(),
              (QList<QAction*>{frame->action(wz::ID_FILE_CHOOSE), exportAction,
                               frame->action(wz::ID_VIEW_TRY)}));
    answer = QString::fromStdString((folder / "titles.mid").string());
    exportAction->trigger();
    view->slotMenu()->close();
    EXPECT_EQ(proposed.last(), QDir::current().filePath("Titles.mid"));
    EXPECT_EQ(ReadFile(folder / "titles.mid"), stored.at("Music/Titles"));

    // The root has no context menu.
    const QPoint root = view->visualItemRect(Root()).center();
    QContextMenuEvent onRoot(QContextMenuEvent::Mouse, root, view->viewport()->mapToGlobal(root));
    QApplication::sendEvent(view->viewport(), &onRoot);
    EXPECT_FALSE(view->slotMenu()->isVisible());
    EXPECT_TRUE(sink.shown.empty());
}

// Choose File is a drop of the one chosen file on the current slot, filtered by the list.
TEST_F(SlotWidgetTest, ChooseFileTakesTheFileAsADropOnTheSlotWould) {
    std::vector<wz::SlotKind> asked;
    QString answer;
    view->SetSourceFileChooser([&](wz::SlotKind kind) {
        asked.push_back(kind);
        return answer;
    });
    const std::string small = Source("small.jpg", JpegPicture(100, 80));
    Press(3);
    frame->action(wz::ID_FILE_CHOOSE)->trigger(); // cancelled: nothing changes
    EXPECT_FALSE(document->lists().picturesDirty);
    answer = QString::fromStdString(small);
    frame->action(wz::ID_FILE_CHOOSE)->trigger();

    wztest::RecordingSink otherSink;
    wz::AssetUpdate dropped(otherSink, folder.path());
    dropped.DropFiles(3, {small});
    const wz::SlotLists& lists = document->lists();
    EXPECT_EQ(lists.picturePaths, dropped.lists().picturePaths);
    EXPECT_EQ(lists.pictureChanged, dropped.lists().pictureChanged);
    EXPECT_EQ(lists.pictureProblems, dropped.lists().pictureProblems);
    EXPECT_TRUE(lists.picturesDirty && !lists.musicDirty);
    EXPECT_EQ(SlotText(3), "4. " + answer);
    EXPECT_TRUE(Warned(3));
    EXPECT_EQ(Status(), "picture is 100 x 80, the game needs 296 x 432");

    QTest::keyClick(view, Qt::Key_F3);
    answer.clear();
    frame->action(wz::ID_FILE_CHOOSE)->trigger();
    EXPECT_EQ(asked,
              (std::vector{wz::SlotKind::Pictures, wz::SlotKind::Pictures, wz::SlotKind::Music}));
}

} // namespace
