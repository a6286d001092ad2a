#pragma once

// Takes every key event of the program while it is installed, before any window sees it: the
// Control Keys dialog captures new bindings with it. No key reaches a window meanwhile (not the
// dialog, not the game window, not a shortcut), so Enter, Escape and the arrows cannot work the
// dialog during a definition. Presses, auto-repeats and releases all go to the handler, with
// the virtual-key code the game would see for the key (0 for a key that has none).

#include <QObject>

#include <functional>

namespace wz {

class KeyCaptureFilter : public QObject {
public:
    using Handler = std::function<void(int virtualKey, bool released, bool autoRepeat)>;

    explicit KeyCaptureFilter(Handler handler);
    ~KeyCaptureFilter() override;
    KeyCaptureFilter(const KeyCaptureFilter&) = delete;
    KeyCaptureFilter& operator=(const KeyCaptureFilter&) = delete;

    // Installs the filter on the application; may be called from the handler to stop.
    void Install();
    void Remove();
    bool Installed() const { return installed_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler handler_;
    bool installed_ = false;
};

} // namespace wz
