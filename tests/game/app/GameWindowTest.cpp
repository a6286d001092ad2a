#include "GameProgramFixture.h"

#include "FrameView.h"
#include "GameMenu.h"
#include "MenuCommands.h"
#include "ScreenLayout.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>

namespace wz::test {
namespace {

// The menu bar carries every item with its text, mnemonic, key text and identifier; only the
// three option-like items take a check mark, and no item has a shortcut.
TEST_F(GameProgramTest, MenuItems) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    struct Item {
        const char* text;
        std::uint32_t command;
        bool checkable;
    };
    const std::vector<std::pair<QString, std::vector<Item>>> expected = {
        {"&Game",
         {{"&Start New Game", kCommandStartNewGame, false},
          {"&Pause Game\tP", kCommandPauseGame, true},
          {nullptr, 0, false},
          {"Game Sp&eed\tL", kCommandGameSpeed, false},
          {nullptr, 0, false},
          {"E&xit Game", kCommandExitGame, false}}},
        {"&Options",
         {{"&Sound", kCommandSound, true},
          {"&Music", kCommandMusic, true},
          {nullptr, 0, false},
          {"&Control", kCommandControl, false}}},
        {"&Help", {{"&About WinZolvik", kCommandAbout, false}}},
    };
    const QList<QAction*> menus = Window().menuBar()->actions();
    ASSERT_EQ(menus.size(), 3);
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(menus[m]->text(), expected[m].first);
        const QList<QAction*> items = menus[m]->menu()->actions();
        ASSERT_EQ(items.size(), static_cast<qsizetype>(expected[m].second.size()));
        for (int i = 0; i < items.size(); ++i) {
            const Item& want = expected[m].second[i];
            if (want.text == nullptr) {
                EXPECT_TRUE(items[i]->isSeparator());
                continue;
            }
            EXPECT_EQ(items[i]->text(), QString::fromLatin1(want.text));
            EXPECT_EQ(items[i]->data().toUInt(), want.command);
            EXPECT_EQ(items[i]->isCheckable(), want.checkable) << want.text;
            EXPECT_TRUE(items[i]->shortcut().isEmpty()) << want.text;
            EXPECT_EQ(Window().MenuAction(want.command), items[i]);
        }
    }
}

// A fixed window: the frame's 296 x 432 under the menu bar, no resizing, no maximise, centred,
// with the game's title line as caption.
TEST_F(GameProgramTest, WindowFrame) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    GameWindow& window = Window();
    EXPECT_EQ(window.windowTitle(), QString::fromLatin1(kWindowCaption));
    EXPECT_EQ(window.Frame().size(), QSize(296, 432));
    EXPECT_EQ(window.Frame().mapTo(&window, QPoint(0, 0)).y(), window.menuBar()->height());
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    EXPECT_EQ(window.height(), 432 + window.menuBar()->height());
    EXPECT_FALSE(window.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    const QRect screen = window.screen()->geometry();
    EXPECT_EQ(window.frameGeometry().x(), screen.width() / 2 - window.frameGeometry().width() / 2);
    EXPECT_EQ(window.frameGeometry().y(),
              screen.height() / 2 - window.frameGeometry().height() / 2);
}

// The window's close button goes through the same close as Exit Game, once.
TEST_F(GameProgramTest, ClosingTheWindowStopsTheGame) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    EXPECT_FALSE(Window().ArmedTimers().empty());
    EXPECT_TRUE(Window().close());
    EXPECT_TRUE(Window().Destroyed());
    EXPECT_TRUE(Window().ArmedTimers().empty());
    EXPECT_EQ(State().fallTimer, 0);
    EXPECT_EQ(State().musicOpen, 0);
    // Nothing reaches the game after its window has gone.
    Press(Qt::Key_Space);
    Command(kCommandStartNewGame);
    EXPECT_TRUE(Window().ArmedTimers().empty());
}

// Tab is a key of the game, not a move of the focus.
TEST_F(GameProgramTest, TabReachesTheGame) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    State().controlKeys[kLeftSlot] = 0x09;
    Press(Qt::Key_Space);
    const int column = State().board.column;
    QTest::keyClick(&Window(), Qt::Key_Tab);
    EXPECT_EQ(State().board.column, column - 1);
}

// Rows are bottom-up: the first row in memory is the bottom row on the screen. On a screen of
// twice the density every frame pixel becomes a sharp 2 x 2 square.
TEST_F(GameProgramTest, FrameIsPresentedUprightAndUnsmoothed) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    Picture& frame = *program->Assets().FramePicture();
    // Mark the top-left pixel of the screen in the background, which the title screen copies.
    auto& background = const_cast<Picture&>(*program->Assets().BackgroundPicture());
    std::uint8_t* topLeft = background.Pixels() + std::size_t(frame.Height() - 1) * frame.Stride();
    topLeft[0] = 255; // blue
    topLeft[1] = 0;
    topLeft[2] = 0;

    const QImage shot = Window().Frame().grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_NE(shot.pixel(0, 431), qRgb(0, 0, 255));

    QImage doubled(592, 864, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2);
    doubled.fill(Qt::white);
    Window().Frame().render(&doubled);
    const QRgb neighbour = doubled.pixel(2, 0);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(doubled.pixel(x, y), qRgb(0, 0, 255)) << x << "," << y;
    EXPECT_EQ(doubled.pixel(3, 1), neighbour);
    EXPECT_EQ(neighbour, shot.pixel(1, 0));
}

// A first level picture that does not decode: its box is shown and play goes on over black.
// The falling piece is drawn where it is, and every free cell of the well stays black however
// far the piece has moved.
TEST_F(GameProgramTest, UndecodableLevelPictureLeavesNoTrail) {
    std::vector<AssetStream> streams = Without(SampleAssets(), u"Images", u"Love1");
    streams.push_back({u"Images", u"Love1", {'n', 'o', ' ', 'J', 'P', 'E', 'G'}});
    WriteAssets(streams);
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    ASSERT_EQ(State().playing, 1);
    EXPECT_EQ(sink.shown.size(), 2u) << "one box at start-up, one for the level";
    for (int step = 0; step < 6; ++step) {
        Press(Qt::Key_Up); // one row down
        Press(step % 2 ? Qt::Key_Left : Qt::Key_Right);
    }
    const QImage shot = Window().Frame().grab().toImage();
    int drawn = 0;
    // Row 0 lies under the labels.
    for (int r = 1; r < layout::kWellRows; ++r) {
        for (int c = layout::kFirstWellColumn; c <= layout::kLastWellColumn; ++c) {
            const layout::Point at = layout::WellCell(r, c);
            bool black = true;
            for (int y = 0; y < 20; ++y)
                for (int x = 0; x < 20; ++x)
                    black = black && shot.pixel(int(at.x) + x, int(at.y) + y) == qRgb(0, 0, 0);
            if (State().board.cells[r][c] == 0) {
                EXPECT_TRUE(black) << "cell " << r << ", " << c;
            } else {
                EXPECT_FALSE(black) << "cell " << r << ", " << c;
                ++drawn;
            }
        }
    }
    EXPECT_EQ(drawn, 4);
}

} // namespace
} // namespace wz::test
