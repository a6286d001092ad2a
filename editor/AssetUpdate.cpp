#include "AssetUpdate.h"

#include "AssetFileOps.h"
#include "CfbStorage.h"
#include "CompoundStorage.h"
#include "EditorTexts.h"
#include "LevelNames.h"
#include "SourceFile.h"

#include <system_error>

namespace wz {

namespace fs = std::filesystem;

namespace {

// Stream names are plain ASCII; each byte becomes one UTF-16 unit.
std::u16string Widen(const std::string& name) {
    return std::u16string(name.begin(), name.end());
}

// The whole tree of one file's root, copied into another's.
bool CopyWholeTree(const CompoundStorage& from, const CompoundStorage& to) {
    return from.Root() != nullptr && to.Root() != nullptr && from.Root()->CopyTo(*to.Root()) == 0;
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

bool AssetUpdate::InitialUpdate() {
    lists_.pictureChanged.fill(false);
    lists_.musicChanged.fill(false);
    lists_.picturesDirty = false;
    lists_.musicDirty = false;
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

void AssetUpdate::ShowPictures() {
    lists_.FormatLabels(SlotKind::Pictures);
    lists_.showingPictures = true;
    if (host_ != nullptr) {
        host_->RebuildTree();
    }
}

void AssetUpdate::ShowMusic() {
    lists_.FormatLabels(SlotKind::Music);
    lists_.showingPictures = false;
    if (host_ != nullptr) {
        host_->RebuildTree();
    }
}

void AssetUpdate::DropFiles(int firstSlot, const std::vector<std::string>& files) {
    lists_.Drop(firstSlot, files);
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

bool AssetUpdate::ReadSource(const std::string& path, std::vector<std::uint8_t>& bytes) {
    return ReadSourceFile(path, bytes);
}

// One pass of Save over one list: every changed slot's stream is destroyed and created again
// with the whole source file. Stops at the first slot that fails.
bool AssetUpdate::ReplaceStreams(SlotKind kind) {
    SlotListRef list = lists_.List(kind);
    CompoundStorage main;

    // Each phase ends the same way whether it failed or an exception left it: the file is
    // closed and the phase's message shown; the exception then goes on.
    const auto openFailed = [&] {
        main.CloseAll();
        Show(kOpenMessage, MessageIcon::Exclamation);
    };
    bool opened = false;
    try {
        opened = main.Open(AssetPath(), false, false);
        if (opened) {
            // Save flushes this file once it knows whether the compact copy replaces it.
            main.Root()->SkipSyncOnClose();
            opened = main.OpenStorage(list.storageName, false);
        }
    } catch (...) {
        openFailed();
        throw;
    }
    if (!opened) {
        openFailed();
        return false;
    }

    int failedSlot = -1;
    const auto loopEnded = [&] {
        main.CloseAll();
        if (failedSlot >= 0) {
            Show(FillPlaceholders(kSourceMessage, list.paths[failedSlot]),
                 MessageIcon::Exclamation);
        }
    };
    try {
        for (int i = 0; i < kSlotCount && failedSlot < 0; ++i) {
            if (!list.changed[i]) {
                continue;
            }
            failedSlot = i;
            std::vector<std::uint8_t> bytes;
            if (!ReadSource(list.paths[i], bytes)) {
                break;
            }
            const std::u16string name = Widen(list.streamNames[i]);
            if (!main.DeleteStream(name) || !main.CreateStream(name) ||
                !main.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size())) ||
                !main.CloseStream()) {
                break;
            }
            failedSlot = -1;
        }
    } catch (...) {
        loopEnded();
        throw;
    }
    loopEnded();
    return failedSlot < 0;
}

// Copies the whole updated file into a fresh scratch file, which leaves out the space the
// replaced streams took. A scratch file this pass could not complete is removed: it is never
// a copy worth keeping.
bool AssetUpdate::Compact() {
    CompoundStorage main;
    CompoundStorage scratch;
    bool created = false;
    bool copied = false;
    const auto copyFailed = [&] {
        if (created) {
            std::error_code ignored;
            fs::remove(ScratchPath(), ignored);
        }
        Show(kScratchMessage, MessageIcon::Exclamation);
    };
    try {
        if (main.Open(AssetPath(), true, false)) {
            created = scratch.Open(ScratchPath(), false, true);
            copied = created && CopyWholeTree(main, scratch);
        }
    } catch (...) {
        main.CloseAll();
        scratch.CloseAll();
        copyFailed();
        throw;
    }
    main.CloseAll();
    scratch.CloseAll();
    if (!copied) {
        copyFailed();
        return false;
    }
    return true;
}

void AssetUpdate::SaveChanges() {
    lists_.selectedSlot = 0;
    if (!lists_.picturesDirty && !lists_.musicDirty) {
        return;
    }
    // The replacement passes leave their writes to the system's write-back: when the compact
    // copy goes over the file, only that copy has to reach the disk, and waiting for the
    // passes' writes too would be waiting for a file about to be replaced. On every other way
    // out, the streams the passes did replace are flushed here, exceptions included.
    struct FlushUnlessReplaced {
        fs::path file;
        bool replaced = false;
        ~FlushUnlessReplaced() {
            if (!replaced) {
                (void)FlushToDisk(file);
            }
        }
    } flush{AssetPath()};
    if (lists_.picturesDirty && !ReplaceStreams(SlotKind::Pictures)) {
        return;
    }
    if (lists_.musicDirty && !ReplaceStreams(SlotKind::Music)) {
        return;
    }
    if (!Compact()) {
        return;
    }
    MoveOver(ScratchPath(), AssetPath()); // a failure goes on to the dispatcher's message
    flush.replaced = true;
    RestoreLastCopy();
    Show(kDoneMessage, MessageIcon::None);
}

} // namespace wz
