#include "CropView.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>

namespace {

QRectF ToQt(const wz::PaneRect& r) {
    return {r.x, r.y, r.width, r.height};
}

// One notch of the wheel sizes the frame by a tenth.
constexpr double kNotchFactor = 0.9;

} // namespace

CropView::CropView(QWidget* parent) : QWidget(parent) {
    setMouseTracking(false);
    setCursor(Qt::OpenHandCursor);
    // Nothing under the picture needs drawing first: the view paints every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CropView::SetSketch(const wz::media::PictureSketch& sketch) {
    // A copy the view owns; the sketch's pixels may go.
    picture_ = QImage(sketch.rgb.data(), sketch.width, sketch.height, sketch.width * 3,
                      QImage::Format_RGB888)
                   .convertToFormat(QImage::Format_RGB32);
    frame_.emplace(sketch.sourceWidth, sketch.sourceHeight, sketch.attention, width(), height());
    dragFrom_.reset();
    update();
}

void CropView::Clear() {
    picture_ = QImage();
    frame_.reset();
    dragFrom_.reset();
    update();
}

wz::media::SourceRect CropView::Rect() const {
    return frame_ ? frame_->Rect() : wz::media::SourceRect{};
}

void CropView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (!frame_ || picture_.isNull()) {
        return;
    }
    const QRectF picture = ToQt(frame_->PictureInPane());
    const QRectF crop = ToQt(frame_->FrameInPane());
    // The copy is already about the pane's size: a cheap smooth scale at most.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(picture, picture_);
    // Dim what the game picture leaves out, in four bands around the frame.
    const QColor dim(0, 0, 0, 150);
    painter.fillRect(
        QRectF(picture.left(), picture.top(), picture.width(), crop.top() - picture.top()), dim);
    painter.fillRect(
        QRectF(picture.left(), crop.bottom(), picture.width(), picture.bottom() - crop.bottom()),
        dim);
    painter.fillRect(
        QRectF(picture.left(), crop.top(), crop.left() - picture.left(), crop.height()), dim);
    painter.fillRect(
        QRectF(crop.right(), crop.top(), picture.right() - crop.right(), crop.height()), dim);
    painter.setPen(QPen(Qt::white, 1, Qt::SolidLine));
    painter.drawRect(crop.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    painter.drawRect(crop.adjusted(0.5, 0.5, -0.5, -0.5));
}

void CropView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (frame_) {
        frame_->ResizePane(width(), height());
    }
}

void CropView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !frame_) {
        return;
    }
    dragFrom_ = event->position();
    dragStart_ = frame_;
    setCursor(Qt::ClosedHandCursor);
}

void CropView::mouseMoveEvent(QMouseEvent* event) {
    if (!dragFrom_ || !dragStart_) {
        return;
    }
    const QPointF delta = event->position() - *dragFrom_;
    frame_ = dragStart_;
    frame_->DragBy(delta.x(), delta.y());
    update();
}

void CropView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragFrom_.reset();
        setCursor(Qt::OpenHandCursor);
    }
}

void CropView::wheelEvent(QWheelEvent* event) {
    if (!frame_) {
        return;
    }
    // Away from the author zooms in: the frame takes less of the picture.
    const double notches = event->angleDelta().y() / 120.0;
    frame_->ZoomAt(std::pow(kNotchFactor, notches), {event->position().x(), event->position().y()});
    if (dragFrom_) {
        // A drag goes on from the zoomed frame.
        dragFrom_ = event->position();
        dragStart_ = frame_;
    }
    update();
    event->accept();
}
