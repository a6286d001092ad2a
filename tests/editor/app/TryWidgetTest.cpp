#include "EditorCommands.h"
#include "EditorWindowFixture.h"
#include "GameTrials.h"
#include "TerminationSignals.h"

#include <QTest>
#include <QTimer>

#include <csignal>
#include <fstream>
#include <functional>
#include <sys/types.h>

namespace {

namespace fs = std::filesystem;
using namespace wztest;

class TryTest : public EditorWindowTest {
protected:
    // The game: a stand-in that says how it was started, then holds its pack as the game holds
    // its asset file, until it is ended.
    void SetUp() override {
        EditorWindowTest::SetUp();
        WriteScript(own / "WinZolvik", "echo $$ > \"$PWD/game-pid\"\n"
                                       "printf '%s\\n' \"$@\" > \"$PWD/args\" && "
                                       "mv \"$PWD/args\" \"$PWD/game-args\"\n"
                                       "for last; do :; done\n"
                                       "exec '" WZ_HOLD_ASSET "' \"$last\"");
    }

    std::vector<std::string> Lines(const fs::path& file) const {
        std::ifstream in(file);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder own{"wzgame"};
    TempFolder temp{"wztry"};
    wz::testkit::TmpdirOverride tmpdir{temp.path()};
};

// Try in Game starts the game in the editor's folder on a pack of what the author has now, at
// the current slot's level, leaving the asset file and the pending changes alone. The pack
// goes when that game ends, when the editor ends, and when a signal ends the editor; a game
// the editor started to try ends with it.
TEST_F(TryTest, ThePackGoesWithItsGameOrWithTheEditor) {
    struct Row {
        const char* what;
        int slot;
        std::vector<std::string> level;
        std::function<void(pid_t)> end;
    };
    const Row rows[] = {
        {"the game ends",
         11,
         {"--level", "12"},
         [this](pid_t game) {
             ASSERT_EQ(::kill(game, SIGTERM), 0);
             for (int i = 0; i < 200 && view->trials().running() > 0; ++i) {
                 QTest::qWait(50);
             }
             EXPECT_EQ(view->trials().running(), 0);
         }},
        {"the editor ends", 21, {}, [this](pid_t) { app.reset(); }},
        {"a signal ends the editor",
         20,
         {"--level", "20"},
         [this](pid_t) {
             // As the editor's program handles them.
             const wz::TerminationSignals stopSignals([](int) { QApplication::exit(0); });
             QTimer::singleShot(0, [] { ::raise(SIGHUP); });
             QApplication::exec();
             EXPECT_EQ(stopSignals.Received(), SIGHUP);
             app.reset();
         }},
    };
    const Bytes picture = Pattern(6000, 12);
    WriteFile(folder / "new.jpg", picture);
    const Bytes stored = ReadFile(folder / "WinData.stg");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        fs::remove(folder / "game-args");
        ASSERT_TRUE(Start());
        view->SetProgramFolder(QString::fromStdString(own.path().string()));
        document->DropFiles(11, {(folder / "new.jpg").string()});
        view->setCurrentItem(Slot(r.slot));
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F5, Qt::ControlModifier);
        ASSERT_TRUE(WaitForFile(folder / "game-args"));

        std::vector<std::string> arguments = Lines(folder / "game-args");
        ASSERT_FALSE(arguments.empty());
        const fs::path pack = arguments.back();
        arguments.pop_back();
        EXPECT_EQ(arguments, r.level);
        EXPECT_EQ(pack.parent_path(), temp.path());
        EXPECT_EQ(ReadAssetFile(pack).at("Images/Love12"), picture);
        EXPECT_EQ(ReadFile(folder / "WinData.stg"), stored);
        EXPECT_TRUE(document->lists().pictureChanged[11]);
        EXPECT_EQ(view->trials().running(), 1);
        EXPECT_EQ(sink.asked.size(), 1u) << "the pattern would not play";
        EXPECT_TRUE(sink.shown.empty());
        sink = {};

        const auto game = static_cast<pid_t>(std::stoi(Lines(folder / "game-pid").at(0)));
        r.end(game);
        EXPECT_FALSE(fs::exists(pack));
        EXPECT_NE(::kill(game, 0), 0) << "the game has ended and been waited for";
    }
}

} // namespace
