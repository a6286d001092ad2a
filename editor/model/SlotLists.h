#pragma once

// The two slot lists of the editor: 22 pictures and 22 music tracks of the asset file, each
// slot with its stream name, its tree label and the pending source file that replaces it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace wz {

inline constexpr int kSlotCount = 22;

using SlotStrings = std::array<std::string, kSlotCount>;
using SlotFlags = std::array<bool, kSlotCount>;

// Which of the two lists an operation works on.
enum class SlotKind { Pictures, Music };

// The members of one list, for the operations that work the same on both.
struct SlotListRef {
    const char16_t* storageName; // "Images" or "Music"
    SlotStrings& streamNames;
    SlotStrings& labels;
    SlotStrings& paths;
    SlotFlags& changed;
    bool& dirty;
    SlotStrings& problems;
    SlotStrings& fittedFrom;
};

// The members of the view that are not about drawing, in their order of declaration.
// Paths are kept as the platform's file names (bytes); labels are UTF-8 for the tree.
struct SlotLists {
    SlotLists();

    int selectedSlot = 0;           // slot selected when the tree is rebuilt, 0..21
    SlotStrings musicStreamNames;   // in the storage "Music"
    SlotStrings pictureStreamNames; // in the storage "Images"
    SlotStrings pictureLabels;      // label, then the pending path
    SlotStrings musicLabels;
    SlotStrings picturePaths; // pending source file, empty when none
    SlotStrings musicPaths;
    SlotFlags pictureChanged{}; // the slot has a pending replacement
    SlotFlags musicChanged{};
    bool picturesDirty = false; // the list received files since it was last cleared
    bool musicDirty = false;
    bool showingPictures = true;
    // Why the pending file would not play in the game (one line), empty when it would or when
    // nothing is pending; kept beside the path and cleared with it.
    SlotStrings pictureProblems;
    SlotStrings musicProblems;
    // The author's own picture that the pending file was fitted from, empty unless the pending
    // file is a fitted game picture (held in the temporary folder); cleared with the path.
    SlotStrings pictureFittedFrom;
    SlotStrings musicFittedFrom; // always empty: tracks are never fitted

    SlotListRef List(SlotKind kind);
    SlotKind Showing() const { return showingPictures ? SlotKind::Pictures : SlotKind::Music; }

    // What the slot's pending file is to the author: its path, or for a fitted picture the
    // path of the picture it was fitted from with kFittedMark.
    std::string PendingName(SlotKind kind, int slot) const;

    // Formats the 22 labels of the list afresh from the label table and appends each slot's
    // pending name: the text of each slot item after a rebuild.
    void FormatLabels(SlotKind kind);

    // Stores the dropped files in the list on show from slot first on; files beyond the last
    // slot are ignored. Marks the list dirty even when no slot was filled. A filled slot's
    // problem is cleared until its new file has been checked, and it is no longer fitted. Returns
    // the number of slots filled, from first on.
    int Drop(int first, const std::vector<std::string>& files);

    // Empties the paths, problems, fitted sources and flags of one list.
    void Clear(SlotKind kind);
};

inline constexpr std::string_view kFittedMark = " (fitted (подогнана))";

// The label of a slot with nothing pending: "5. ", "21 (Win (Выигрыш)). ", ...
std::string SlotLabel(int slotIndex);

} // namespace wz
