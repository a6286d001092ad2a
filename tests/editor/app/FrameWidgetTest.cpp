#include "CAboutDlg.h"
#include "CfbTestSupport.h"
#include "EditorCommands.h"
#include "EditorWindowFixture.h"
#include "TextFit.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

using FrameTest = EditorWindowTest;

// Sets PATH for one test and puts the old one back.
class ScopedPath {
public:
    explicit ScopedPath(const std::string& path) {
        const char* old = std::getenv("PATH");
        old_ = old != nullptr ? old : "";
        ::setenv("PATH", path.c_str(), 1);
    }
    ~ScopedPath() { ::setenv("PATH", old_.c_str(), 1); }

private:
    std::string old_;
};

TEST_F(FrameTest, MainWindowPlacementAndCaption) {
    ASSERT_TRUE(Start());
    // The window's outer corner at 0, 0; its size as the toolkit counts it, within the frame
    // the window manager draws.
    EXPECT_EQ(frame->frameGeometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(frame->size(), QSize(480, 580));
    EXPECT_EQ(frame->windowTitle(), "Sound & Music Update - WZolvikCreator");
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->centralWidget(), view);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(FrameTest, MenuHoldsEveryItemInOrder) {
    ASSERT_TRUE(Start());
    const std::vector<std::pair<QString, QStringList>> expected = {
        {"&File",
         {"&Restore\tCtrl+R", "&Save\tCtrl+S", "-", "&Choose File… (Выбрать файл…)",
          "&Export… (Экспорт)", "-", "&Fit to Game Picture… (Подогнать…)",
          "Fit &All Pictures (Подогнать все)", "-", "E&xit"}},
        {"&View",
         {"&Pictures (Картинки)\tF2", "&Music (Музыка)\tF3", "-",
          "&Revert current (Восстановить текущее)", "-", "&Explorer (Проводник)\tF4",
          "&Zolvik (Золвик)\tF5", "&Try in Game (Попробовать в игре)\tCtrl+F5", "-", "T&oolbar",
          "&Status Bar", "Pre&view (Просмотр)"}},
        {"&Help", {"&About WZolvikCreator..."}},
    };
    const QList<QAction*> popups = frame->menuBar()->actions();
    ASSERT_EQ(popups.size(), 3);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(popups[p]->text(), expected[p].first);
        QStringList items;
        for (QAction* a : popups[p]->menu()->actions()) {
            items << (a->isSeparator() ? QStringLiteral("-") : a->text());
        }
        EXPECT_EQ(items, expected[p].second);
    }
}

