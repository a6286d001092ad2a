#include "CWZolvikCreatorApp.h"

#include "CAboutDlg.h"
#include "CMainFrame.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "EditorCommands.h"
#include "EditorTexts.h"
#include "PreviewDock.h"

#include "WaitCursor.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QProgressDialog>

#include <algorithm>

CWZolvikCreatorApp::CWZolvikCreatorApp(wz::MessageBoxSink* messages)
    : messages_(messages != nullptr ? *messages : boxes_) {}

CWZolvikCreatorApp::~CWZolvikCreatorApp() = default;

bool CWZolvikCreatorApp::InitInstance(const QStringList& arguments) {
    // Qt draws its controls in the platform's own look and needs no object libraries, so the
    // first two steps of a Windows start have nothing to do here. The settings keep no list
    // of recent files; they live under the editor's name.
    QCoreApplication::setOrganizationName(QStringLiteral("WinZolvik"));
    QCoreApplication::setApplicationName(QStringLiteral("WZolvikCreator"));

    // The single-document template: the document, the frame and the view in its client area.
    document_ = std::make_unique<CWZolvikCreatorDoc>(messages_);
    frame_ = std::make_unique<CMainFrame>(messages_);
    if (frame_->OnCreate() != 0) {
        return false;
    }
    view_ = new CWZolvikCreatorView(*document_, messages_, frame_.get());
    frame_->setCentralWidget(view_);
    preview_ = new PreviewDock(*frame_, *view_);
    ConnectCommands();
    view_->SetSlotMenuActions({frame_->action(wz::ID_FILE_CHOOSE), frame_->action(wz::ID_FILE_FIT),
                               frame_->action(wz::ID_FILE_EXPORT),
                               frame_->action(wz::ID_VIEW_TRY)});
    // The fit commands apply to pending pictures the game cannot show; they follow the
    // selection and every change of the lists.
    connect(view_, &QTreeWidget::currentItemChanged, this, &CWZolvikCreatorApp::UpdateFitActions);
    connect(view_, &CWZolvikCreatorView::slotMenuAboutToShow, this,
            &CWZolvikCreatorApp::UpdateFitActions);
    connect(document_.get(), &CWZolvikCreatorDoc::titleChanged, frame_.get(),
            &CMainFrame::SetDocumentTitle);
    connect(view_, &CWZolvikCreatorView::closeRequested, frame_.get(), &QWidget::close,
            Qt::QueuedConnection);

    // The ".stg" document type is offered to the desktop by the installed desktop entry and
    // MIME type, not registered at every start.

    // No argument: a new document. A file argument opens it, though the document reads
    // nothing from it; one that cannot be opened ends the start.
    if (arguments.size() > 1) {
        if (!document_->OnOpenDocument(arguments.at(1))) {
            messages_.ShowMessage(
                {std::string(wz::kEditorTitle),
                 wz::FillPlaceholders(wz::kCommandFailedMessage,
                                      "cannot open " + arguments.at(1).toStdString()),
                 wz::MessageIcon::Exclamation, wz::MessageOwner::None});
            return false;
        }
    } else {
        document_->OnNewDocument();
    }
    view_->OnInitialUpdate();
    preview_->RestoreVisibility();

    frame_->show();
    frame_->repaint();
    return true;
}

