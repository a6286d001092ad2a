#include "EditorCommands.h"
#include "EditorWindowFixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

class ViewTest : public EditorWindowTest {
protected:
    void SetUp() override {
        EditorWindowTest::SetUp();
        ASSERT_TRUE(Start());
    }

    // Drops the URLs on the tree as a file manager does: enter, move, drop.
    bool DropUrls(const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        const QPoint at = view->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        if (!enter.isAccepted()) {
            return false;
        }
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
        return drop.isAccepted();
    }

    QList<QUrl> Files(const std::vector<std::string>& names) {
        QList<QUrl> urls;
        for (const std::string& n : names) {
            urls << QUrl::fromLocalFile(QString::fromStdString((folder / n).string()));
        }
        return urls;
    }

    QString Path(const std::string& name) const {
        return QString::fromStdString((folder / name).string());
    }

    void Press(QTreeWidgetItem* item) {
        QTest::mousePress(view->viewport(), Qt::LeftButton, {},
                          view->visualItemRect(item).center());
    }
};

TEST_F(ViewTest, TreeShowsARootAndTwentyTwoSlots) {
    ASSERT_EQ(view->topLevelItemCount(), 1);
    EXPECT_EQ(Root()->text(0), "Pictures (Картинки)");
    ASSERT_EQ(Root()->childCount(), 22);
    EXPECT_TRUE(Root()->isExpanded());
    EXPECT_EQ(SlotText(0), "1. ");
    EXPECT_EQ(SlotText(19), "20. ");
    EXPECT_EQ(SlotText(20), "21 (Win (Выигрыш)). ");
    EXPECT_EQ(SlotText(21), "22 (Jacket (Обложка)). ");
    EXPECT_EQ(view->currentItem(), Slot(0));
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(Slot(i)->data(0, Qt::UserRole).toInt(), i);
    }
    EXPECT_EQ(Root()->data(0, Qt::UserRole).toInt(), 0);

    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    EXPECT_EQ(Root()->text(0), "Music (Музыка)");
    EXPECT_EQ(SlotText(21), "22 (Jacket (Обложка)). ");
}

TEST_F(ViewTest, IconsPlayTheirRoles) {
    const auto& images = view->images();
    for (const QPixmap& image : images) {
        EXPECT_EQ(image.size(), QSize(32, 32));
    }
    EXPECT_EQ(view->iconSize(), QSize(32, 32));
    const auto same = [](const QIcon& icon, QIcon::Mode mode, const QPixmap& image) {
        return icon.pixmap(QSize(32, 32), mode).toImage() == image.toImage();
    };
    // Pictures: root 0, slot 4 and 1 when selected; music: root 2, slot 3 and 1.
    EXPECT_TRUE(same(Root()->icon(0), QIcon::Normal, images[0]));
    EXPECT_TRUE(same(Root()->icon(0), QIcon::Selected, images[0]));
    EXPECT_TRUE(same(Slot(5)->icon(0), QIcon::Normal, images[4]));
    EXPECT_TRUE(same(Slot(5)->icon(0), QIcon::Selected, images[1]));
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    EXPECT_TRUE(same(Root()->icon(0), QIcon::Normal, images[2]));
    EXPECT_TRUE(same(Slot(5)->icon(0), QIcon::Normal, images[3]));
    EXPECT_TRUE(same(Slot(5)->icon(0), QIcon::Selected, images[1]));
    // The five pictures differ from one another.
    for (int a = 0; a < 5; ++a) {
        for (int b = a + 1; b < 5; ++b) {
            EXPECT_NE(images[a].toImage(), images[b].toImage()) << a << " " << b;
        }
    }
}

TEST_F(ViewTest, MousePressesSelectSlotsOnly) {
    Press(Slot(6));
    EXPECT_EQ(view->selectedSlot(), 6);
    EXPECT_EQ(view->currentItem(), Slot(6));

    // The root and empty space change nothing, and nothing ever collapses.
    Press(Root());
    EXPECT_EQ(view->selectedSlot(), 6);
    EXPECT_EQ(view->currentItem(), Slot(6));
    frame->resize(480, 1200); // room below the last slot
    QApplication::processEvents();
    ASSERT_EQ(view->itemAt(QPoint(5, view->viewport()->height() - 2)), nullptr);
    QTest::mousePress(view->viewport(), Qt::LeftButton, {},
                      QPoint(5, view->viewport()->height() - 2));
    EXPECT_EQ(view->selectedSlot(), 6);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualItemRect(Root()).center());
    EXPECT_TRUE(Root()->isExpanded());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {},
                       view->visualItemRect(Slot(2)).center());
    EXPECT_TRUE(Root()->isExpanded());
    EXPECT_TRUE(sink.shown.empty());

    // A rebuild selects the pressed slot again.
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    EXPECT_EQ(view->currentItem(), Slot(6));
}

