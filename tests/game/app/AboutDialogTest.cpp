#include "DialogTestSupport.h"

#include "AboutDialog.h"
#include "GameArt.h"
#include "MenuCommands.h"

namespace wz::test {
namespace {

// The About dialog shows the 250 x 224 picture whole, pixel for pixel, and every way of
// closing it counts as OK.
TEST(AboutDialog, ShowsThePictureAndClosesWithOk) {
    struct Close {
        const char* name;
        std::function<void(QDialog&)> close;
    };
    const Close closes[] = {
        {"Enter", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Return); }},
        {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
        {"close button", [](QDialog& d) { d.close(); }},
    };
    for (const Close& c : closes) {
        SCOPED_TRACE(c.name);
        AboutDialog dialog(nullptr);
        EXPECT_EQ(dialog.windowTitle(), "About WinZolvik");
        EXPECT_FALSE(dialog.windowIcon().isNull());
        DialogScript script([&](QDialog& open) {
            EXPECT_EQ(open.size(), QSize(250, 224));
            const QImage shot = open.grab().toImage().convertToFormat(QImage::Format_RGB888);
            EXPECT_EQ(shot, AboutPicture().convertToFormat(QImage::Format_RGB888));
            c.close(open);
        });
        EXPECT_EQ(dialog.exec(), QDialog::Accepted);
        EXPECT_TRUE(script.Ran());
    }
}

// Help, About WinZolvik opens it over the game window.
TEST_F(DialogProgramTest, AboutFromTheMenu) {
    ASSERT_TRUE(StartWithDialogs());
    QString caption;
    DialogScript script([&](QDialog& dialog) {
        caption = dialog.windowTitle();
        EXPECT_EQ(dialog.parentWidget(), &Window());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    Command(kCommandAbout);
    EXPECT_TRUE(script.Ran());
    EXPECT_EQ(caption, "About WinZolvik");
}

} // namespace
} // namespace wz::test
