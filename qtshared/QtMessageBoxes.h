#pragma once

// Message boxes shown with QMessageBox, for both programs: the caption and text of the request
// as plain text, Stop as the critical icon and Exclamation as the warning icon, owned by the
// program's active window when the request asks for it and there is one. A message has one OK
// button; a question Yes and No, with No as the default.

#include "MessageBox.h"

class QWidget;

namespace wz {

class QtMessageBoxes : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest& request) override;
    MessageAnswer Ask(const MessageBoxRequest& request) override;

    // The widget that owns a box of this request: the active window or none.
    static QWidget* OwnerFor(const MessageBoxRequest& request);
};

} // namespace wz
