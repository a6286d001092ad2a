#include "AssetUpdate.h"

#include "AssetFileOps.h"
#include "CfbErrors.h"
#include "CfbStorage.h"
#include "CompoundStorage.h"
#include "EditorTexts.h"
#include "ElementNames.h"
#include "SlotChecks.h"
#include "SourceFile.h"
#include "TempFiles.h"

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

bool AssetUpdate::ReadSource(const std::string& path, std::vector<std::uint8_t>& bytes,
                             std::string& reason) {
    return ReadSourceFile(path, bytes, &reason);
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
    std::string pack = MakeTempFile();
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
