#pragma once

// A virtual X server (Xvfb) of a test's own, for the programs a test runs on a real display.
//
// The server picks a free display itself (-displayfd), so that parallel tests never race for a
// number, and it is only handed out once a client has connected to it: a server that names its
// display and then takes no client is stopped and another started. It never resets: by default
// an X server resets each time its last client leaves, and a client that connects during the
// reset is turned away, which a test that polls with short-lived tools (xdotool, import) before
// its program connects would hit now and then.

#include <filesystem>
#include <string>

namespace wz::testkit {

class VirtualDisplay {
public:
    // A display of one screen of width x height at 24 bits; the server's standard error goes to
    // errorFile, for the report.
    VirtualDisplay(std::filesystem::path errorFile, int width, int height);
    ~VirtualDisplay(); // as Stop
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // Starts servers, up to three, until a client connects to one; false when none took one.
    // Each wait is bounded by milliseconds, against a hang only.
    bool Start(int milliseconds = 240000);
    // ":N", for DISPLAY; empty before a server has been handed out.
    const std::string& Name() const { return name_; }
    // For a failure's message: each server started, the display it named, whether it runs or
    // how it ended, whether its socket is there, and what it wrote on its standard error.
    std::string Report();
    // Ends the server and waits for it.
    void Stop();

private:
    bool StartOne(int milliseconds);
    std::string ServerState();

    std::filesystem::path errorFile_;
    int width_;
    int height_;
    int pid_ = -1;
    int number_ = -1;
    bool ended_ = false;
    int status_ = 0; // the wait status, once the server has ended
    std::string name_;
    std::string history_; // what became of the servers before this one
};

// Whether an X client connects to display number and is accepted, through both of the server's
// local sockets (the abstract one, which clients try first, and the file in /tmp/.X11-unix).
bool XClientConnects(int number, int milliseconds);

} // namespace wz::testkit
