#include "CWZolvikCreatorView.h"

#include "CWZolvikCreatorDoc.h"
#include "EditorCommands.h"
#include "EditorTexts.h"
#include "ProgramFinder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>

#include <cstdlib>

namespace {

QIcon TwoStateIcon(const QPixmap& normal, const QPixmap& selected) {
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(normal, QIcon::Active);
    icon.addPixmap(selected, QIcon::Selected);
    return icon;
}

std::string SearchPath() {
    const char* path = std::getenv("PATH");
    return path != nullptr ? path : "";
}

// The local files of a drop, in the order it lists them, as the platform's file names.
std::vector<std::string> DroppedFiles(const QMimeData* data) {
    std::vector<std::string> files;
    if (data == nullptr) {
        return files;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    return files;
}

} // namespace

CWZolvikCreatorView::CWZolvikCreatorView(wz::MessageBoxSink& messages, QWidget* parent)
    : QTreeWidget(parent), messages_(messages), update_(messages),
      programFolder_(QCoreApplication::applicationDirPath()) {
    static const char* const kImageFiles[] = {
        ":/editor/icon_pictures.png", ":/editor/icon_selected.png", ":/editor/icon_music.png",
        ":/editor/icon_track.png", ":/editor/icon_picture.png"};
    for (std::size_t i = 0; i < slotImages.size(); ++i) {
        slotImages[i] = QPixmap(QString::fromLatin1(kImageFiles[i])).scaled(32, 32);
    }
    pictureRootIcon_ = TwoStateIcon(slotImages[0], slotImages[0]);
    musicRootIcon_ = TwoStateIcon(slotImages[2], slotImages[2]);
    pictureSlotIcon_ = TwoStateIcon(slotImages[4], slotImages[1]);
    musicSlotIcon_ = TwoStateIcon(slotImages[3], slotImages[1]);

    // A plain tree: no header, no connecting lines or expand buttons, nothing editable.
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setExpandsOnDoubleClick(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(32, 32));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    update_.SetTreeHost(this);
}

void CWZolvikCreatorView::OnInitialUpdate(CWZolvikCreatorDoc& document) {
    document.SetTitle(
        QString::fromUtf8(wz::kDocumentTitle.data(), static_cast<int>(wz::kDocumentTitle.size())));
    if (!update_.InitialUpdate()) {
        emit closeRequested();
    }
}

void CWZolvikCreatorView::RebuildTree() {
    const wz::SlotLists& lists = update_.lists();
    const bool pictures = lists.showingPictures;
    const wz::SlotStrings& labels = pictures ? lists.pictureLabels : lists.musicLabels;

    clear();
    const std::string_view rootText = pictures ? wz::kPicturesRoot : wz::kMusicRoot;
    auto* root = new QTreeWidgetItem(
        this, QStringList(QString::fromUtf8(rootText.data(), static_cast<int>(rootText.size()))));
    root->setIcon(0, pictures ? pictureRootIcon_ : musicRootIcon_);
    root->setData(0, Qt::UserRole, 0);
    QTreeWidgetItem* selected = nullptr;
    for (int i = 0; i < wz::kSlotCount; ++i) {
        auto* item = new QTreeWidgetItem(root, QStringList(QString::fromStdString(labels[i])));
        item->setIcon(0, pictures ? pictureSlotIcon_ : musicSlotIcon_);
        item->setData(0, Qt::UserRole, i);
        if (i == lists.selectedSlot) {
            selected = item;
        }
    }
    if (selected != nullptr) {
        setCurrentItem(selected);
    }
    expandItem(root);
    viewport()->update();
}

bool CWZolvikCreatorView::OnCmdMsg(int id) {
    switch (id) {
    case wz::ID_VIEW_PICTURES:
        ShowPictures();
        return true;
    case wz::ID_VIEW_MUSIC:
        ShowMusic();
        return true;
    case wz::ID_VIEW_REVERT_CURRENT:
        RevertCurrent();
        return true;
    case wz::ID_FILE_SAVE_CHANGES:
        SaveChanges();
        return true;
    case wz::ID_FILE_RESTORE:
        RestoreLastCopy();
        return true;
    case wz::ID_VIEW_EXPLORER:
        StartExplorer();
        return true;
    case wz::ID_VIEW_ZOLVIK:
        StartGame();
        return true;
    default:
        return false;
    }
}

// The desktop's file manager, through xdg-open on the home folder: xdg-open needs a place to
// open, and the home folder is where file managers start when given none. Only the search
// path is searched, never the current folder.
void CWZolvikCreatorView::StartExplorer() {
    const auto program = wz::FindProgram("xdg-open", {}, {}, SearchPath());
    if (program.empty() || !QProcess::startDetached(QFile::decodeName(program.c_str()),
                                                    {QDir::homePath()}, QDir::currentPath())) {
        messages_.ShowMessage({std::string(wz::kEditorTitle), std::string(wz::kExplorerMessage),
                               wz::MessageIcon::None, wz::MessageOwner::ActiveWindow});
    }
}

// The game is started with no arguments in the editor's current folder, where it finds the
// asset file; the editor keeps nothing of the new process and never waits for it.
void CWZolvikCreatorView::StartGame() {
    const auto program =
        wz::FindProgram(wz::kGameProgram, QFile::encodeName(programFolder_).toStdString(),
                        QFile::encodeName(QDir::currentPath()).toStdString(), SearchPath());
    if (program.empty() ||
        !QProcess::startDetached(QFile::decodeName(program.c_str()), {}, QDir::currentPath())) {
        messages_.ShowMessage({std::string(wz::kEditorTitle), std::string(wz::kGameMessage),
                               wz::MessageIcon::None, wz::MessageOwner::ActiveWindow});
    }
}

// A press selects the slot under the pointer and nothing else: the tree's own handling, which
// would expand or collapse, never runs, and a press on the root or on empty space is ignored.
void CWZolvikCreatorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (item != nullptr && item != topLevelItem(0)) {
        update_.lists().selectedSlot = item->data(0, Qt::UserRole).toInt();
        setCurrentItem(item);
    }
}

void CWZolvikCreatorView::mouseDoubleClickEvent(QMouseEvent* /*event*/) {}

void CWZolvikCreatorView::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData() != nullptr && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

void CWZolvikCreatorView::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData() != nullptr && event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    } else {
        event->ignore();
    }
}

// Dropped files fill the list on show from the selected item's slot on (the root counts as
// slot 1), whatever the position of the drop.
void CWZolvikCreatorView::dropEvent(QDropEvent* event) {
    const QTreeWidgetItem* from = currentItem() != nullptr ? currentItem() : topLevelItem(0);
    const int first = from != nullptr ? from->data(0, Qt::UserRole).toInt() : 0;
    update_.DropFiles(first, DroppedFiles(event->mimeData()));
    event->acceptProposedAction();
}
