#pragma once

// The preview pane beside the tree: the selected slot's picture at one pixel to one screen
// pixel with its size, or its track's length and note count with Play and Stop. View › Preview
// shows and hides it; whether it is shown is remembered across runs. The pane reads and
// decodes through SlotPreview and plays through TrackPlayer; it only draws.
//
// A pending picture the game cannot show gets a Fit button: the pane then gives its place to
// the fit panel (FitPanel), where the author frames the part that becomes the game picture.

#include "SlotPreview.h"
#include "TrackPlayer.h"

#include <QDockWidget>

#include <cstdint>
#include <span>
#include <vector>

class CMainFrame;
class CWZolvikCreatorView;
class FitPanel;
class QLabel;
class QPushButton;
class QScrollArea;

class PreviewDock : public QDockWidget {
    Q_OBJECT
public:
    // The settings key that remembers whether the pane is shown.
    static constexpr const char* kVisibleKey = "preview/visible";

    // Docks itself at the right of the frame, hidden, and follows the view's selection.
    PreviewDock(CMainFrame& frame, CWZolvikCreatorView& view);
    ~PreviewDock() override;

    // View › Preview: shows the pane when hidden, hides it when shown.
    void OnViewPreview() { SetPreviewShown(!shown_); }

    // Shows the pane as it was left in the last run (hidden at the first start).
    void RestoreVisibility();
    // Shows or hides the pane and remembers it. Shown, the frame grows by the pane's width;
    // hidden again, it gives that width back.
    void SetPreviewShown(bool shown);
    bool previewShown() const { return shown_; }

    // Reads and shows the view's selected slot now.
    void Refresh();
    // Shows bytes as the picture or the track of a slot, with the line that says where they
    // came from.
    void ShowPictureBytes(std::span<const std::uint8_t> bytes);
    void ShowTrackBytes(std::span<const std::uint8_t> bytes);

    void Play();
    void Stop();

    // Fit to Game Picture: shows the pane on the current slot's picture with its crop frame,
    // placed where the picture's interest lies. Nothing happens for a slot that needs no fit.
    void BeginFit();
    // Leaves the crop frame without a fit, as its Cancel button does.
    void CancelFit();
    bool fitting() const;

    wz::TrackPlayer& player() { return player_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ScheduleRefresh();
    void ShowText(const QString& text);
    void UpdateButtons();

    CMainFrame& frame_;
    CWZolvikCreatorView& view_;
    QLabel* origin_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QLabel* picture_ = nullptr;
    QLabel* info_ = nullptr;
    QPushButton* play_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* fit_ = nullptr; // Fit to Game Picture…, starts the crop frame
    FitPanel* fitPanel_ = nullptr;
    bool canFit_ = false; // the slot on show can be fitted
    bool shown_ = false;
    bool refreshPending_ = false;
    int grownBy_ = 0;                 // width the frame gained when the pane was shown
    int heightBefore_ = 0;            // the frame's height before the pane was shown
    std::vector<std::uint8_t> track_; // the track on show, for Play
    bool trackPlayable_ = false;
    QString trackInfo_;
    wz::TrackPlayer player_;
};