TEST_F(ViewTest, DropsFillTheListOnShowFromTheSelectedSlot) {
    struct Row {
        const char* what;
        int pressSlot; // -1: the root is current, -2: nothing is
        int files;
        std::vector<int> filled;
    };
    const Row rows[] = {
        {"from a pressed slot", 3, 2, {3, 4}},
        {"five on slot 20", 19, 5, {19, 20, 21}},
        {"with the root selected", -1, 1, {0}},
        {"with nothing selected", -2, 2, {0, 1}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        frame->action(wz::ID_FILE_RESTORE)->trigger();
        if (r.pressSlot >= 0) {
            Press(Slot(r.pressSlot));
        } else if (r.pressSlot == -1) {
            view->setCurrentItem(Root());
        } else {
            view->setCurrentItem(nullptr);
        }
        std::vector<std::string> names;
        names.reserve(static_cast<std::size_t>(r.files));
        for (int n = 0; n < r.files; ++n) {
            names.push_back('f' + std::to_string(n) + ".jpg");
        }
        ASSERT_TRUE(DropUrls(Files(names)));
        int next = 0;
        for (int i = 0; i < 22; ++i) {
            const bool filled = std::find(r.filled.begin(), r.filled.end(), i) != r.filled.end();
            const QString expected =
                QString::fromStdString(wz::SlotLabel(i)) +
                (filled ? Path('f' + std::to_string(next++) + ".jpg") : QString());
            EXPECT_EQ(SlotText(i), expected) << i;
        }
        EXPECT_TRUE(document->lists().picturesDirty);
        EXPECT_FALSE(document->lists().musicDirty);
    }
}

TEST_F(ViewTest, DropsOnTheMusicListMarkOnlyIt) {
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    Press(Slot(1));
    ASSERT_TRUE(DropUrls({QUrl::fromLocalFile(Path("song.mid")),
                          QUrl(QStringLiteral("https://example.com/remote.mid"))}));
    const wz::SlotLists& lists = document->lists();
    EXPECT_TRUE(lists.musicDirty);
    EXPECT_FALSE(lists.picturesDirty);
    EXPECT_EQ(lists.musicPaths[1], Path("song.mid").toStdString());
    EXPECT_EQ(lists.musicPaths[2], "") << "a remote file is not taken";
    EXPECT_EQ(SlotText(1), "2. " + Path("song.mid"));

    // Revert current on the music list keeps the pictures pending.
    frame->action(wz::ID_VIEW_PICTURES)->trigger();
    ASSERT_TRUE(DropUrls(Files({"p.jpg"})));
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    frame->action(wz::ID_VIEW_REVERT_CURRENT)->trigger();
    EXPECT_EQ(SlotText(1), "2. ");
    EXPECT_EQ(view->currentItem(), Slot(1)) << "the same slot stays selected";
    EXPECT_TRUE(lists.picturesDirty);
    frame->action(wz::ID_VIEW_PICTURES)->trigger();
    EXPECT_EQ(SlotText(1), "2. " + Path("p.jpg"));

    // Restore drops everything and shows slot 1 of the pictures.
    frame->action(wz::ID_FILE_RESTORE)->trigger();
    EXPECT_EQ(Root()->text(0), "Pictures (Картинки)");
    EXPECT_EQ(view->currentItem(), Slot(0));
    EXPECT_EQ(SlotText(1), "2. ");
}

TEST_F(ViewTest, TextWithoutFilesIsNotADrop) {
    QMimeData data;
    data.setText(QStringLiteral("just words"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());
}

TEST_F(ViewTest, ADropStartsAtTheItemTheKeyboardSelected) {
    Press(Slot(2));
    view->setFocus();
    QTest::keyClick(view->viewport(), Qt::Key_Down);
    QTest::keyClick(view->viewport(), Qt::Key_Down);
    ASSERT_EQ(view->currentItem(), Slot(4));
    EXPECT_EQ(view->selectedSlot(), 2) << "the keyboard does not move the remembered slot";
    ASSERT_TRUE(DropUrls(Files({"k.jpg"})));
    EXPECT_EQ(SlotText(4), "5. " + Path("k.jpg"));
    EXPECT_EQ(view->currentItem(), Slot(2)) << "the rebuild selects the remembered slot";
}

TEST_F(ViewTest, SaveFromTheToolbarWritesDroppedFiles) {
    const Bytes jacket = Pattern(12000, 4);
    const Bytes titles = Pattern(700, 5);
    WriteFile(folder / "jacket.jpg", jacket);
    WriteFile(folder / "titles.mid", titles);
    Press(Slot(21));
    ASSERT_TRUE(DropUrls(Files({"jacket.jpg"})));
    frame->action(wz::ID_VIEW_MUSIC)->trigger();
    ASSERT_TRUE(DropUrls(Files({"titles.mid"})));
    frame->action(wz::ID_FILE_SAVE_CHANGES)->trigger();
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "File WinData.stg was updated.\nФайл WinData.stg обновлен.");
    const AssetContent saved = ReadAssetFile(folder / "WinData.stg");
    EXPECT_EQ(saved.at("Images/Jacket"), jacket);
    EXPECT_EQ(saved.at("Music/Titles"), titles);
    EXPECT_EQ(Root()->text(0), "Pictures (Картинки)");
    EXPECT_EQ(view->currentItem(), Slot(0));
    EXPECT_EQ(SlotText(21), "22 (Jacket (Обложка)). ");
}

} // namespace
