#pragma once

// The guard every command runs in: a command that ends by an exception is reported in one
// message box and the editor goes on.

#include "MessageBox.h"

#include <functional>

namespace wz {

// Runs the command. An exception that leaves it shows the generic failure message with its
// reason; true when the command ran to its end.
bool RunCommand(MessageBoxSink& messages, const std::function<void()>& command);

} // namespace wz
