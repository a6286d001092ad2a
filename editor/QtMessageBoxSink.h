#pragma once

// Shows the editor's messages in real message boxes.

#include "MessageBox.h"

class QWidget;

namespace wz {

class QtMessageBoxSink : public MessageBoxSink {
public:
    void ShowMessage(const MessageBoxRequest& request) override;
    MessageAnswer Ask(const MessageBoxRequest& request) override;
};

} // namespace wz
