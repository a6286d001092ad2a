#include "FrameWidget.h"

#include "FrameView.h"
#include "ScreenLayout.h"

#include <QPaintEvent>
#include <QPainter>

#include <cstring>

namespace wz {

void CopyFrameToImage(const FrameView& view, QImage& image) {
    const int width = view.width;
    for (int y = 0; y < view.height; ++y) {
        const std::uint8_t* source =
            view.pixels + static_cast<std::size_t>(view.height - 1 - y) * view.stride;
        auto* target = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
        // Four bytes read at a pixel are blue, green, red and the next pixel's blue: on this
        // little-endian machine that is 0x..RRGGBB, the window format once the top byte is set.
        // The last pixel of a row is read byte by byte, since its fourth byte may lie past the
        // end of the pixel array.
        for (int x = 0; x + 1 < width; ++x) {
            std::uint32_t bgrx;
            std::memcpy(&bgrx, source + 3 * x, 4);
            target[x] = 0xFF000000u | (bgrx & 0x00FFFFFFu);
        }
        if (width > 0) {
            const std::uint8_t* last = source + 3 * (width - 1);
            target[width - 1] = 0xFF000000u | (std::uint32_t(last[2]) << 16) |
                                (std::uint32_t(last[1]) << 8) | last[0];
        }
    }
}

FrameWidget::FrameWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(kFrameWidth, kFrameHeight);
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
    if (image_.width() != view.width || image_.height() != view.height) {
        // The frame keeps its size for the whole run, so this happens at the first paint.
        image_ = QImage(view.width, view.height, QImage::Format_RGB32);
    }
    CopyFrameToImage(view, image_);
    painter_->setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_->drawImage(QPoint(0, 0), image_);
    ++presentCount_;
}

} // namespace wz
