#pragma once

// Message boxes shown with QMessageBox: one OK button, the caption and text of the request,
// Stop as the critical icon and Exclamation as the warning icon, owned by the program's active
// window when the request asks for it and there is one.

#include "MessageBox.h"

class QWidget;

namespace wz {

class QtMessageBoxes : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest& request) override;

    // The widget that owns a box of this request: the active window or none.
    static QWidget* OwnerFor(const MessageBoxRequest& request);
};

} // namespace wz
