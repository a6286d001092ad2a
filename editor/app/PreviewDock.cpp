#include "PreviewDock.h"

#include "CMainFrame.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "EditorCommands.h"
#include "EditorTexts.h"
#include "FitPanel.h"
#include "FrameSize.h"
#include "WrappedLabel.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QTreeWidgetItem>
#include <QVBoxLayout>

#include <algorithm>
#include <new>

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

} // namespace

PreviewDock::PreviewDock(CMainFrame& frame, CWZolvikCreatorView& view)
    : QDockWidget(QStringLiteral("Preview (Просмотр)"), &frame), frame_(frame), view_(view) {
    setObjectName(QStringLiteral("preview"));
    // A pane fixed beside the tree: it neither floats nor moves, so the frame's width always
    // holds the tree and the pane side by side.
    setFeatures(QDockWidget::DockWidgetClosable);
    setAllowedAreas(Qt::RightDockWidgetArea);

    auto* content = new QWidget(this);
    auto* layout = new QVBoxLayout(content);
    // Tight margins, so that a frame-sized picture fits whole in the window's first height.
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    origin_ = new WrappedLabel(content);
    origin_->setObjectName(QStringLiteral("previewOrigin"));
    // Long paths wrap instead of widening the pane.
    origin_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    origin_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(origin_);

    scroll_ = new QScrollArea(content);
    scroll_->setObjectName(QStringLiteral("previewScroll"));
    picture_ = new QLabel(scroll_);
    picture_->setObjectName(QStringLiteral("previewPicture"));
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scroll_->setWidget(picture_);
    scroll_->setWidgetResizable(false);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // Room for a whole frame-sized picture beside a vertical scroll bar; larger pictures
    // scroll, and the pane's width never follows what it shows. The window grows as tall as
    // the picture needs.
    scroll_->setMinimumSize(wz::kFrameWidth + 2 * scroll_->frameWidth() +
                                style()->pixelMetric(QStyle::PM_ScrollBarExtent),
                            wz::kFrameHeight + 2 * scroll_->frameWidth());
    scroll_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(scroll_, 1);
    // In the picture's place while the author frames one; the pane's own text and buttons
    // then give way to the panel's.
    fitPanel_ = new FitPanel(frame_, view_, scroll_->minimumSize(), content);
    fitPanel_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(fitPanel_, 1);
    content->setMinimumWidth(scroll_->minimumWidth() + 8);

    info_ = new WrappedLabel(content);
    info_->setObjectName(QStringLiteral("previewInfo"));
    info_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    info_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    info_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(info_);

    auto* buttons = new QHBoxLayout;
    play_ = new QPushButton(QStringLiteral("Play (Играть)"), content);
    stop_ = new QPushButton(QStringLiteral("Stop (Стоп)"), content);
    fit_ = new QPushButton(QStringLiteral("Fit to Game Picture… (Подогнать…)"), content);
    play_->setObjectName(QStringLiteral("playButton"));
    stop_->setObjectName(QStringLiteral("stopButton"));
    fit_->setObjectName(QStringLiteral("fitButton"));
    // Hidden before the layout first measures it, so that it never widens the pane.
    fit_->hide();
    for (QPushButton* button : {play_, stop_, fit_}) {
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);
    // Fit and Cancel stand below the pane's own buttons, and come after them for the keyboard.
    fitPanel_->FollowInTabOrder(fit_);
    layout->addStretch(0);
    setWidget(content);
    connect(play_, &QPushButton::clicked, this, &PreviewDock::Play);
    connect(stop_, &QPushButton::clicked, this, &PreviewDock::Stop);
    // The button runs the command, as its menu item does.
    connect(fit_, &QPushButton::clicked, this, [this] {
        if (QAction* action = frame_.action(wz::ID_FILE_FIT)) {
            action->trigger();
        }
    });
    connect(fitPanel_, &FitPanel::fitted, this, &PreviewDock::UpdateButtons);
    connect(fitPanel_, &FitPanel::cancelled, this, &PreviewDock::Refresh);

    // The end of a track comes on the audio thread; the buttons change on this one.
    player_.SetWakeUp([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (player_.TakeNotices()) {
                    UpdateButtons();
                }
            },
            Qt::QueuedConnection);
    });

    // Keyboard moves, presses and every rebuild of the tree change its current item.
    connect(&view_, &QTreeWidget::currentItemChanged, this, &PreviewDock::ScheduleRefresh);
    if (QAction* action = frame_.action(wz::ID_VIEW_PREVIEW)) {
        action->setCheckable(true);
        action->setChecked(false);
    }
    // The dock's own toggle (the window's menu of bars) shows or hides the pane before this
    // runs; it then goes the same way as View › Preview, so the frame makes room, the item's
    // check follows and the choice is remembered.
    connect(toggleViewAction(), &QAction::triggered, this, &PreviewDock::SetPreviewShown);
    frame_.addDockWidget(Qt::RightDockWidgetArea, this);
    hide();
    ShowText(QString());
    UpdateButtons();
}