// Every command's action, whether chosen from the menu, the toolbar or by its keys, runs its
// handler here. The edit, help and pane keys are connected to nothing and so do nothing.
void CWZolvikCreatorApp::ConnectCommands() {
    CMainFrame& frame = *frame_;
    CWZolvikCreatorDoc* document = document_.get();
    frame.ConnectCommand(wz::ID_FILE_RESTORE, document, &CWZolvikCreatorDoc::RestoreLastCopy);
    frame.ConnectCommand(wz::ID_FILE_SAVE_CHANGES, document, &CWZolvikCreatorDoc::SaveChanges);
    frame.ConnectCommand(wz::ID_FILE_EXPORT, view_, &CWZolvikCreatorView::ExportSlot);
    frame.ConnectCommand(wz::ID_FILE_CHOOSE, view_, &CWZolvikCreatorView::ChooseFile);
    frame.ConnectCommand(wz::ID_FILE_FIT, preview_, &PreviewDock::BeginFit);
    frame.ConnectCommand(wz::ID_FILE_FIT_ALL, this, &CWZolvikCreatorApp::OnFitAll);
    frame.ConnectCommand(wz::ID_APP_EXIT, &frame, &QWidget::close);
    frame.ConnectCommand(wz::ID_VIEW_PICTURES, document, &CWZolvikCreatorDoc::ShowPictures);
    frame.ConnectCommand(wz::ID_VIEW_MUSIC, document, &CWZolvikCreatorDoc::ShowMusic);
    frame.ConnectCommand(wz::ID_VIEW_REVERT_CURRENT, document, &CWZolvikCreatorDoc::RevertCurrent);
    frame.ConnectCommand(wz::ID_VIEW_EXPLORER, view_, &CWZolvikCreatorView::StartExplorer);
    frame.ConnectCommand(wz::ID_VIEW_ZOLVIK, view_, &CWZolvikCreatorView::StartGame);
    frame.ConnectCommand(wz::ID_VIEW_TRY, view_, &CWZolvikCreatorView::TryInGame);
    frame.ConnectCommand(wz::ID_VIEW_PREVIEW, preview_, &PreviewDock::OnViewPreview);
    frame.ConnectCommand(wz::ID_APP_ABOUT, this, &CWZolvikCreatorApp::OnAppAbout);
    frame.ConnectCommand(wz::ID_FILE_NEW, this, &CWZolvikCreatorApp::OnFileNew);
    frame.ConnectCommand(wz::ID_FILE_OPEN, this, &CWZolvikCreatorApp::OnFileOpen);
}

void CWZolvikCreatorApp::UpdateFitActions() {
    const wz::AssetUpdate& update = document_->assetUpdate();
    const wz::SlotLists& lists = update.lists();
    frame_->action(wz::ID_FILE_FIT_ALL)->setEnabled(!update.SlotsToFit().empty());
    const QTreeWidgetItem* item = view_->currentItem();
    frame_->action(wz::ID_FILE_FIT)
        ->setEnabled(lists.showingPictures && item != nullptr && item->parent() != nullptr &&
                     update.CanFit(view_->CurrentSlot()));
}

// Fit All: every failing picture where its interest lies, a few seconds for a folder of
// camera photos, with a progress dialog that can stop it between two pictures.
void CWZolvikCreatorApp::OnFitAll() {
    QProgressDialog progress(QStringLiteral("Fitting pictures… (Подгонка картинок…)"),
                             QStringLiteral("Stop (Стоп)"), 0, 1, frame_.get());
    progress.setWindowTitle(QStringLiteral("WZolvikCreator"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    const WaitCursor waiting;
    document_->FitAllPictures([&progress](int done, int total) {
        progress.setMaximum(std::max(total, 1));
        progress.setValue(done);
        return !progress.wasCanceled();
    });
}

void CWZolvikCreatorApp::OnAppAbout() {
    CAboutDlg about(frame_.get());
    about.exec();
}

// The standard new command: the same document and view start over.
void CWZolvikCreatorApp::OnFileNew() {
    if (document_->OnNewDocument()) {
        view_->OnInitialUpdate();
    }
}

// The standard open command asks for a document and reads nothing from it; the view then
// starts over as after New.
void CWZolvikCreatorApp::OnFileOpen() {
    const QString file = QFileDialog::getOpenFileName(frame_.get(), QString(), QString(),
                                                      QStringLiteral("WZolvi Files (*.stg)"));
    if (!file.isEmpty() && document_->OnOpenDocument(file)) {
        view_->OnInitialUpdate();
    }
}
