#include "CWZolvikCreatorView.h"

#include "CWZolvikCreatorDoc.h"
#include "EditorTexts.h"
#include "GameTrials.h"
#include "SlotItems.h"
#include "TryInGame.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace {

QIcon TwoStateIcon(const QPixmap& normal, const QPixmap& selected) {
    QIcon icon;
    icon.addPixmap(normal, QIcon::Normal);
    icon.addPixmap(normal, QIcon::Active);
    icon.addPixmap(selected, QIcon::Selected);
    return icon;
}

// A file chooser's filter: each extension in small letters and in capitals, since cameras and
// phones name their files IMG_0042.JPG or .HEIC and the desktop's own chooser matches with
// case on Linux.
QString ChooserFilter(const QString& what, std::initializer_list<const char*> extensions) {
    QStringList patterns;
    for (const char* extension : extensions) {
        patterns << QStringLiteral("*.") + QLatin1String(extension);
    }
    for (const char* extension : extensions) {
        patterns << QStringLiteral("*.") + QString::fromLatin1(extension).toUpper();
    }
    return what + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
           QStringLiteral(");;All files (*)");
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

CWZolvikCreatorView::CWZolvikCreatorView(CWZolvikCreatorDoc& document, wz::MessageBoxSink& messages,
                                         QWidget* parent)
    : QTreeWidget(parent), document_(document), messages_(messages),
      programFolder_(QCoreApplication::applicationDirPath()) {
    static const char* const kImageFiles[] = {
        ":/editor/icon_pictures.png", ":/editor/icon_selected.png", ":/editor/icon_music.png",
        ":/editor/icon_track.png", ":/editor/icon_picture.png"};
    for (std::size_t i = 0; i < slotImages_.size(); ++i) {
        slotImages_[i] = QPixmap(QString::fromLatin1(kImageFiles[i])).scaled(32, 32);
    }
    pictureRootIcon_ = TwoStateIcon(slotImages_[0], slotImages_[0]);
    musicRootIcon_ = TwoStateIcon(slotImages_[2], slotImages_[2]);
    pictureSlotIcon_ = TwoStateIcon(slotImages_[4], slotImages_[1]);
    musicSlotIcon_ = TwoStateIcon(slotImages_[3], slotImages_[1]);

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
    warningIcon_ = wz::SlotWarningIcon(*this);
    slotMenu_ = new QMenu(this);
    trials_ = new GameTrials(this);
    connect(&document_, &CWZolvikCreatorDoc::listsChanged, this, &CWZolvikCreatorView::RebuildTree);
}

void CWZolvikCreatorView::SetSlotMenuActions(const QList<QAction*>& actions) {
    slotMenuActions_ = actions;
}

void CWZolvikCreatorView::OnInitialUpdate() {
    if (!document_.InitialUpdate()) {
        emit closeRequested();
    }
}

int CWZolvikCreatorView::selectedSlot() const {
    return document_.lists().selectedSlot;
}

void CWZolvikCreatorView::RebuildTree() {
    const wz::SlotLists& lists = document_.lists();
    const bool pictures = lists.showingPictures;
    const wz::SlotStrings& labels = pictures ? lists.pictureLabels : lists.musicLabels;
    const wz::SlotStrings& problems = pictures ? lists.pictureProblems : lists.musicProblems;

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
        wz::MarkSlotItem(*item, problems[i], warningIcon_);
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

// The desktop's file manager, through xdg-open on the home folder: xdg-open needs a place to
// open, and the home folder is where file managers start when given none. Only the search
// path is searched, never the current folder.
void CWZolvikCreatorView::StartExplorer() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty() ||
        !QProcess::startDetached(program, {QDir::homePath()}, QDir::currentPath())) {
        messages_.ShowMessage({std::string(wz::kEditorTitle), std::string(wz::kExplorerMessage),
                               wz::MessageIcon::None, wz::MessageOwner::ActiveWindow});
    }
}

// The game is looked for beside the editor, then in the current folder, then along the search
// path. It is started with no arguments in the editor's current folder, where it finds the
// asset file; the editor keeps nothing of the new process and never waits for it.
void CWZolvikCreatorView::StartGame() {
    const QString program = FindGameProgram(programFolder_);
    if (program.isEmpty() || !QProcess::startDetached(program, {}, QDir::currentPath())) {
        ShowGameMessage();
    }
}

void CWZolvikCreatorView::ShowGameMessage() {
    messages_.ShowMessage({std::string(wz::kEditorTitle), std::string(wz::kGameMessage),
                           wz::MessageIcon::None, wz::MessageOwner::ActiveWindow});
}

