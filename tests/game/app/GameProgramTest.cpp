#include "GameProgramFixture.h"

#include "AssetLoader.h"
#include "CompoundStorage.h"
#include "DisplayCheck.h"
#include "MenuCommands.h"
#include "SettingsFile.h"

#include <QAction>
#include <QTimer>

namespace wz::test {
namespace {

// True when the image shows the picture pixel for pixel, the picture's rows being bottom-up.
bool ShowsPicture(const QImage& shot, const Picture& picture) {
    if (shot.width() != picture.Width() || shot.height() != picture.Height())
        return false;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row =
            picture.Pixels() + std::size_t(picture.Height() - 1 - y) * picture.Stride();
        for (int x = 0; x < picture.Width(); ++x) {
            const QRgb pixel = shot.pixel(x, y);
            if (qBlue(pixel) != row[3 * x] || qGreen(pixel) != row[3 * x + 1] ||
                qRed(pixel) != row[3 * x + 2])
                return false;
        }
    }
    return true;
}

// The program starts on the title screen: the title picture exactly as decoded, the window
// shown with its option marks, the title timer at 50 ms, and nothing reported.
TEST_F(GameProgramTest, StartsOnTheTitleScreen) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(State().playing, 0);
    EXPECT_EQ(State().musicAllowed, 1);
    EXPECT_EQ(State().musicOpen, 1);
    EXPECT_EQ(State().titleTimer, 1);
    EXPECT_EQ(Window().ArmedTimers(), (std::map<std::int32_t, std::int32_t>{{1, 50}}));
    EXPECT_TRUE(Window().MenuAction(kCommandSound)->isChecked());
    EXPECT_TRUE(Window().MenuAction(kCommandMusic)->isChecked());
    EXPECT_FALSE(Window().MenuAction(kCommandPauseGame)->isChecked());
    EXPECT_EQ(TempFileCount(), 2u);

    const QImage shot = Window().Frame().grab().toImage();
    EXPECT_TRUE(ShowsPicture(shot, *program->Assets().BackgroundPicture()));
    EXPECT_EQ(shot.pixelColor(0, 0).red(), PictureColour(0).r);
}

// Without the asset file: the fatal message, no window, exit code -1, no temporary file.
TEST_F(GameProgramTest, MissingAssetFileEndsAtOnce) {
    EXPECT_EQ(RunGameProgram(sink, dialogs, setup), -1);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].caption, "WinZolvik");
    EXPECT_EQ(sink.shown[0].text,
              "Fatal Error: File WinData.stg missing or corrupt !!!\nThe Game is done !!!");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Stop);
    EXPECT_EQ(TempFileCount(), 0u);

    ASSERT_FALSE(Start());
    EXPECT_FALSE(Window().isVisible());
    EXPECT_FALSE(std::filesystem::exists(setup.settingsFile));
}

// A display of 256 colours or fewer is refused before anything is loaded.
TEST_F(GameProgramTest, ShallowDisplayIsRefused) {
    WriteAssets(SampleAssets());
    for (int depth : {1, 4, 8}) {
        sink.shown.clear();
        setup.displayDepth = depth;
        EXPECT_FALSE(Start()) << depth;
        EXPECT_FALSE(Window().isVisible());
        ASSERT_EQ(sink.shown.size(), 1u);
        EXPECT_EQ(sink.shown[0], DisplayTooShallowMessage());
        EXPECT_EQ(TempFileCount(), 0u);
    }
    EXPECT_EQ(DisplayTooShallowMessage().caption, "Error initialize display");
    EXPECT_EQ(DisplayTooShallowMessage().text,
              "Error: You must have more than 256 colors\n               for play this Game "
              "!!!\n\nSet Hi-Color or True-Color videomode !!!");
    EXPECT_EQ(DisplayTooShallowMessage().owner, MessageOwner::None);
    setup.displayDepth = 16;
    EXPECT_TRUE(Start());
}

// Space starts a game over the first level picture; the bound keys move the piece, auto-repeat
// included; the fall timer steps it down; Drop lands it.
TEST_F(GameProgramTest, SpaceStartsAGameAndKeysPlayIt) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    ASSERT_EQ(State().playing, 1);
    EXPECT_EQ(Window().ArmedTimers(), (std::map<std::int32_t, std::int32_t>{{1, 850}}));
    const QImage shot = Window().Frame().grab().toImage();
    EXPECT_EQ(shot.pixelColor(2, 300).green(), PictureColour(1).g);

    const int column = State().board.column;
    Press(Qt::Key_Left);
    EXPECT_EQ(State().board.column, column - 1);
    Press(Qt::Key_Left, true);
    EXPECT_EQ(State().board.column, column - 2);
    Press(Qt::Key_Right);
    EXPECT_EQ(State().board.column, column - 1);

    // The real fall timer moves the piece down by itself.
    const int row = State().board.row;
    QTest::qWait(1000);
    EXPECT_GE(State().board.row, row + 1);

    // The Down arrow is the default Drop key.
    Press(Qt::Key_Down);
    EXPECT_EQ(State().board.row, 0);
    int filled = 0;
    for (int r = 14; r < 18; ++r)
        for (int c = 1; c <= 12; ++c)
            filled += State().board.cells[r][c] != 0;
    EXPECT_EQ(filled, 4);
}

