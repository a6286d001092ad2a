#pragma once

// The seam through which model code asks for a message box. The Qt programs show a real
// QMessageBox; tests record the requests and compare them word for word.

#include <string>

namespace wz {

enum class MessageIcon { None, Stop, Exclamation };

// Who owns the box: nobody, or the program's active window if there is one.
enum class MessageOwner { None, ActiveWindow };

struct MessageBoxRequest {
    std::string caption; // UTF-8
    std::string text;    // UTF-8, lines separated by '\n'
    MessageIcon icon = MessageIcon::None;
    MessageOwner owner = MessageOwner::ActiveWindow;
};

inline bool operator==(const MessageBoxRequest& a, const MessageBoxRequest& b) {
    return a.caption == b.caption && a.text == b.text && a.icon == b.icon && a.owner == b.owner;
}

// The button that closed a question.
enum class MessageAnswer { Yes, No };

class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    // Shows one box with a single OK button and returns when it is closed.
    virtual void ShowMessage(const MessageBoxRequest& request) = 0;
    // Shows one box with the buttons Yes and No and returns the one pressed; closing the box
    // answers No. A sink that cannot ask only shows the text and answers No, the answer that
    // changes nothing.
    virtual MessageAnswer Ask(const MessageBoxRequest& request) {
        ShowMessage(request);
        return MessageAnswer::No;
    }
};

} // namespace wz
