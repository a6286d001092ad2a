#include "FitPanel.h"

#include "CMainFrame.h"
#include "CWZolvikCreatorDoc.h"
#include "CWZolvikCreatorView.h"
#include "CropView.h"
#include "WaitCursor.h"
#include "WrappedLabel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

FitPanel::FitPanel(CMainFrame& frame, CWZolvikCreatorView& view, QSize pictureMinimum,
                   QWidget* parent)
    : QWidget(parent), frame_(frame), view_(view) {
    setObjectName(QStringLiteral("fitPanel"));
    // Laid out as the pane lays out its own picture, text and buttons, so that the pane keeps
    // its place and size when the frame comes and goes.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    crop_ = new CropView(this);
    crop_->setObjectName(QStringLiteral("cropView"));
    crop_->setMinimumSize(pictureMinimum);
    crop_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    layout->addWidget(crop_, 1);

    hint_ = new WrappedLabel(this);
    hint_->setObjectName(QStringLiteral("fitHint"));
    hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    hint_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    hint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    hint_->setText(
        QStringLiteral("Drag the frame, turn the wheel to zoom, then press Fit.\n"
                       "(Перетащите рамку, колесом измените масштаб и нажмите «Подогнать».)"));
    layout->addWidget(hint_);

    auto* buttons = new QHBoxLayout;
    apply_ = new QPushButton(QStringLiteral("Fit (Подогнать)"), this);
    cancel_ = new QPushButton(QStringLiteral("Cancel (Отмена)"), this);
    apply_->setObjectName(QStringLiteral("applyFitButton"));
    cancel_->setObjectName(QStringLiteral("cancelFitButton"));
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);
    layout->addLayout(buttons);
    // Fit changes the document as the menu's commands do, and fails as they do.
    connect(apply_, &QPushButton::clicked, this,
            [this] { frame_.RunCommand([this] { Apply(); }); });
    connect(cancel_, &QPushButton::clicked, this, &FitPanel::Cancel);
    hide();
}

void FitPanel::FollowInTabOrder(QWidget* previous) {
    setTabOrder(previous, apply_);
    setTabOrder(apply_, cancel_);
}

std::string FitPanel::Begin(int slot, QSize area) {
    const std::string source = view_.GetDocument().FitSource(slot);
    wz::media::PictureSketch sketch;
    std::string reason;
    {
        const WaitCursor waiting;
        reason = wz::media::SketchPicture(source, area.width(), area.height(), sketch);
    }
    if (!reason.empty()) {
        return reason;
    }
    slot_ = slot;
    source_ = source;
    crop_->resize(area);
    crop_->SetSketch(sketch);
    // The panel and its text take the pane's width before the pane first measures them: the
    // text wrapped to a hidden widget's narrow default width would make the window taller for
    // good.
    resize(area.width(), height());
    hint_->resize(area.width(), hint_->height());
    // Shown by the pane once its own picture has made way.
    return {};
}

bool FitPanel::Holds(int slot) const {
    return fitting() && slot_ == slot && view_.GetDocument().FitSource(slot) == source_;
}

void FitPanel::Apply() {
    if (!fitting()) {
        return;
    }
    const int slot = slot_;
    wz::media::FitOptions options;
    options.crop = wz::media::CropMode::Rectangle;
    options.rect = crop_->Rect();
    End();
    emit fitted();
    const WaitCursor waiting;
    // Its message, when it fails, is the model's; the tree is drawn again either way.
    view_.GetDocument().FitPicture(slot, options);
}

void FitPanel::Cancel() {
    End();
    emit cancelled();
}

void FitPanel::End() {
    slot_ = -1;
    source_.clear();
    hide();
    crop_->Clear();
}
