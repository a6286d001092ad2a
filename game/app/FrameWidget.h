#pragma once

// The game window's client area: 296 x 432 pixels, painted only with the composed frame.
//
// The frame's rows are bottom-up, blue-green-red. Qt cannot draw that format onto a window
// without converting the whole picture into a fresh image at every draw, so each paint copies
// the rows, upright, into an image of the window's own 32-bit format made once, and one
// drawImage puts that on the screen without any further conversion or allocation. On a
// high-DPI screen the device pixel ratio is a whole number and the frame is scaled by it
// without smoothing, so each frame pixel becomes a crisp square.

#include "Screens.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class QPainter;

namespace wz {

struct FrameView;

// Copies the frame into image (32 bits per pixel, 0xffRRGGBB, top row first), which must have
// the frame's size.
void CopyFrameToImage(const FrameView& view, QImage& image);

class FrameWidget : public QWidget, public FramePresenter {
public:
    // Composes the frame for one paint and presents it through the given presenter.
    using ComposeFunction = std::function<void(FramePresenter&)>;

    explicit FrameWidget(QWidget* parent = nullptr);

    void SetCompose(ComposeFunction compose) { compose_ = std::move(compose); }

    // Draws the frame; only inside this widget's paint.
    void PresentFrame(const Picture& frame) override;

    // Paints presented since the widget was made.
    std::uint64_t PresentCount() const { return presentCount_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ComposeFunction compose_;
    QPainter* painter_ = nullptr;
    QImage image_; // the frame, upright, in the window's format
    std::uint64_t presentCount_ = 0;
};

} // namespace wz