PreviewDock::~PreviewDock() {
    player_.SetWakeUp({});
}

void PreviewDock::RestoreVisibility() {
    if (QSettings().value(QString::fromLatin1(kVisibleKey), false).toBool()) {
        SetPreviewShown(true);
    }
}

void PreviewDock::SetPreviewShown(bool shown) {
    if (QAction* action = frame_.action(wz::ID_VIEW_PREVIEW)) {
        action->setChecked(shown);
    }
    QSettings().setValue(QString::fromLatin1(kVisibleKey), shown);
    if (shown == shown_) {
        return;
    }
    shown_ = shown;
    const bool sized = !(frame_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen));
    if (shown) {
        // The tree keeps its width: the frame grows by the pane and the splitter between.
        // The pane knows its width once it is shown and laid out.
        heightBefore_ = frame_.height();
        show();
        if (sized) {
            grownBy_ = std::max({sizeHint().width(), minimumSizeHint().width(),
                                 widget()->minimumWidth()}) +
                       frame_.style()->pixelMetric(QStyle::PM_DockWidgetSeparatorExtent);
            frame_.resize(frame_.width() + grownBy_, frame_.height());
        }
        Refresh();
    } else {
        Stop();
        hide();
        if (sized && grownBy_ > 0) {
            // The hidden pane no longer holds up the frame's minimum size once laid out; the
            // frame gives back the width, and any height, that the pane made it take.
            frame_.layout()->activate();
            frame_.resize(
                std::max(frame_.width() - grownBy_, frame_.minimumWidth()),
                std::max(std::min(frame_.height(), heightBefore_), frame_.minimumHeight()));
        }
        grownBy_ = 0;
    }
}

void PreviewDock::closeEvent(QCloseEvent* event) {
    // The pane's own close button: as View › Preview.
    event->ignore();
    SetPreviewShown(false);
}

void PreviewDock::ScheduleRefresh() {
    Stop(); // a track plays only while its slot is selected
    if (!shown_ || refreshPending_) {
        return;
    }
    // A rebuild of the tree changes the current item twice (none, then the selected slot):
    // one refresh after both is enough.
    refreshPending_ = true;
    QMetaObject::invokeMethod(this, &PreviewDock::Refresh, Qt::QueuedConnection);
}

void PreviewDock::Refresh() {
    refreshPending_ = false;
    Stop();
    const QTreeWidgetItem* item = view_.currentItem();
    const CWZolvikCreatorDoc& document = view_.GetDocument();
    canFit_ = item != nullptr && item->parent() != nullptr && document.lists().showingPictures &&
              document.CanFit(view_.CurrentSlot());
    if (fitting()) {
        // The crop frame stays while its slot is on show with the same picture.
        if (canFit_ && fitPanel_->Holds(view_.CurrentSlot())) {
            UpdateButtons();
            return;
        }
        fitPanel_->End();
        UpdateButtons();
    }
    if (item == nullptr || item->parent() == nullptr) {
        origin_->clear();
        ShowText(Text(wz::kNothingSelected));
        return;
    }
    // This runs from the event loop, outside any command's guard: a preview that cannot get
    // its memory says so in the pane instead of ending the editor.
    try {
        const wz::AssetUpdate& update = document.assetUpdate();
        const wz::SlotLists& lists = update.lists();
        const wz::SlotKind kind = lists.Showing();
        const wz::SlotBytes slot =
            wz::ReadSlotBytes(lists, kind, item->data(0, Qt::UserRole).toInt(), update.AssetPath());
        origin_->setText(QString::fromStdString(wz::OriginText(slot)));
        if (!slot.ok()) {
            ShowText(QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, slot.error)));
        } else if (kind == wz::SlotKind::Pictures) {
            ShowPictureBytes(slot.bytes);
        } else {
            ShowTrackBytes(slot.bytes);
        }
    } catch (const std::bad_alloc&) {
        ShowText(QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, "out of memory")));
    }
}

