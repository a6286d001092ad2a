#pragma once

// The game window's client area: 296 x 432 pixels, painted only with the composed frame.
//
// The frame's rows are bottom-up, blue-green-red; a QImage wraps them as they are (made once,
// not per paint) and one drawImage through a vertical flip puts them on the screen. On a
// high-DPI screen the device pixel ratio is a whole number and the frame is scaled by it
// without smoothing, so each frame pixel becomes a crisp square.

#include "Screens.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class QPainter;

namespace wz {

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
    QImage image_; // wraps the frame's own pixels
    std::uint64_t presentCount_ = 0;
};

} // namespace wz
