#pragma once

// The crop frame of the editor's fit pane: the part of the author's picture that becomes the
// game picture, of the game picture's shape, which the author drags and sizes over a copy of
// the picture shown whole in the pane. It works in the source's own pixels and maps them to
// the pane's, where the copy is drawn centred at the largest scale that shows it whole.
//
// The frame always lies inside the picture and keeps its shape: it is never larger than the
// picture allows (the picture always covers it) and never smaller than an eighth of that.

#include "FitPicture.h"

namespace wz {

struct PanePoint {
    double x = 0;
    double y = 0;
};

struct PaneRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

class CropFrame {
public:
    // A frame over a source of the given upright size, first placed on start (the attention
    // rectangle) as nearly as the limits allow. The pane is paneWidth x paneHeight.
    CropFrame(int sourceWidth, int sourceHeight, const media::SourceRect& start, int paneWidth,
              int paneHeight);

    // The frame in whole source pixels, inside the picture: what the fit keeps.
    media::SourceRect Rect() const;
    // The frame, and the whole picture, in pane pixels.
    PaneRect FrameInPane() const;
    PaneRect PictureInPane() const;

    // Follows a drag of the pointer by dx, dy pane pixels; the frame stops at the edges.
    void DragBy(double dx, double dy);
    // Makes the frame factor times as wide and high, keeping the source point under the pane
    // point where it is in the frame; below 1 zooms in. Limited as above.
    void ZoomAt(double factor, PanePoint at);
    // Another pane size: the frame stays on the same part of the picture.
    void ResizePane(int paneWidth, int paneHeight);

    double MinWidth() const { return maxWidth_ / 8; }

private:
    void Clamp();
    double Height() const;

    double sourceWidth_, sourceHeight_;
    double maxWidth_;
    double x_ = 0, y_ = 0, width_ = 0; // in source pixels
    double scale_ = 1;                 // pane pixels per source pixel
    double offsetX_ = 0, offsetY_ = 0; // the picture's top left corner in the pane
};

} // namespace wz
