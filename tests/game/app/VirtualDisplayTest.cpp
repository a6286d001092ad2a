// The tests' own X server: handed out only once it accepts clients, and still accepting them
// after many have come and gone; a server that cannot be had is reported in its own words.

#include "VirtualDisplay.h"
#include "ChildProcess.h"
#include "ScratchFolder.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

namespace wz::test {
namespace {

using testkit::VirtualDisplay;

bool HaveTools() {
    return !QStandardPaths::findExecutable("Xvfb").isEmpty() &&
           !QStandardPaths::findExecutable("xdotool").isEmpty();
}

// Clients that connect one after another, as a test polling with xdotool does, are each taken:
// a server that resets when its last client leaves turns some of them away.
TEST(VirtualDisplayTest, TakesClientAfterClient) {
    if (!HaveTools())
        GTEST_SKIP() << "needs Xvfb and xdotool";
    testkit::ScratchFolder folder;
    VirtualDisplay display(folder / "xvfb", 640, 560);
    ASSERT_TRUE(display.Start()) << display.Report();
    std::string size;
    EXPECT_EQ(testkit::RunProgram(
                  {"env", "DISPLAY=" + display.Name(), "xdotool", "getdisplaygeometry"}, &size),
              0)
        << display.Report();
    EXPECT_EQ(size, "640 560\n");
    const int number = std::stoi(display.Name().substr(1));
    int refused = 0;
    for (int client = 0; client < 200; ++client)
        refused += testkit::XClientConnects(number, 240000) ? 0 : 1;
    EXPECT_EQ(refused, 0) << display.Report();

    // Once stopped, the display takes no client and its socket is gone.
    display.Stop();
    EXPECT_FALSE(testkit::XClientConnects(number, 240000));
    EXPECT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number)));
}

// A screen the server cannot make: no display is handed out, and the report gives each
// server's end and what it wrote.
TEST(VirtualDisplayTest, ReportsAServerThatCannotStart) {
    if (!HaveTools())
        GTEST_SKIP() << "needs Xvfb";
    testkit::ScratchFolder folder;
    VirtualDisplay display(folder / "xvfb", 0, 0);
    EXPECT_FALSE(display.Start());
    EXPECT_TRUE(display.Name().empty());
    const std::string report = display.Report();
    std::size_t servers = 0;
    for (std::size_t at = report.find("named no display"); at != std::string::npos;
         at = report.find("named no display", at + 1))
        ++servers;
    EXPECT_EQ(servers, 3u) << report;
    EXPECT_NE(report.find("it was ended by signal"), std::string::npos) << report;
    EXPECT_NE(report.find("Fatal server error"), std::string::npos) << report;
}

} // namespace
} // namespace wz::test
