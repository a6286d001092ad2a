#pragma once

// The editor's only window content: a tree of the 22 picture or music slots that takes file
// drops. It draws its document's lists whenever they change and hands the drops, the slot the
// user picks and Export's chosen file to it; it asks for files and starts the game, the game
// on a pack to try, and the file manager.

#include "MessageBox.h"
#include "SlotLists.h"

#include <QIcon>
#include <QPixmap>
#include <QTreeWidget>

#include <array>
#include <functional>

class QAction;
class QMenu;

class CWZolvikCreatorDoc;
class GameTrials;

class CWZolvikCreatorView : public QTreeWidget {
    Q_OBJECT
public:
    CWZolvikCreatorView(CWZolvikCreatorDoc& document, wz::MessageBoxSink& messages,
                        QWidget* parent = nullptr);

    CWZolvikCreatorDoc& GetDocument() const { return document_; }

    // Starts the document over on the asset file. When the file is unusable, asks for the
    // editor to close.
    void OnInitialUpdate();

    // Draws the document's list on show, with the remembered slot selected.
    void RebuildTree();

    void StartExplorer();
    void StartGame();
    // Try in Game: the game on a pack of the asset file with every pending change, at the
    // current slot's level. The pack goes when that game ends, or with the editor.
    void TryInGame();
    const GameTrials& trials() const { return *trials_; }
    // Writes the element the current slot holds in the asset file to a file the user chooses.
    void ExportSlot();
    // Makes a file the user chooses the current slot's pending file, as a drop of that one
    // file on the slot would; for those who cannot or would rather not drag.
    void ChooseFile();

    int selectedSlot() const;
    // The slot of the current item; the root, or no current item, counts as slot 1.
    int CurrentSlot() const;
    const std::array<QPixmap, 5>& images() const { return slotImages_; }

    // The folder searched first for the game; the editor's own program folder by default.
    void SetProgramFolder(const QString& folder) { programFolder_ = folder; }

    // The actions of a slot's context menu (the frame's, so that they run as commands); those
    // disabled when it opens are left out.
    void SetSlotMenuActions(const QList<QAction*>& actions);
    QMenu* slotMenu() const { return slotMenu_; }
    // Asks for the file to export to, given the one proposed; empty when the user cancels.
    // A save dialog by default.
    using FileChooser = std::function<QString(const QString& proposed)>;
    void SetExportFileChooser(FileChooser chooser) { chooseExportFile_ = std::move(chooser); }
    // Asks for the file to take into a slot of the kind; empty when the user cancels. An open
    // dialog filtered to pictures or tracks by default.
    using SourceChooser = std::function<QString(wz::SlotKind kind)>;
    void SetSourceFileChooser(SourceChooser chooser) { chooseSource_ = std::move(chooser); }

signals:
    // The asset file is unusable: the frame closes once this reaches it.
    void closeRequested();
    // A slot's context menu is about to open on the current slot: the actions' states follow.
    void slotMenuAboutToShow();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // Names the first of count slots from first on that would not play in the status bar.
    void ShowFirstProblem(int first, int count);
    void ShowGameMessage();

    CWZolvikCreatorDoc& document_;
    wz::MessageBoxSink& messages_;
    // Image 0 the pictures root, 1 a selected slot, 2 the music root, 3 a music slot, 4 a
    // picture slot, all 32 x 32.
    std::array<QPixmap, 5> slotImages_;
    QIcon pictureRootIcon_, musicRootIcon_, pictureSlotIcon_, musicSlotIcon_;
    QString programFolder_;
    QIcon warningIcon_;
    QMenu* slotMenu_ = nullptr;
    GameTrials* trials_ = nullptr; // a child: its games and packs end with the view
    QList<QAction*> slotMenuActions_;
    FileChooser chooseExportFile_;
    SourceChooser chooseSource_;
};