TEST_F(FrameTest, ToolbarHasTenEntriesWithPicturesAndPrompts) {
    ASSERT_TRUE(Start());
    struct Row {
        int id; // 0: separator
        const char* status;
        const char* tooltip;
    };
    const Row rows[] = {
        {32785, "Save the active document (Сохранить изменения)",
         "Save the active document (Сохранить изменения)"},
        {32786, "Restore last copy (Восстановить последнюю копию)",
         "Restore last copy (Восстановить последнюю копию)"},
        {0, "", ""},
        {32771, "Change pictures (Изменить картинки)", "Change pictures (Изменить картинки)"},
        {32772, "Change music (Изменить музыку", "Change music (Изменить музыку)"},
        {32773, "Restore current items (Восстановить текущие элементы)",
         "Restore current items (Восстановить текущие элементы)"},
        {0, "", ""},
        {32790, "Start Windows Explorer (Запустить Проводник)",
         "Start Windows Explorer (Запустить Проводник)"},
        {32791, "Start Zolvik (Запустить Золвик)", "Start Zolvik (Запустить Золвик)"},
        {57664, "Display program information, version number and copyright", "About"},
    };
    const QList<QAction*> entries = frame->toolBar()->actions();
    ASSERT_EQ(entries.size(), 10);
    EXPECT_EQ(frame->toolBar()->iconSize(), QSize(16, 15));
    for (int i = 0; i < 10; ++i) {
        SCOPED_TRACE(i);
        if (rows[i].id == 0) {
            EXPECT_TRUE(entries[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(entries[i], frame->action(rows[i].id));
        EXPECT_EQ(entries[i]->statusTip(), QString::fromUtf8(rows[i].status));
        EXPECT_EQ(entries[i]->toolTip(), QString::fromUtf8(rows[i].tooltip));
        const QPixmap picture = entries[i]->icon().pixmap(QSize(16, 15));
        EXPECT_EQ(picture.size(), QSize(16, 15));
    }
    // Menu-only commands carry the toolkit's usual prompts.
    EXPECT_EQ(frame->action(57665)->statusTip(), "Quit the application; prompts to save documents");
    EXPECT_EQ(frame->action(59392)->statusTip(), "Show or hide the toolbar");
    EXPECT_EQ(frame->action(59393)->statusTip(), "Show or hide the status bar");
}

TEST_F(FrameTest, StatusBarShowsReadyPromptsAndLockIndicators) {
    ASSERT_TRUE(Start());
    QStatusBar* bar = frame->statusBar();
    auto* ready = bar->findChild<QLabel*>(QStringLiteral("messagePane"));
    ASSERT_NE(ready, nullptr);
    EXPECT_EQ(ready->text(), "Ready");

    // Pointing at an item or a button shows its prompt in the message pane.
    frame->action(32771)->showStatusText(frame);
    EXPECT_EQ(bar->currentMessage(), "Change pictures (Изменить картинки)");
    QWidget* button = frame->toolBar()->widgetForAction(frame->action(32791));
    ASSERT_NE(button, nullptr);
    QStatusTipEvent tip(frame->action(32791)->statusTip());
    QApplication::sendEvent(button, &tip);
    EXPECT_EQ(bar->currentMessage(), "Start Zolvik (Запустить Золвик)");
    bar->clearMessage();
    EXPECT_EQ(bar->currentMessage(), "");

    struct Row {
        LockKeys keys;
        QStringList texts;
    };
    const Row rows[] = {
        {{false, false, false}, {"", "", ""}},
        {{true, false, false}, {"CAP", "", ""}},
        {{false, true, true}, {"", "NUM", "SCRL"}},
    };
    for (const Row& r : rows) {
        frame->SetLockKeySource([&] { return r.keys; });
        frame->UpdateIndicators();
        QStringList texts;
        QStringList ids;
        for (QLabel* pane : frame->indicators()) {
            texts << pane->text();
            ids << pane->objectName();
        }
        EXPECT_EQ(texts, r.texts);
        EXPECT_EQ(ids,
                  QStringList({"capsLockIndicator", "numLockIndicator", "scrollLockIndicator"}));
    }
}

TEST_F(FrameTest, FunctionKeysSwitchListsAndTheOtherKeysDoNothing) {
    ASSERT_TRUE(Start());
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F3);
    EXPECT_EQ(Root()->text(0), "Music (Музыка)");
    QTest::keyClick(view, Qt::Key_F2);
    EXPECT_EQ(Root()->text(0), "Pictures (Картинки)");

    // Pending changes and the list on show survive every key that does nothing.
    document->DropFiles(3, {"/tmp/kept.jpg"});
    const std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> idle = {
        {Qt::Key_C, Qt::ControlModifier},     {Qt::Key_V, Qt::ControlModifier},
        {Qt::Key_Backspace, Qt::AltModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
        {Qt::Key_F1, Qt::NoModifier},         {Qt::Key_F6, Qt::NoModifier},
        {Qt::Key_F6, Qt::ShiftModifier},      {Qt::Key_Insert, Qt::ControlModifier},
        {Qt::Key_Insert, Qt::ShiftModifier},  {Qt::Key_X, Qt::ControlModifier},
        {Qt::Key_Z, Qt::ControlModifier},
    };
    for (const auto& [key, modifiers] : idle) {
        QTest::keyClick(view, key, modifiers);
    }
    EXPECT_EQ(SlotText(3), "4. /tmp/kept.jpg");
    EXPECT_TRUE(document->lists().picturesDirty);
    EXPECT_TRUE(sink.shown.empty());

    // Ctrl+R restores, as its menu item shows.
    QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(SlotText(3), "4. ");
}

TEST_F(FrameTest, CtrlSSavesThePendingChanges) {
    ASSERT_TRUE(Start());
    const Bytes bytes = Pattern(5000, 3);
    WriteFile(folder / "new.jpg", bytes);
    document->DropFiles(0, {(folder / "new.jpg").string()});
    view->setFocus();
    QTest::keyClick(view, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "File WinData.stg was updated.\nФайл WinData.stg обновлен.");
    EXPECT_EQ(ReadAssetFile(folder / "WinData.stg").at("Images/Love1"), bytes);
}

// Whatever a command's handler, it runs inside the command guard: a failure, from the menu
// item, from a key or from a pane's button, shows one message and the editor goes on.
TEST_F(FrameTest, AFailingCommandShowsOneMessageAndTheEditorGoesOn) {
    ASSERT_TRUE(Start());
    struct Failing : QObject {
        void Fail() { throw std::runtime_error("disk full"); }
    } failing;
    frame->ConnectCommand(wz::ID_VIEW_REVERT_CURRENT, &failing, &Failing::Fail);
    frame->ConnectCommand(wz::ID_HELP_KEY, &failing, &Failing::Fail);
    frame->action(wz::ID_VIEW_REVERT_CURRENT)->trigger();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_F1);
    frame->RunCommand([&failing] { failing.Fail(); });
    ASSERT_EQ(sink.shown.size(), 3u);
    for (const auto& m : sink.shown) {
        EXPECT_EQ(m.text, "The command could not be completed: disk full\n(Не удалось выполнить "
                          "команду: disk full)");
        EXPECT_EQ(m.icon, wz::MessageIcon::Exclamation);
    }
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameTest, ToolbarStatusBarAndExitCommands) {
    ASSERT_TRUE(Start());
    frame->action(wz::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_FALSE(frame->toolBar()->isVisible());
    EXPECT_FALSE(frame->action(wz::ID_VIEW_TOOLBAR)->isChecked());
    frame->action(wz::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_TRUE(frame->toolBar()->isVisible());
    // Hidden from the window's menu of bars, the bar unchecks the View menu's item.
    frame->toolBar()->toggleViewAction()->trigger();
    EXPECT_FALSE(frame->toolBar()->isVisible());
    EXPECT_FALSE(frame->action(wz::ID_VIEW_TOOLBAR)->isChecked());
    frame->action(wz::ID_VIEW_TOOLBAR)->trigger();
    EXPECT_TRUE(frame->toolBar()->isVisible());
    frame->action(wz::ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    frame->action(wz::ID_APP_EXIT)->trigger();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_TRUE(sink.shown.empty()) << "pending changes are dropped without a question";
}

TEST_F(FrameTest, AboutBoxShowsNameVersionAndOk) {
    CAboutDlg about;
    EXPECT_EQ(about.windowTitle(), "About WZolvikCreator");
    auto* version = about.findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "WZolvikCreator Version 1.0");
    auto* icon = about.findChild<QLabel*>(QStringLiteral("icon"));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));

    // The Help command shows it modally; closing it returns to the editor.
    ASSERT_TRUE(Start());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        shown = box != nullptr && box->windowTitle() == "About WZolvikCreator";
        if (box != nullptr) {
            box->accept();
        }
    });
    frame->action(wz::ID_APP_ABOUT)->trigger();
    EXPECT_TRUE(shown);
}

