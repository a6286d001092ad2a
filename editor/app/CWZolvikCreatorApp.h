#pragma once

// The application object: it starts the editor in its fixed order, creating the frame, the
// document and the view, connects each command to its handler, and handles About, New,
// Open and Fit All.

#include "QtMessageBoxes.h"

#include <QObject>
#include <QStringList>

#include <memory>

class CMainFrame;
class CWZolvikCreatorDoc;
class CWZolvikCreatorView;
class PreviewDock;

class CWZolvikCreatorApp : public QObject {
    Q_OBJECT
public:
    // Messages go to real message boxes unless a sink is given.
    explicit CWZolvikCreatorApp(wz::MessageBoxSink* messages = nullptr);
    ~CWZolvikCreatorApp() override;

    // The start-up; false when it fails and the program must end. arguments are the
    // program's command line, the program's own name first.
    bool InitInstance(const QStringList& arguments);

    void OnAppAbout();
    void OnFileNew();
    void OnFileOpen();
    // Fit All Pictures, with its progress.
    void OnFitAll();
    // Enables the fit commands where they apply.
    void UpdateFitActions();

    CMainFrame* frame() const { return frame_.get(); }
    CWZolvikCreatorDoc* document() const { return document_.get(); }
    CWZolvikCreatorView* view() const { return view_; }
    PreviewDock* preview() const { return preview_; }

private:
    void ConnectCommands();

    wz::QtMessageBoxes boxes_;
    wz::MessageBoxSink& messages_;
    std::unique_ptr<CWZolvikCreatorDoc> document_;
    std::unique_ptr<CMainFrame> frame_;
    CWZolvikCreatorView* view_ = nullptr; // owned by the frame
    PreviewDock* preview_ = nullptr;      // owned by the frame
};
