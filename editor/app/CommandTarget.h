#pragma once

// Commands travel by number from the menu, the toolbar and the keys to the first object that
// handles them: the view, the frame, then the application.

namespace wz {

class CommandTarget {
public:
    virtual ~CommandTarget() = default;
    // Runs the command and answers true when this object handles it.
    virtual bool OnCmdMsg(int id) = 0;
};

} // namespace wz