// The box keeps its own 10-point font whatever the desktop's, and shows both lines and its
// button whole in it, each control clear of the others.
TEST(AboutBox, ShowsItsTextsWhole) {
    const QFont desktop = QApplication::font();
    for (const int points : {0, 14}) {
        SCOPED_TRACE(points ? "at 14 points" : "at the default font");
        if (points > 0) {
            QFont font = desktop;
            font.setPointSize(points);
            QApplication::setFont(font);
        }
        CAboutDlg about;
        about.show();
        EXPECT_EQ(about.font().pointSize(), 10);
        for (const std::string& cut : wz::testkit::CutTexts(about)) {
            ADD_FAILURE() << cut;
        }
        const QList<QWidget*> controls = about.findChildren<QWidget*>();
        for (const QWidget* control : controls) {
            for (const QWidget* other : controls) {
                EXPECT_TRUE(other == control || !control->geometry().intersects(other->geometry()))
                    << control->objectName().toStdString() << " over "
                    << other->objectName().toStdString();
            }
        }
        about.accept();
    }
    QApplication::setFont(desktop);
}

TEST_F(FrameTest, StartUpFailureShowsTheMessageAndCloses) {
    struct Row {
        const char* what;
        std::function<void(const fs::path&)> spoil;
    };
    const Row rows[] = {
        {"missing", [](const fs::path& f) { fs::remove(f); }},
        {"not a compound file", [](const fs::path& f) { WriteFile(f, Pattern(5000, 1)); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(WriteAssetFile(folder / "WinData.stg", DefaultContent()));
        r.spoil(folder / "WinData.stg");
        sink.shown.clear();
        ASSERT_TRUE(Start());
        QApplication::processEvents();
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0].text,
                  "File WinData.stg missing, corrupt or using another application.\n(Файл "
                  "WinData.stg отсутствует, поврежден или занят другим приложением.)");
        EXPECT_EQ(sink.shown[0].icon, wz::MessageIcon::Exclamation);
        EXPECT_FALSE(frame->isVisible()) << "the editor closes";
    }
}

