#include "AssetUpdate.h"

#include "AssetFileOps.h"
#include "CompoundStorage.h"
#include "EditorTexts.h"
#include "LevelNames.h"
#include "SlotChecks.h"

#include <algorithm>

namespace wz {

namespace fs = std::filesystem;

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

void AssetUpdate::ShowFailure(std::string_view text, std::string_view reason) {
    std::string message(text);
    if (!reason.empty()) {
        message += '\n';
        message += reason;
    }
    Show(message, MessageIcon::Exclamation);
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

} // namespace wz
