#include "CMainFrame.h"

#include "CommandGuard.h"
#include "EditorCommands.h"
#include "EditorTexts.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

// The toolbar pictures, in the order of the toolbar's buttons.
const std::map<int, const char*>& ButtonPictures() {
    static const std::map<int, const char*> pictures = {
        {wz::ID_FILE_SAVE_CHANGES, ":/editor/tb_save.png"},
        {wz::ID_FILE_RESTORE, ":/editor/tb_restore.png"},
        {wz::ID_VIEW_PICTURES, ":/editor/tb_pictures.png"},
        {wz::ID_VIEW_MUSIC, ":/editor/tb_music.png"},
        {wz::ID_VIEW_REVERT_CURRENT, ":/editor/tb_revert.png"},
        {wz::ID_VIEW_EXPLORER, ":/editor/tb_explorer.png"},
        {wz::ID_VIEW_ZOLVIK, ":/editor/tb_game.png"},
        {wz::ID_APP_ABOUT, ":/editor/tb_about.png"},
    };
    return pictures;
}

// The indicator panes' names and texts.
constexpr std::array<const char*, 3> kIndicatorTexts = {"CAP", "NUM", "SCRL"};
constexpr std::array<const char*, 3> kIndicatorNames = {"capsLockIndicator", "numLockIndicator",
                                                        "scrollLockIndicator"};

} // namespace

// The pictures live in the editor's static library, so the program asks for them by name.
static void InitEditorResources() {
    Q_INIT_RESOURCE(editor);
}

CMainFrame::CMainFrame(wz::MessageBoxSink& messages, QWidget* parent)
    : QMainWindow(parent), messages_(messages) {
    InitEditorResources();
    setWindowIcon(QIcon(QStringLiteral(":/editor/frame.png")));
    move(0, 0);
    resize(480, 580);
    SetDocumentTitle(QString());
    for (const wz::CommandText& command : wz::kCommandTexts) {
        const QString prompt = Text(command.prompt);
        auto* action = new QAction(Text(command.menuText), this);
        action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
        action->setToolTip(prompt.section(QLatin1Char('\n'), 1));
        action->setIconText(action->toolTip());
        actions_[command.id] = action;
    }
    for (int id : {wz::ID_VIEW_TOOLBAR, wz::ID_VIEW_STATUS_BAR}) {
        actions_[id]->setCheckable(true);
        actions_[id]->setChecked(true);
    }
    BuildMenu();
    BindKeys();
}

void CMainFrame::BuildMenu() {
    for (const wz::MenuPopup& popup : wz::kMenu) {
        QMenu* menu = menuBar()->addMenu(Text(popup.title));
        for (int id : popup.items) {
            if (id < 0) {
                break;
            }
            if (id == wz::kSeparator) {
                menu->addSeparator();
            } else {
                menu->addAction(actions_.at(id));
            }
        }
    }
}

// Each key becomes a shortcut of its command's action; a command reached only by keys gets an
// action of its own, without text. Every action belongs to the window, so that its keys work
// wherever the focus is in it, also while the toolbar is hidden.
void CMainFrame::BindKeys() {
    std::map<int, QList<QKeySequence>> keys;
    for (const wz::KeyBinding& key : wz::kKeys) {
        keys[key.id].append(QKeySequence(Text(key.key)));
        if (!actions_.contains(key.id)) {
            actions_[key.id] = new QAction(this);
        }
    }
    for (const auto& [id, action] : actions_) {
        if (const auto found = keys.find(id); found != keys.end()) {
            action->setShortcuts(found->second);
            action->setShortcutContext(Qt::WindowShortcut);
        }
        addAction(action);
    }
}

int CMainFrame::OnCreate() {
    toolBar_ = new QToolBar(QStringLiteral("Toolbar"), this);
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setIconSize(QSize(16, 15));
    for (int id : wz::kToolbar) {
        if (id == wz::kSeparator) {
            toolBar_->addSeparator();
            continue;
        }
        const QPixmap picture(QString::fromLatin1(ButtonPictures().at(id)));
        if (picture.isNull()) {
            return -1;
        }
        actions_.at(id)->setIcon(QIcon(picture));
        toolBar_->addAction(actions_.at(id));
    }
    // Tooltips and status prompts come with the actions; the bar may dock on any side or
    // float, and resizes its buttons to the orientation.
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    toolBar_->setFloatable(true);
    addToolBar(Qt::TopToolBarArea, toolBar_);

    statusBar_ = new QStatusBar(this);
    // The message pane: "Ready" when idle, covered by a command's prompt while the pointer is
    // over its item or button.
    auto* ready = new QLabel(Text(wz::kIdleStatus), statusBar_);
    ready->setObjectName(QStringLiteral("messagePane"));
    statusBar_->addWidget(ready, 1);
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        auto* pane = new QLabel(statusBar_);
        pane->setObjectName(QString::fromLatin1(kIndicatorNames[i]));
        pane->setFrameShape(QFrame::Panel);
        pane->setFrameShadow(QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        statusBar_->addPermanentWidget(pane);
        indicators_[i] = pane;
    }
    setStatusBar(statusBar_);
    statusBar_->setObjectName(QStringLiteral("statusBar"));

    // View › Toolbar shows and hides the bar; its check follows the bar's own toggle, which
    // also sees the bar hidden from the window's menu of bars. The status bar has no toggle of
    // its own: the item's check is its visibility.
    QAction* toolBarItem = actions_.at(wz::ID_VIEW_TOOLBAR);
    connect(toolBarItem, &QAction::toggled, toolBar_, &QWidget::setVisible);
    connect(toolBar_->toggleViewAction(), &QAction::toggled, toolBarItem, &QAction::setChecked);
    connect(actions_.at(wz::ID_VIEW_STATUS_BAR), &QAction::toggled, statusBar_,
            &QWidget::setVisible);
    UpdateIndicators();
    // The lock keys can change in any window; a light poll keeps the panes right.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &CMainFrame::UpdateIndicators);
    poll->start(250);
    return 0;
}

void CMainFrame::UpdateIndicators() {
    const LockKeys keys = lockKeys_ ? lockKeys_() : LockKeys{};
    const std::array<bool, 3> on = {keys.caps, keys.num, keys.scroll};
    for (std::size_t i = 0; i < indicators_.size(); ++i) {
        if (indicators_[i] != nullptr) {
            indicators_[i]->setText(on[i] ? QString::fromLatin1(kIndicatorTexts[i]) : QString());
        }
    }
}

void CMainFrame::SetDocumentTitle(const QString& title) {
    setWindowTitle(title + QStringLiteral(" - ") + Text(wz::kEditorTitle));
}

QAction* CMainFrame::action(int id) const {
    const auto found = actions_.find(id);
    return found != actions_.end() ? found->second : nullptr;
}

void CMainFrame::RunCommand(const std::function<void()>& command) {
    wz::RunCommand(messages_, command);
}

void CMainFrame::ConnectGuarded(int id, QObject* receiver, std::function<void()> handler) {
    connect(actions_.at(id), &QAction::triggered, receiver,
            [this, handler = std::move(handler)] { wz::RunCommand(messages_, handler); });
}
