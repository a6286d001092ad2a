#include "SlotLists.h"

#include <algorithm>

namespace wz {

SlotLists::SlotLists() {
    for (int i = 0; i < kSlotCount; ++i) {
        pictureStreamNames[i] = "Love" + std::to_string(i + 1);
        musicStreamNames[i] = pictureStreamNames[i];
    }
    pictureStreamNames[20] = "Win";
    musicStreamNames[20] = "Win";
    pictureStreamNames[21] = "Jacket";
    musicStreamNames[21] = "Titles";
}

SlotListRef SlotLists::List(SlotKind kind) {
    if (kind == SlotKind::Pictures) {
        return {u"Images",      pictureStreamNames, pictureLabels,   picturePaths,
                pictureChanged, picturesDirty,      pictureProblems, pictureFittedFrom};
    }
    return {u"Music",     musicStreamNames, musicLabels,   musicPaths,
            musicChanged, musicDirty,       musicProblems, musicFittedFrom};
}

std::string SlotLabel(int slotIndex) {
    const std::string number = std::to_string(slotIndex + 1);
    if (slotIndex == 20) {
        return number + " (Win (Выигрыш)). ";
    }
    if (slotIndex == 21) {
        return number + " (Jacket (Обложка)). ";
    }
    return number + ". ";
}

std::string SlotLists::PendingName(SlotKind kind, int slot) const {
    const bool pictures = kind == SlotKind::Pictures;
    const std::string& from = (pictures ? pictureFittedFrom : musicFittedFrom)[slot];
    if (from.empty()) {
        return (pictures ? picturePaths : musicPaths)[slot];
    }
    return from + std::string(kFittedMark);
}

void SlotLists::FormatLabels(SlotKind kind) {
    SlotListRef list = List(kind);
    for (int i = 0; i < kSlotCount; ++i) {
        list.labels[i] = SlotLabel(i) + PendingName(kind, i);
    }
}

int SlotLists::Drop(int first, const std::vector<std::string>& files) {
    SlotListRef list = List(Showing());
    first = std::clamp(first, 0, kSlotCount);
    std::size_t n = 0;
    for (; n < files.size() && first + n < std::size_t{kSlotCount}; ++n) {
        list.paths[first + n] = files[n];
        list.changed[first + n] = true;
        list.problems[first + n].clear();
        list.fittedFrom[first + n].clear();
    }
    list.dirty = true;
    return static_cast<int>(n);
}

void SlotLists::Clear(SlotKind kind) {
    SlotListRef list = List(kind);
    for (int i = 0; i < kSlotCount; ++i) {
        list.paths[i].clear();
        list.problems[i].clear();
        list.fittedFrom[i].clear();
        list.changed[i] = false;
    }
    list.dirty = false;
}

} // namespace wz
