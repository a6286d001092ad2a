#pragma once

// The fit pane's picture: a screen-sized copy of the author's picture shown whole, the part
// outside the crop frame dimmed. Dragging moves the frame, the wheel sizes it around the
// pointer; the frame's limits are the model's (wz::CropFrame).

#include "CropFrame.h"

#include <QImage>
#include <QWidget>

#include <optional>

class CropView : public QWidget {
    Q_OBJECT
public:
    explicit CropView(QWidget* parent = nullptr);

    // Shows the sketch with the frame first on its attention rectangle.
    void SetSketch(const wz::media::PictureSketch& sketch);
    void Clear();

    // The part of the source the frame holds now, in the source's pixels.
    wz::media::SourceRect Rect() const;
    const std::optional<wz::CropFrame>& frame() const { return frame_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage picture_;
    std::optional<wz::CropFrame> frame_;
    // Where a drag began, and the frame then: the frame follows the pointer's whole way, so
    // that after a stop at an edge it comes back with the pointer.
    std::optional<QPointF> dragFrom_;
    std::optional<wz::CropFrame> dragStart_;
};