void PreviewDock::ShowText(const QString& text) {
    picture_->clear();
    picture_->resize(0, 0);
    scroll_->hide();
    info_->setText(text);
    track_.clear();
    trackPlayable_ = false;
    UpdateButtons();
}

void PreviewDock::ShowPictureBytes(std::span<const std::uint8_t> bytes) {
    const wz::PicturePreview decoded = wz::DecodePicture(bytes);
    if (!decoded.ok()) {
        ShowText(QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, decoded.error)));
        return;
    }
    track_.clear();
    trackPlayable_ = false;
    const QImage image(decoded.rgb.data(), decoded.width, decoded.height, decoded.width * 3,
                       QImage::Format_RGB888);
    // One pixel of the picture to one pixel of the screen, also on a scaled screen.
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    picture_->setPixmap(pixmap);
    picture_->resize(pixmap.deviceIndependentSize().toSize());
    scroll_->show();
    info_->setText(QString::fromStdString(wz::PictureSizeText(decoded.width, decoded.height)));
    UpdateButtons();
}

void PreviewDock::ShowTrackBytes(std::span<const std::uint8_t> bytes) {
    const wz::TrackPreview track = wz::ReadTrackInfo(bytes);
    if (!track.ok()) {
        ShowText(QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, track.error)));
        return;
    }
    trackInfo_ = QString::fromStdString(wz::TrackInfoText(track));
    ShowText(trackInfo_);
    track_.assign(bytes.begin(), bytes.end());
    trackPlayable_ = true;
    UpdateButtons();
}

void PreviewDock::Play() {
    if (!trackPlayable_) {
        return;
    }
    const std::string error = player_.Play(track_);
    info_->setText(trackInfo_);
    if (!error.empty()) {
        info_->setText(trackInfo_ + QLatin1Char('\n') +
                       QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, error)));
    }
    UpdateButtons();
}

void PreviewDock::Stop() {
    player_.Stop();
    UpdateButtons();
}

void PreviewDock::UpdateButtons() {
    play_->setVisible(trackPlayable_);
    stop_->setVisible(trackPlayable_);
    play_->setEnabled(trackPlayable_ && !player_.IsPlaying());
    stop_->setEnabled(player_.IsPlaying());
    fit_->setVisible(canFit_ && !fitting());
    info_->setVisible(!fitting());
}

bool PreviewDock::fitting() const {
    return fitPanel_->fitting();
}

void PreviewDock::BeginFit() {
    const int slot = view_.CurrentSlot();
    const CWZolvikCreatorDoc& document = view_.GetDocument();
    if (!document.lists().showingPictures || !document.CanFit(slot) || fitPanel_->Holds(slot)) {
        return;
    }
    // A pane that was hidden reads the slot as it is shown; one on show reads it only when a
    // change of selection has not reached it yet. Reading it again would decode the whole
    // picture for nothing, and a photo takes a few hundred milliseconds.
    const bool wasShown = shown_;
    SetPreviewShown(true);
    if (wasShown && refreshPending_) {
        Refresh();
    }
    // A copy the size of the picture area: a drag then redraws a few hundred thousand
    // pixels, whatever the size of the author's picture.
    const QSize area = scroll_->size().expandedTo(scroll_->minimumSize());
    if (const std::string reason = fitPanel_->Begin(slot, area); !reason.empty()) {
        ShowText(QString::fromStdString(wz::FillPlaceholders(wz::kNoPreview, reason)));
        return;
    }
    // The picture makes way before the panel shows, or the window would grow to hold both.
    ShowText(QString()); // the panel says what to do
    fitPanel_->show();
}

void PreviewDock::CancelFit() {
    fitPanel_->Cancel();
}