// Another program taking the keyboard pauses the game, with the check mark; coming back does
// not resume it.
TEST_F(GameProgramTest, LosingActivationPauses) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    ASSERT_EQ(State().paused, 0);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    QApplication::processEvents();
    EXPECT_EQ(State().paused, 1);
    EXPECT_TRUE(Window().MenuAction(kCommandPauseGame)->isChecked());
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    QApplication::processEvents();
    EXPECT_EQ(State().paused, 1);
}

// Exit Game ends the event loop with code 0 through the ordinary close; at the end no
// temporary file is left and nothing was saved.
TEST_F(GameProgramTest, ExitGameEndsTheProgram) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    const auto settingsBefore = FileBytes(setup.settingsFile);
    QTimer::singleShot(0, [this] { Window().MenuAction(kCommandExitGame)->trigger(); });
    // Ends the test if the program never ends; gone with the test, so it cannot end another.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(99); });
    watchdog.start(20000);
    const int code = QApplication::exec();
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(Window().Destroyed());
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(Window().ArmedTimers().empty());
    EXPECT_EQ(State().musicOpen, 0);
    EXPECT_EQ(program->Finish(code), 0);
    EXPECT_EQ(TempFileCount(), 0u);
    EXPECT_EQ(FileBytes(setup.settingsFile), settingsBefore);
}

// Missing sound or music data is reported once at start-up and the game runs without it; the
// Music message comes again at every track change.
TEST_F(GameProgramTest, MissingSoundOrMusicIsReportedAndPlayGoesOn) {
    WriteAssets(Without(SampleAssets(), u"Sound"));
    ASSERT_TRUE(Start());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], NoSoundMessage());
    Press(Qt::Key_Space);
    Press(Qt::Key_Down);
    EXPECT_EQ(State().playing, 1);
    Command(kCommandSound);
    EXPECT_FALSE(Window().MenuAction(kCommandSound)->isChecked());
    EXPECT_EQ(sink.shown.size(), 1u);
    program.reset();

    sink.shown.clear();
    WriteAssets(Without(SampleAssets(), u"Music"));
    ASSERT_TRUE(Start());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], NoMusicMessage());
    EXPECT_EQ(State().musicOpen, 0);
    Press(Qt::Key_Space);
    EXPECT_EQ(State().playing, 1);
    EXPECT_EQ(sink.shown.size(), 2u);
    EXPECT_EQ(TempFileCount(), 1u);
}

