#include "AssetUpdate.h"

#include "AssetFileOps.h"
#include "CfbErrors.h"
#include "CfbStorage.h"
#include "CompoundStorage.h"
#include "EditorTexts.h"
#include "ElementNames.h"
#include "LevelNames.h"
#include "SlotChecks.h"
#include "SourceFile.h"
#include "TempFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace wz {

namespace fs = std::filesystem;

namespace {

// Removes the file the editor wrote, and never whatever else has taken its name since.
void RemoveRegularFile(const fs::path& file) {
    std::error_code ec;
    if (fs::is_regular_file(fs::symlink_status(file, ec))) {
        fs::remove(file, ec);
    }
}

} // namespace

AssetUpdate::AssetUpdate(MessageBoxSink& messages, fs::path folder)
    : messages_(messages), folder_(std::move(folder)) {}

fs::path AssetUpdate::AssetPath() const {
    return folder_ / kAssetFileName;
}

fs::path AssetUpdate::ScratchPath() const {
    return folder_ / kScratchFileName;
}

void AssetUpdate::Show(std::string_view text, MessageIcon icon) {
    messages_.ShowMessage(
        {std::string(kEditorTitle), std::string(text), icon, MessageOwner::ActiveWindow});
}

// The paths go with the flags: a label must never show a replacement that Save will not write.
bool AssetUpdate::InitialUpdate() {
    lists_.Clear(SlotKind::Pictures);
    lists_.Clear(SlotKind::Music);
    lists_.selectedSlot = 0;
    const bool usable = TestAssetFile();
    if (!usable) {
        Show(kStartMessage, MessageIcon::Exclamation);
    }
    ShowPictures();
    return usable;
}

bool AssetUpdate::TestAssetFile() {
    if (!RemoveReadOnlyMark(AssetPath())) {
        return false;
    }
    CompoundStorage file;
    bool opened = false;
    try {
        opened = file.Open(AssetPath(), false, false);
    } catch (const std::exception&) {
        opened = false;
    }
    file.CloseAll();
    return opened;
}

// Every change of the lists ends with one of the two rebuilds: the fitted pictures that no
// slot names any more go here.
void AssetUpdate::ShowPictures() {
    fitted_.KeepOnly(lists_.picturePaths);
    lists_.FormatLabels(SlotKind::Pictures);
    lists_.showingPictures = true;
    if (host_ != nullptr) {
        host_->RebuildTree();
    }
}

void AssetUpdate::ShowMusic() {
    fitted_.KeepOnly(lists_.picturePaths);
    lists_.FormatLabels(SlotKind::Music);
    lists_.showingPictures = false;
    if (host_ != nullptr) {
        host_->RebuildTree();
    }
}

void AssetUpdate::DropFiles(int firstSlot, const std::vector<std::string>& files) {
    const int filled = lists_.Drop(firstSlot, files);
    const SlotKind kind = lists_.Showing();
    SlotListRef list = lists_.List(kind);
    for (int i = std::clamp(firstSlot, 0, kSlotCount), n = 0; n < filled; ++i, ++n) {
        list.problems[i] = CheckSlotFile(kind, list.paths[i]);
    }
    if (lists_.showingPictures) {
        ShowPictures();
    } else {
        ShowMusic();
    }
}

void AssetUpdate::RevertCurrent() {
    if (lists_.showingPictures) {
        lists_.Clear(SlotKind::Pictures);
        ShowPictures();
    } else {
        lists_.Clear(SlotKind::Music);
        ShowMusic();
    }
}

void AssetUpdate::RestoreLastCopy() {
    lists_.selectedSlot = 0;
    lists_.showingPictures = false;
    RevertCurrent();
    lists_.showingPictures = true;
    RevertCurrent();
}

bool AssetUpdate::CanFit(int slot) const {
    if (slot < 0 || slot >= kSlotCount || !lists_.pictureChanged[slot]) {
        return false;
    }
    return !lists_.pictureProblems[slot].empty() || !lists_.pictureFittedFrom[slot].empty();
}

std::string AssetUpdate::FitSource(int slot) const {
    if (slot < 0 || slot >= kSlotCount) {
        return {};
    }
    const std::string& from = lists_.pictureFittedFrom[slot];
    return from.empty() ? lists_.picturePaths[slot] : from;
}

std::string AssetUpdate::FitSlot(int slot, const media::FitOptions& options) {
    const std::string source = FitSource(slot);
    if (source.empty() || !lists_.pictureChanged[slot]) {
        return "no picture is pending in this slot";
    }
    std::vector<std::uint8_t> jpeg;
    if (std::string reason = media::FitPicture(source, options, jpeg); !reason.empty()) {
        return reason;
    }
    std::string reason;
    const std::string file = fitted_.Store(slot, jpeg, reason);
    if (file.empty()) {
        return "the fitted picture cannot be kept: " + reason;
    }
    lists_.picturePaths[slot] = file;
    lists_.pictureFittedFrom[slot] = source;
    lists_.pictureProblems[slot] = CheckSlotBytes(SlotKind::Pictures, jpeg);
    return {};
}

