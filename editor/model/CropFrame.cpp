#include "CropFrame.h"

#include "FrameSize.h"

#include <algorithm>
#include <cmath>

namespace wz {

namespace {

constexpr double kShape = double(kFrameHeight) / kFrameWidth;

} // namespace

CropFrame::CropFrame(int sourceWidth, int sourceHeight, const media::SourceRect& start,
                     int paneWidth, int paneHeight)
    : sourceWidth_(std::max(1, sourceWidth)), sourceHeight_(std::max(1, sourceHeight)),
      maxWidth_(std::min(sourceWidth_, sourceHeight_ / kShape)) {
    // Without a start, the largest frame in the middle.
    const bool given = start.width > 0 && start.height > 0;
    width_ = std::clamp(given ? start.width : maxWidth_, MinWidth(), maxWidth_);
    x_ = (given ? start.x + start.width / 2.0 : sourceWidth_ / 2) - width_ / 2;
    y_ = (given ? start.y + start.height / 2.0 : sourceHeight_ / 2) - Height() / 2;
    Clamp();
    ResizePane(paneWidth, paneHeight);
}

double CropFrame::Height() const {
    return std::min(width_ * kShape, sourceHeight_);
}

void CropFrame::Clamp() {
    x_ = std::clamp(x_, 0.0, sourceWidth_ - width_);
    y_ = std::clamp(y_, 0.0, sourceHeight_ - Height());
}

void CropFrame::ResizePane(int paneWidth, int paneHeight) {
    scale_ =
        std::min(std::max(1, paneWidth) / sourceWidth_, std::max(1, paneHeight) / sourceHeight_);
    offsetX_ = (paneWidth - sourceWidth_ * scale_) / 2;
    offsetY_ = (paneHeight - sourceHeight_ * scale_) / 2;
}

media::SourceRect CropFrame::Rect() const {
    const int width = std::max(1, static_cast<int>(std::lround(width_)));
    const int height = std::max(1, static_cast<int>(std::lround(Height())));
    const int sw = static_cast<int>(sourceWidth_);
    const int sh = static_cast<int>(sourceHeight_);
    const int x = std::clamp(static_cast<int>(std::lround(x_)), 0, std::max(0, sw - width));
    const int y = std::clamp(static_cast<int>(std::lround(y_)), 0, std::max(0, sh - height));
    return {x, y, std::min(width, sw), std::min(height, sh)};
}

PaneRect CropFrame::FrameInPane() const {
    return {offsetX_ + x_ * scale_, offsetY_ + y_ * scale_, width_ * scale_, Height() * scale_};
}

PaneRect CropFrame::PictureInPane() const {
    return {offsetX_, offsetY_, sourceWidth_ * scale_, sourceHeight_ * scale_};
}

void CropFrame::DragBy(double dx, double dy) {
    x_ += dx / scale_;
    y_ += dy / scale_;
    Clamp();
}

void CropFrame::ZoomAt(double factor, PanePoint at) {
    if (!(factor > 0)) {
        return;
    }
    const double sx = (at.x - offsetX_) / scale_;
    const double sy = (at.y - offsetY_) / scale_;
    const double width = std::clamp(width_ * factor, MinWidth(), maxWidth_);
    const double ratio = width / width_;
    x_ = sx - (sx - x_) * ratio;
    y_ = sy - (sy - y_) * ratio;
    width_ = width;
    Clamp();
}

} // namespace wz
