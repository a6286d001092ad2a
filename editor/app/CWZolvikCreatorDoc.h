#pragma once

// The document: the pending replacements of the asset file's pictures and music, and the
// commands that change them or write them (Save, Restore, Revert current, the lists on show and
// the selected slot, Export, Fit). It holds them in a wz::AssetUpdate and tells its view to
// redraw after every change. It also
// carries the title that the frame shows in its caption.

#include "AssetUpdate.h"

#include <QObject>
#include <QString>

#include <string>
#include <vector>

class CWZolvikCreatorDoc : public QObject, private wz::TreeHost {
    Q_OBJECT
public:
    explicit CWZolvikCreatorDoc(wz::MessageBoxSink& messages, QObject* parent = nullptr);

    // Names the document; the frame shows the name in its title bar.
    void SetTitle(const QString& title) { emit titleChanged(title); }

    // The standard new and open commands; the document reads nothing from a file.
    bool OnNewDocument() { return true; }
    bool OnOpenDocument(const QString& path);

    // Names the document, clears the pending flags, tests the asset file and shows the
    // picture list. False when the file is unusable: its message has been shown.
    bool InitialUpdate();

    void ShowPictures() { update_.ShowPictures(); }
    void ShowMusic() { update_.ShowMusic(); }
    void RevertCurrent() { update_.RevertCurrent(); }
    void RestoreLastCopy() { update_.RestoreLastCopy(); }
    void SaveChanges() { update_.SaveChanges(); }
    // A pack of the asset file with every pending change, for Try in Game; empty when none
    // was written (see wz::AssetUpdate::WriteTryPack).
    std::string WriteTryPack() { return update_.WriteTryPack(); }
    // Files dropped on the view fill the list on show from firstSlot on.
    void DropFiles(int firstSlot, const std::vector<std::string>& files) {
        update_.DropFiles(firstSlot, files);
    }
    // The slot the user picked in the list on show; it stays selected when the tree is drawn
    // again.
    void SelectSlot(int slot) { update_.lists().selectedSlot = slot; }

    // Export of the list on show's slot: the file name proposed for it, and the writing of its
    // element to file (a failure is shown as a message).
    std::string ExportFileName(int slot) const;
    void ExportSlot(int slot, const std::string& file);

    // Fitting of the picture list's slots (see wz::AssetUpdate).
    bool CanFit(int slot) const { return update_.CanFit(slot); }
    std::string FitSource(int slot) const { return update_.FitSource(slot); }
    bool FitPicture(int slot, const wz::media::FitOptions& options) {
        return update_.FitPicture(slot, options);
    }
    void FitAllPictures(const wz::AssetUpdate::FitProgress& progress) {
        update_.FitAllPictures(progress);
    }

    // Read only: every change goes through the commands above.
    const wz::AssetUpdate& assetUpdate() const { return update_; }
    const wz::SlotLists& lists() const { return update_.lists(); }

signals:
    void titleChanged(const QString& title);
    // The lists changed: the view draws them again.
    void listsChanged();

private:
    void RebuildTree() override { emit listsChanged(); }

    wz::MessageBoxSink& messages_;
    wz::AssetUpdate update_;
};