bool AssetUpdate::FitPicture(int slot, const media::FitOptions& options) {
    const std::string source = FitSource(slot);
    const std::string reason = FitSlot(slot, options);
    if (!reason.empty()) {
        ShowFailure(FillPlaceholders(kFitFailedMessage, source), reason);
    }
    if (lists_.showingPictures) {
        ShowPictures();
    }
    return reason.empty();
}

std::vector<int> AssetUpdate::SlotsToFit() const {
    std::vector<int> slots;
    for (int i = 0; i < kSlotCount; ++i) {
        if (lists_.pictureChanged[i] && !lists_.pictureProblems[i].empty()) {
            slots.push_back(i);
        }
    }
    return slots;
}

void AssetUpdate::FitAllPictures(const FitProgress& progress) {
    const std::vector<int> slots = SlotsToFit();
    std::string failed;
    const int total = static_cast<int>(slots.size());
    for (int n = 0; n < total; ++n) {
        if (progress && !progress(n, total)) {
            break;
        }
        const std::string source = FitSource(slots[n]);
        if (const std::string reason = FitSlot(slots[n], {}); !reason.empty()) {
            failed += (failed.empty() ? "" : "\n") + source + ": " + reason;
        }
    }
    if (progress) {
        progress(total, total);
    }
    ShowPictures();
    if (!failed.empty()) {
        Show(FillPlaceholders(kFitAllFailedMessage, failed), MessageIcon::Exclamation);
    }
}

bool AssetUpdate::ReadSource(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& reason) {
    return ReadSourceFile(path, bytes, &reason);
}

void AssetUpdate::ShowFailure(std::string_view text, std::string_view reason) {
    std::string message(text);
    if (!reason.empty()) {
        message += '\n';
        message += reason;
    }
    Show(message, MessageIcon::Exclamation);
}

// Opens the asset file read-write and shared with nobody, as the start-up test does, and makes
// sure the storages that Save writes into are there. The programs never add a storage: a file
// without one is damaged.
bool AssetUpdate::OpenAssetFile(CompoundStorage& main, bool readOnly) {
    std::string reason;
    try {
        if (!main.Open(AssetPath(), readOnly, false)) {
            reason = cfb::ErrorText(main.result());
        }
        for (const SlotKind kind : {SlotKind::Pictures, SlotKind::Music}) {
            const bool dirty =
                kind == SlotKind::Pictures ? lists_.picturesDirty : lists_.musicDirty;
            if (!reason.empty() || !dirty) {
                continue;
            }
            const std::u16string name = lists_.List(kind).storageName;
            if (!main.OpenStorage(name, true)) {
                reason =
                    "the file has no storage \"" + std::string(name.begin(), name.end()) + "\"";
            }
        }
    } catch (...) {
        main.CloseAll();
        Show(kOpenMessage, MessageIcon::Exclamation);
        throw;
    }
    if (!reason.empty()) {
        main.CloseAll();
        ShowFailure(kOpenMessage, reason);
        return false;
    }
    return true;
}

// Reads every pending source file, pictures first, each list in slot order. Stops at the
// first that cannot be read and names it as the tree does: a fitted picture by the picture it
// was fitted from, not by its copy in the temporary folder.
bool AssetUpdate::ReadSources(std::vector<PendingStream>& pending) {
    std::string current;
    try {
        for (const SlotKind kind : {SlotKind::Pictures, SlotKind::Music}) {
            SlotListRef list = lists_.List(kind);
            if (!(kind == SlotKind::Pictures ? lists_.picturesDirty : lists_.musicDirty)) {
                continue;
            }
            for (int i = 0; i < kSlotCount; ++i) {
                if (!list.changed[i]) {
                    continue;
                }
                current = lists_.PendingName(kind, i);
                PendingStream stream{
                    list.storageName, cfb::NameFromUtf8(list.streamNames[i]), {}, kind, i};
                std::string reason;
                if (!ReadSource(list.paths[i], stream.bytes, reason)) {
                    ShowFailure(FillPlaceholders(kSourceMessage, current), reason);
                    return false;
                }
                pending.push_back(std::move(stream));
            }
        }
    } catch (...) {
        if (!current.empty()) {
            Show(FillPlaceholders(kSourceMessage, current), MessageIcon::Exclamation);
        }
        throw;
    }
    return true;
}

