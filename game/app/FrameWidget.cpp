#include "FrameWidget.h"

#include "FrameView.h"
#include "ScreenLayout.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTransform>

namespace wz {

FrameWidget::FrameWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(layout::kFrameWidth, layout::kFrameHeight);
    // The frame covers the whole area at every paint, so nothing is erased before it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
}

void FrameWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter_ = &painter;
    if (compose_) {
        compose_(*this);
    }
    painter_ = nullptr;
}

void FrameWidget::PresentFrame(const Picture& frame) {
    const FrameView view = ViewOf(frame);
    if (painter_ == nullptr || view.IsEmpty()) {
        return;
    }
    if (image_.constBits() != view.pixels || image_.width() != view.width ||
        image_.height() != view.height || image_.bytesPerLine() != view.stride) {
        // The frame is the same picture for the whole run, so this happens at the first paint.
        image_ = QImage(view.pixels, view.width, view.height, static_cast<qsizetype>(view.stride),
                        QImage::Format_BGR888);
    }
    // Row 0 in memory is the bottom row on the screen: the flip puts it there.
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->setTransform(QTransform(1, 0, 0, -1, 0, view.height));
    painter_->drawImage(QPoint(0, 0), image_);
    painter_->resetTransform();
    ++presentCount_;
}

} // namespace wz
