#include "AssetUpdate.h"

#include "EditorTexts.h"
#include "SlotChecks.h"

namespace wz {

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

} // namespace wz