// Checks the bytes just read, which may differ from the files checked at the drop, and
// updates the slots' problems to match. When any would not play, asks once, naming them.
bool AssetUpdate::ConfirmUnplayable(const std::vector<PendingStream>& pending) {
    std::string unplayable;
    for (const PendingStream& p : pending) {
        SlotListRef list = lists_.List(p.kind);
        list.problems[p.slot] = CheckSlotBytes(p.kind, p.bytes);
        if (!list.problems[p.slot].empty()) {
            // Appended piece by piece: gcc 12 at -O3 takes a literal + std::string for an
            // overlapping copy and warns (-Wrestrict).
            if (!unplayable.empty()) {
                unplayable += '\n';
            }
            unplayable += lists_.PendingName(p.kind, p.slot);
            unplayable += ": ";
            unplayable += list.problems[p.slot];
        }
    }
    if (unplayable.empty()) {
        return true;
    }
    const MessageBoxRequest question{std::string(kEditorTitle),
                                     FillPlaceholders(kUnplayableQuestion, unplayable),
                                     MessageIcon::Exclamation, MessageOwner::ActiveWindow};
    if (messages_.Ask(question) == MessageAnswer::Yes) {
        return true;
    }
    lists_.showingPictures ? ShowPictures() : ShowMusic(); // the warnings as now found
    return false;
}

// Writes the whole tree of the asset file, with the pending streams in place of the stored
// ones, compactly into target, which is created or emptied. Save's scratch copy is flushed to
// the disk before it takes the asset file's place; a pack for one game needs no flush. A
// target this could not complete is removed: it is never a copy worth keeping, and no other
// command is writing it (the editor runs one command at a time).
bool AssetUpdate::WriteCompactCopy(CompoundStorage& main, const std::vector<PendingStream>& pending,
                                   const fs::path& target, bool flush, std::string_view failure) {
    CompoundStorage copy;
    const auto copyFailed = [&](std::string_view reason) {
        copy.CloseAll();
        RemoveRegularFile(target);
        ShowFailure(failure, reason);
    };
    std::string reason;
    try {
        std::vector<cfb::StreamReplacement> replacements;
        replacements.reserve(pending.size());
        for (const PendingStream& p : pending) {
            replacements.push_back({p.storage, p.stream, p.bytes});
        }
        if (!copy.Open(target, false, true)) {
            reason = cfb::ErrorText(copy.result());
        } else if (!main.CopyTo(copy, replacements)) {
            reason = cfb::ErrorText(main.result());
        } else {
            // Flushed here rather than on close, where a failure could not be told.
            copy.SkipSyncOnClose();
            copy.CloseAll();
            if (const std::error_code ec = flush ? FlushToDisk(target) : std::error_code()) {
                reason = ec.message();
            }
        }
    } catch (...) {
        copyFailed({});
        throw;
    }
    if (!reason.empty()) {
        copyFailed(reason);
        return false;
    }
    return true;
}

void AssetUpdate::RemoveScratchFile() {
    RemoveRegularFile(ScratchPath());
}

void AssetUpdate::SaveChanges() {
    lists_.selectedSlot = 0;
    if (!lists_.picturesDirty && !lists_.musicDirty) {
        return;
    }
    // Held from here until it has been replaced: a running game makes Save fail at once, and
    // the game cannot start on a file that is about to be replaced.
    CompoundStorage main;
    if (!OpenAssetFile(main, false)) {
        return;
    }
    std::vector<PendingStream> pending;
    if (!ReadSources(pending) || !ConfirmUnplayable(pending) ||
        !WriteCompactCopy(main, pending, ScratchPath(), true, kScratchMessage)) {
        return;
    }
    try {
        MoveOver(ScratchPath(), AssetPath());
    } catch (...) {
        // The asset file is as it was; a copy that could not take its place is of no use.
        RemoveScratchFile();
        throw; // the command guard tells the user
    }
    // What main holds open is the replaced file, which nothing will read again.
    main.SkipSyncOnClose();
    main.CloseAll();
    RestoreLastCopy();
    Show(kDoneMessage, MessageIcon::None);
}

// Read like Save reads, with writers denied only while the pack is written: a game already
// running on the asset file does not stop a Try. Nothing here changes a pending replacement
// or the selected slot.
std::string AssetUpdate::WriteTryPack() {
    CompoundStorage main;
    if (!OpenAssetFile(main, true)) {
        return {};
    }
    std::vector<PendingStream> pending;
    if (!ReadSources(pending) || !ConfirmUnplayable(pending)) {
        return {};
    }
    const std::string failure = FillPlaceholders(kTryPackMessage, TempFolder());
    const std::string pack = MakeTempFile();
    if (pack.empty()) {
        const int error = errno;
        ShowFailure(failure, std::strerror(error));
        return {};
    }
    if (!WriteCompactCopy(main, pending, pack, false, failure)) {
        return {};
    }
    return pack;
}

} // namespace wz