// The first start writes the default settings; Sound and Music flip their marks and are
// written at once; a file of the wrong size is replaced by the defaults.
TEST_F(GameProgramTest, SettingsFileFollowsTheOptions) {
    WriteAssets(SampleAssets());
    ASSERT_TRUE(Start());
    auto bytes = FileBytes(setup.settingsFile);
    ASSERT_EQ(bytes.size(), 358u);
    const std::vector<std::uint8_t> head(bytes.begin(), bytes.begin() + 5);
    EXPECT_EQ(head, (std::vector<std::uint8_t>{0x26, 0x28, 0x25, 0x27, 0x20}));
    EXPECT_EQ(bytes[65], 1);
    EXPECT_EQ(bytes[69], 1);

    Command(kCommandMusic);
    EXPECT_FALSE(Window().MenuAction(kCommandMusic)->isChecked());
    EXPECT_EQ(State().musicOpen, 0);
    EXPECT_EQ(FileBytes(setup.settingsFile)[65], 0);
    Command(kCommandSound);
    EXPECT_FALSE(Window().MenuAction(kCommandSound)->isChecked());
    EXPECT_EQ(FileBytes(setup.settingsFile)[69], 0);
    Command(kCommandSound);
    EXPECT_TRUE(Window().MenuAction(kCommandSound)->isChecked());
    EXPECT_EQ(FileBytes(setup.settingsFile)[69], 1);
    program.reset();

    // Music off is kept: the next start is silent and unmarked.
    ASSERT_TRUE(Start());
    EXPECT_FALSE(Window().MenuAction(kCommandMusic)->isChecked());
    EXPECT_EQ(State().musicOpen, 0);
    program.reset();

    for (std::size_t size : {357u, 359u}) {
        bytes = FileBytes(setup.settingsFile);
        bytes.resize(size, 0);
        std::ofstream(setup.settingsFile, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(Start());
        EXPECT_TRUE(Window().MenuAction(kCommandMusic)->isChecked()) << size;
        EXPECT_EQ(FileBytes(setup.settingsFile), [] {
            const SettingsBytes d = EncodeSettings(GameState{});
            return std::vector<std::uint8_t>(d.begin(), d.end());
        }()) << size;
        program.reset();
    }
    EXPECT_TRUE(sink.shown.empty());
}

// A pack from another folder is played in place of the player's asset file, at the level asked
// for: that level's picture from the pack and its fall period. The pack is held as the asset
// file is, writers denied, and never written; the player's own asset file is not opened at all,
// and the settings stay the player's. A pack that cannot be read is named in the message.
TEST_F(GameProgramTest, PlaysAPackFromAnotherFolderAtALevel) {
    WriteAssets(SampleAssets());
    const std::vector<std::uint8_t> settings = [] {
        GameState own;
        own.highScores[0] = 4200;
        const SettingsBytes bytes = EncodeSettings(own);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    }();
    std::ofstream(setup.settingsFile, std::ios::binary)
        .write(reinterpret_cast<const char*>(settings.data()),
               static_cast<std::streamsize>(settings.size()));
    const std::filesystem::path ownAssets = setup.assetFile;
    const std::vector<std::uint8_t> ownBytes = FileBytes(ownAssets);

    const content::Rgb packColour{30, 230, 200};
    std::vector<AssetStream> pack = Without(SampleAssets(), u"Images", u"Love7");
    pack.push_back({u"Images", u"Love7", SolidJpeg(296, 432, packColour)});
    const std::filesystem::path packFile = folder / "packs" / "Spring.stg";
    std::filesystem::create_directory(packFile.parent_path());
    ASSERT_TRUE(WriteAssetFile(packFile, pack));
    const std::vector<std::uint8_t> packBytes = FileBytes(packFile);

    setup.assetFile = packFile;
    setup.assetName = "Spring.stg";
    setup.startLevel = 7;
    ASSERT_TRUE(Start());
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(State().playing, 1);
    EXPECT_EQ(State().board.level, 7);
    EXPECT_EQ(State().board.score, 6000);
    EXPECT_EQ(State().highScores[0], 4200);
    EXPECT_EQ(Window().ArmedTimers(), (std::map<std::int32_t, std::int32_t>{{1, 440}}));
    const QImage shot = Window().Frame().grab().toImage();
    const QColor shown = shot.pixelColor(2, 300);
    EXPECT_NEAR(shown.red(), packColour.r, 2);
    EXPECT_NEAR(shown.green(), packColour.g, 2);
    EXPECT_NEAR(shown.blue(), packColour.b, 2);

    CompoundStorage writer;
    EXPECT_FALSE(writer.Open(packFile, false, false)) << "the pack is held with writers denied";
    EXPECT_TRUE(writer.Open(ownAssets, false, false)) << "the player's file is left alone";
    writer.CloseAll();

    Command(kCommandExitGame);
    program.reset();
    EXPECT_EQ(FileBytes(packFile), packBytes);
    EXPECT_EQ(FileBytes(ownAssets), ownBytes);
    EXPECT_EQ(FileBytes(setup.settingsFile), settings);
    EXPECT_EQ(TempFileCount(), 0u);

    std::filesystem::remove(packFile);
    ASSERT_FALSE(Start());
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text,
              "Fatal Error: File Spring.stg missing or corrupt !!!\nThe Game is done !!!");
}

// A picture missing at run time ends the game through the ordinary close, after the fatal
// message; the level goes on until the window has gone.
TEST_F(GameProgramTest, MissingLevelPictureClosesTheGame) {
    WriteAssets(Without(SampleAssets(), u"Images", u"Love2"));
    ASSERT_TRUE(Start());
    Press(Qt::Key_Space);
    // The first level is done; the confirming key moves on to the second.
    State().board.level = 2;
    State().levelComplete = 1;
    Press(Qt::Key_Space);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0], AssetFileFatalMessage());
    EXPECT_EQ(State().pictureIndex, 1);
    QApplication::processEvents();
    EXPECT_TRUE(Window().Destroyed());
    EXPECT_FALSE(Window().isVisible());
    EXPECT_TRUE(Window().ArmedTimers().empty());
}

} // namespace
} // namespace wz::test
