#pragma once

// The editor's main window: menu, toolbar, status bar and keys, all built from the command
// tables. Every command is one QAction (its menu item, its button and its keys), connected
// straight to its handler.

#include "LockKeyState.h"
#include "MessageBox.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(wz::MessageBoxSink& messages, QWidget* parent = nullptr);

    // Builds the toolbar and the status bar; 0 on success, -1 when they cannot be made.
    int OnCreate();

    // Connects the action of command id to receiver's handler, for as long as the receiver
    // lives. The handler runs inside the command guard: one that ends by an exception is
    // reported with the generic failure message and the editor goes on. A command connected
    // to nothing does nothing.
    template <typename Receiver, typename Handler>
    void ConnectCommand(int id, Receiver* receiver, Handler handler) {
        ConnectGuarded(id, receiver, [receiver, handler] { std::invoke(handler, receiver); });
    }

    // Runs a command that has no action of its own, such as a pane's button, inside the same
    // guard as the connected ones.
    void RunCommand(const std::function<void()>& command);

    // The caption: the document's title, " - ", the application title.
    void SetDocumentTitle(const QString& title);

    // The action of a command, or null for a number with none.
    QAction* action(int id) const;
    QToolBar* toolBar() const { return toolBar_; }
    QStatusBar* messageBar() const { return statusBar_; }
    const std::array<QLabel*, 3>& indicators() const { return indicators_; }

    // Where the indicators learn the lock keys' state; the window system by default.
    void SetLockKeySource(std::function<LockKeys()> source) { lockKeys_ = std::move(source); }
    void UpdateIndicators();

private:
    void ConnectGuarded(int id, QObject* receiver, std::function<void()> handler);
    void BuildMenu();
    void BindKeys();

    wz::MessageBoxSink& messages_;
    QStatusBar* statusBar_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::array<QLabel*, 3> indicators_{}; // CAP, NUM, SCRL
    std::map<int, QAction*> actions_;
    std::function<LockKeys()> lockKeys_ = QueryLockKeys;
};
