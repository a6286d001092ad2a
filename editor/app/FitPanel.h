#pragma once

// The preview pane's crop-and-fit step: the author's picture shown whole with the crop frame
// (CropView), what to do, and Fit and Cancel under it. Fit makes the framed part the slot's
// game picture; it runs as a command, so a failure below it is reported as every command's is.

#include <QWidget>

#include <string>

class CMainFrame;
class CropView;
class CWZolvikCreatorView;
class QLabel;
class QPushButton;

class FitPanel : public QWidget {
    Q_OBJECT
public:
    // Hidden until the pane shows it; parent is the pane's content. The crop frame's picture
    // is never smaller than the pane's own picture area.
    FitPanel(CMainFrame& frame, CWZolvikCreatorView& view, QSize pictureMinimum, QWidget* parent);

    // Puts Fit and Cancel right after previous in the keyboard's order.
    void FollowInTabOrder(QWidget* previous);

    // Readies the slot's fit source whole in a copy of area's size with the crop frame placed
    // where the picture's interest lies, for the pane to show the panel. Empty on success,
    // else why the picture cannot be framed.
    std::string Begin(int slot, QSize area);
    // Whether the frame is over this slot's picture as the document names it now.
    bool Holds(int slot) const;
    bool fitting() const { return slot_ >= 0; }

    // Fits the framed part and leaves the crop frame, telling fitted() before the fit runs;
    // Cancel leaves it without a fit and tells cancelled().
    void Apply();
    void Cancel();
    // Leaves the frame quietly, for a pane that goes on to show another slot.
    void End();

signals:
    void fitted();
    void cancelled();

private:
    CMainFrame& frame_;
    CWZolvikCreatorView& view_;
    CropView* crop_ = nullptr;
    QLabel* hint_ = nullptr;
    QPushButton* apply_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int slot_ = -1;      // the slot under the crop frame, -1 when none
    std::string source_; // the picture the crop frame is over
};
