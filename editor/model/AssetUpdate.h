#pragma once

// The editor's pending replacements and the update of the asset file. The document owns one
// AssetUpdate; its view draws the lists. Its commands are written one job to a file:
// - AssetUpdate.cpp: the start-up test, the lists' redraws and the slot edits (drops, Revert
//   current, Restore last copy), with the messages all of them show;
// - AssetUpdateFit.cpp: the fitting of authors' pictures, kept in FittedFiles until Save;
// - AssetUpdateSave.cpp: Save with its phases and its scratch file, and Try in Game's pack,
//   written by Save's own compact copy.

#include "FitPicture.h"
#include "FittedFiles.h"
#include "MessageBox.h"
#include "SlotLists.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace wz {

inline constexpr std::string_view kScratchFileName = "WinData38746834.stg";

// Told after every change of the lists, so that the tree is drawn again from them.
class TreeHost {
public:
    virtual ~TreeHost() = default;
    virtual void RebuildTree() = 0;
};

class CompoundStorage;

class AssetUpdate {
public:
    // The asset and scratch files are looked up by relative name in folder, which defaults to
    // the current working directory at the time of each command.
    explicit AssetUpdate(MessageBoxSink& messages, std::filesystem::path folder = ".");
    virtual ~AssetUpdate() = default;
    AssetUpdate(const AssetUpdate&) = delete;
    AssetUpdate& operator=(const AssetUpdate&) = delete;

    SlotLists& lists() { return lists_; }
    const SlotLists& lists() const { return lists_; }
    void SetTreeHost(TreeHost* host) { host_ = host; }

    std::filesystem::path AssetPath() const;
    std::filesystem::path ScratchPath() const;

    // Clears both lists (paths, problems, flags and dirty marks), selects slot 1, tests the
    // asset file and shows the picture list. False when the test failed: the start message has been
    // shown and the editor must close.
    bool InitialUpdate();

    // The start-up test: the file exists, loses a read-only mark, and opens read-write with
    // nobody else holding it. Holds nothing open afterwards.
    bool TestAssetFile();

    void ShowPictures();
    void ShowMusic();

    // Files dropped on the tree fill the list on show from firstSlot on. Each is checked at
    // once; a file that would not play still becomes pending, with its slot's problem set.
    void DropFiles(int firstSlot, const std::vector<std::string>& files);

    void RevertCurrent();
    void RestoreLastCopy();

    // Fitting (AssetUpdateFit.cpp).

    // Whether the picture slot's pending file can be fitted: it would not play as it is, or
    // it is a fitted picture whose crop may be chosen again.
    bool CanFit(int slot) const;
    // The picture a fit of the slot starts from: the pending file, or the picture that a
    // fitted one was made from.
    std::string FitSource(int slot) const;
    // Fits the picture slot's source to a game picture and makes the result the slot's
    // pending file, kept in the temporary folder until it is saved or dropped; the slot then
    // shows the source's name marked as fitted. A source that cannot be fitted is reported
    // with its reason and leaves the slot as it was.
    bool FitPicture(int slot, const media::FitOptions& options);
    // The pending pictures that would not play, in slot order: what Fit All fits.
    std::vector<int> SlotsToFit() const;
    // Fits every pending picture that would not play, each where its interest lies, and shows
    // the picture list. progress(done, total) is told before each picture and after the
    // last; false stops. The pictures that could not be fitted are named in one message.
    using FitProgress = std::function<bool(int done, int total)>;
    void FitAllPictures(const FitProgress& progress = {});

    // Save and Try in Game's pack (AssetUpdateSave.cpp).

    // Writes a compact copy of the asset file with every pending replacement into the scratch
    // file, then renames it over the asset file. The asset file itself is never written: at
    // every moment it holds either all the old streams or all the new ones. Each failure
    // shows its message and keeps the pending changes. When a file read would not play in the
    // game, the user is asked once before anything is written; No keeps everything pending.
    // An exception from below a phase cleans
    // that phase up and shows its message, then goes on to the caller's command guard.
    void SaveChanges();

    // Writes a pack to try in the game: the asset file with every pending replacement, as
    // Save would write it, in a new file of the temporary folder. The asset file is only read
    // and the pending changes stay; files that would not play get Save's question. Returns
    // the pack's path, or empty when the user said No or a failure has been shown.
    std::string WriteTryPack();

protected:
    // Reads one source file whole; on failure reason says why. Tests override it to raise
    // failures below a phase.
    virtual bool ReadSource(const std::string& path, std::vector<std::uint8_t>& bytes,
                            std::string& reason);

private:
    // Save's phases, in the order it runs them.
    struct PendingStream {
        std::u16string storage;
        std::u16string stream;
        std::vector<std::uint8_t> bytes;
        SlotKind kind;
        int slot;
    };
    // Read-write and shared with nobody for Save; read-only, writers denied, for a pack.
    bool OpenAssetFile(CompoundStorage& main, bool readOnly);
    bool ReadSources(std::vector<PendingStream>& pending);
    bool ConfirmUnplayable(const std::vector<PendingStream>& pending);
    // The target's content is complete only when this returns true; otherwise it is removed
    // and failure is shown with the reason.
    bool WriteCompactCopy(CompoundStorage& main, const std::vector<PendingStream>& pending,
                          const std::filesystem::path& target, bool flush,
                          std::string_view failure);
    void RemoveScratchFile();

    // The fit without messages or redrawing: empty on success, else why not.
    std::string FitSlot(int slot, const media::FitOptions& options);

    void Show(std::string_view text, MessageIcon icon);
    // The message, and the system's reason on a line of its own when there is one.
    void ShowFailure(std::string_view text, std::string_view reason);

    MessageBoxSink& messages_;
    std::filesystem::path folder_;
    TreeHost* host_ = nullptr;
    SlotLists lists_;
    FittedFiles fitted_;
};

} // namespace wz
