#include "CommandGuard.h"

#include "EditorTexts.h"

#include <exception>
#include <new>

namespace wz {

bool RunCommand(MessageBoxSink& messages, const std::function<void()>& command) {
    std::string reason;
    try {
        command();
        return true;
    } catch (const std::bad_alloc&) {
        reason = "out of memory";
    } catch (const std::exception& e) {
        reason = e.what();
    } catch (...) {
        reason = "unknown error";
    }
    messages.ShowMessage({std::string(kEditorTitle),
                          FillPlaceholders(kCommandFailedMessage, reason), MessageIcon::Exclamation,
                          MessageOwner::ActiveWindow});
    return false;
}

} // namespace wz
