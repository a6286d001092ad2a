#pragma once

// The editor's main window: menu, toolbar, status bar and keys, all built from the command
// tables, and the dispatcher that hands each command to the first object that handles it.

#include "CommandTarget.h"
#include "LockKeyState.h"
#include "MessageBox.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QStatusBar;
class QToolBar;

class CMainFrame : public QMainWindow, public wz::CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(wz::MessageBoxSink& messages, QWidget* parent = nullptr);

    // Builds the toolbar and the status bar; 0 on success, -1 when they cannot be made.
    int OnCreate();

    // Command targets asked after the frame's own commands: the view first, then the
    // application.
    void AddCommandTarget(wz::CommandTarget* target) { targets_.push_back(target); }

    // Runs a command by number. A command that ends by an exception is reported with the
    // generic failure message and the editor goes on.
    void OnCommand(int id);
    bool OnCmdMsg(int id) override;

    // The caption: the document's title, " - ", the application title.
    void SetDocumentTitle(const QString& title);

    QAction* action(int id) const;
    QToolBar* toolBar() const { return m_wndToolBar; }
    QStatusBar* messageBar() const { return m_wndStatusBar; }
    const std::array<QLabel*, 3>& indicators() const { return indicators_; }

    // Where the indicators learn the lock keys' state; the window system by default.
    void SetLockKeySource(std::function<LockKeys()> source) { lockKeys_ = std::move(source); }
    void UpdateIndicators();

private:
    void BuildMenu();
    void BindKeys();

    wz::MessageBoxSink& messages_;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    std::array<QLabel*, 3> indicators_{}; // CAP, NUM, SCRL
    std::map<int, QAction*> actions_;
    std::vector<wz::CommandTarget*> targets_;
    std::function<LockKeys()> lockKeys_ = QueryLockKeys;
};