TEST_F(FrameTest, StartUpFailsWhileTheGameHoldsTheFile) {
    cfbtest::ChildProcess game({WZ_HOLD_ASSET, (folder / "WinData.stg").string()});
    ASSERT_EQ(game.ReadLine(), "held");
    ASSERT_TRUE(Start());
    QApplication::processEvents();
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "WZolvikCreator");
    EXPECT_TRUE(sink.shown[0].text.starts_with("File WinData.stg missing, corrupt"));
    EXPECT_FALSE(frame->isVisible());
}

TEST_F(FrameTest, StartUpMakesAReadOnlyAssetFileWritable) {
    fs::permissions(folder / "WinData.stg", fs::perms::owner_read);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_NE(fs::status(folder / "WinData.stg").permissions() & fs::perms::owner_write,
              fs::perms::none);
    EXPECT_TRUE(frame->isVisible());
}

TEST_F(FrameTest, StartGameRunsTheGameBesideTheEditorInTheCurrentFolder) {
    TempFolder own;
    WriteScript(own / "WinZolvik", "echo \"$#\" > \"$PWD/game-started\"");
    ASSERT_TRUE(Start());
    view->SetProgramFolder(QString::fromStdString(own.path().string()));
    QTest::keyClick(view, Qt::Key_F5);
    ASSERT_TRUE(WaitForFile(folder / "game-started"));
    EXPECT_EQ(ReadFile(folder / "game-started"), (Bytes{'0', '\n'})) << "no arguments";
    EXPECT_TRUE(sink.shown.empty());

    // Without one beside the editor, the current folder's is started.
    fs::remove(own / "WinZolvik");
    fs::remove(folder / "game-started");
    WriteScript(folder / "WinZolvik", "touch \"$PWD/game-started\"");
    frame->action(wz::ID_VIEW_ZOLVIK)->trigger();
    EXPECT_TRUE(WaitForFile(folder / "game-started"));
}

TEST_F(FrameTest, StartGameAndExplorerSayWhenTheyCannotStart) {
    TempFolder emptyPath;
    ScopedPath path(emptyPath.path().string());
    ASSERT_TRUE(Start());
    view->SetProgramFolder(QString::fromStdString(emptyPath.path().string()));
    frame->action(wz::ID_VIEW_ZOLVIK)->trigger();
    frame->action(wz::ID_VIEW_EXPLORER)->trigger();
    ASSERT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(sink.shown[0].text,
              "Can't run Game (WinZolvik.exe), try it manually.\nНе удается запустить Игру "
              "(WinZolvik.exe), запустите ее вручную.");
    EXPECT_EQ(sink.shown[1].text, "Can't run Explorer, try it manually.\nНе удается "
                                  "запустить Проводник, запустите его вручную.");
    for (const auto& m : sink.shown) {
        EXPECT_EQ(m.icon, wz::MessageIcon::None);
        EXPECT_EQ(m.caption, "WZolvikCreator");
    }
    EXPECT_TRUE(frame->isVisible()) << "the editor stays usable";
}

TEST_F(FrameTest, StartExplorerOpensTheFileManagersUsualPlace) {
    TempFolder bin;
    WriteScript(bin / "xdg-open", "echo \"$@\" > \"$PWD/explorer-args\"");
    ScopedPath path(bin.path().string() + ":" + std::getenv("PATH"));
    ASSERT_TRUE(Start());
    QTest::keyClick(view, Qt::Key_F4);
    ASSERT_TRUE(WaitForFile(folder / "explorer-args"));
    const Bytes args = ReadFile(folder / "explorer-args");
    EXPECT_EQ(std::string(args.begin(), args.end()), QDir::homePath().toStdString() + "\n");
    EXPECT_TRUE(sink.shown.empty());
}

} // namespace