// The game found as for StartGame, in the same folder, so that it keeps the player's settings,
// but on a pack of what the author has now, at the level of the current slot. The pack is
// named by its full path, so that a relative TMPDIR, or one beginning with "-", still names
// that file to the game.
void CWZolvikCreatorView::TryInGame() {
    const int slot = CurrentSlot();
    const QString program = FindGameProgram(programFolder_);
    if (program.isEmpty()) {
        ShowGameMessage();
        return;
    }
    const std::string pack = document_.WriteTryPack();
    if (pack.empty()) {
        return;
    }
    const QString fullPath = QFileInfo(QFile::decodeName(pack.c_str())).absoluteFilePath();
    QStringList arguments;
    for (const std::string& argument :
         wz::TryArguments(slot, QFile::encodeName(fullPath).toStdString())) {
        arguments << QFile::decodeName(argument.c_str());
    }
    if (!trials_->Start(program, arguments, pack, QDir::currentPath())) {
        ShowGameMessage();
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
        document_.SelectSlot(item->data(0, Qt::UserRole).toInt());
        setCurrentItem(item);
        wz::ShowStatusText(*this, item->statusTip(0));
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

int CWZolvikCreatorView::CurrentSlot() const {
    const QTreeWidgetItem* from = currentItem() != nullptr ? currentItem() : topLevelItem(0);
    return from != nullptr ? from->data(0, Qt::UserRole).toInt() : 0;
}

void CWZolvikCreatorView::ShowFirstProblem(int first, int count) {
    const wz::SlotLists& lists = document_.lists();
    const wz::SlotStrings& problems =
        lists.showingPictures ? lists.pictureProblems : lists.musicProblems;
    for (int i = first; i < std::min(wz::kSlotCount, first + count); ++i) {
        if (!problems[i].empty()) {
            wz::ShowStatusText(*this, QString::fromStdString(problems[i]));
            break;
        }
    }
}

// Dropped files fill the list on show from the selected item's slot on (the root counts as
// slot 1), whatever the position of the drop.
void CWZolvikCreatorView::dropEvent(QDropEvent* event) {
    const int first = CurrentSlot();
    const std::vector<std::string> files = DroppedFiles(event->mimeData());
    document_.DropFiles(first, files);
    event->acceptProposedAction();
    ShowFirstProblem(first, static_cast<int>(files.size()));
}

void CWZolvikCreatorView::ChooseFile() {
    const int slot = CurrentSlot();
    const wz::SlotKind kind = document_.lists().Showing();
    QString file;
    if (chooseSource_) {
        file = chooseSource_(kind);
    } else {
        file = QFileDialog::getOpenFileName(
            this, QStringLiteral("Choose File (Выбрать файл)"), QDir::currentPath(),
            kind == wz::SlotKind::Pictures
                ? ChooserFilter(QStringLiteral("Pictures"),
                                {"jpg", "jpeg", "png", "webp", "gif", "tif", "tiff", "heic", "heif",
                                 "avif", "bmp"})
                : ChooserFilter(QStringLiteral("MIDI files"), {"mid", "midi"}));
    }
    if (file.isEmpty()) {
        return;
    }
    document_.DropFiles(slot, {QFile::encodeName(file).toStdString()});
    ShowFirstProblem(slot, 1);
}

// A right click selects the slot under the pointer, as a left press does, and offers the
// slot's commands.
void CWZolvikCreatorView::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard (the menu key, Shift+F10) the menu is of the current slot.
    const bool byKeyboard = event->reason() == QContextMenuEvent::Keyboard;
    QTreeWidgetItem* item = byKeyboard ? currentItem() : itemAt(event->pos());
    if (item == nullptr || item == topLevelItem(0) || slotMenuActions_.isEmpty()) {
        return;
    }
    document_.SelectSlot(item->data(0, Qt::UserRole).toInt());
    setCurrentItem(item);
    // Only what applies to this slot: a command that does not is left out, not greyed.
    emit slotMenuAboutToShow();
    slotMenu_->clear();
    for (QAction* action : slotMenuActions_) {
        if (action->isEnabled()) {
            slotMenu_->addAction(action);
        }
    }
    slotMenu_->popup(byKeyboard ? viewport()->mapToGlobal(visualItemRect(item).center())
                                : event->globalPos());
}

// The slot of the current item, as for a drop; the file is proposed in the current folder
// under the element's name.
void CWZolvikCreatorView::ExportSlot() {
    const int slot = CurrentSlot();
    const wz::SlotKind kind = document_.lists().Showing();
    const QString proposed =
        QDir::current().filePath(QString::fromStdString(document_.ExportFileName(slot)));
    QString file;
    if (chooseExportFile_) {
        file = chooseExportFile_(proposed);
    } else {
        file = QFileDialog::getSaveFileName(this, QStringLiteral("Export (Экспорт)"), proposed,
                                            kind == wz::SlotKind::Pictures
                                                ? QStringLiteral("JPEG pictures (*.jpg *.jpeg)")
                                                : QStringLiteral("MIDI files (*.mid *.midi)"));
    }
    if (!file.isEmpty()) {
        document_.ExportSlot(slot, QFile::encodeName(file).toStdString());
    }
}
