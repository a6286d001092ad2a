#pragma once

// The game pictures the editor fits from the authors' own pictures. Each waits for Save in a
// file of its own in the temporary folder (a fresh name, readable by its user only), and goes
// as soon as no slot names it any more: after Save, a new drop, Revert, Restore, New or Open,
// and when the editor ends.

#include "SlotLists.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace wz {

class FittedFiles {
public:
    FittedFiles() = default;
    ~FittedFiles() { RemoveAll(); }
    FittedFiles(const FittedFiles&) = delete;
    FittedFiles& operator=(const FittedFiles&) = delete;

    // Writes jpeg as the fitted picture of the slot, in place of the slot's earlier one, and
    // returns its path. Empty when it cannot be written; reason then says why, and the earlier
    // one stays.
    std::string Store(int slot, const std::vector<std::uint8_t>& jpeg, std::string& reason);

    // Removes every file whose slot's pending path is no longer it.
    void KeepOnly(const SlotStrings& paths);
    void RemoveAll();

    const std::string& path(int slot) const { return files_[slot]; }

private:
    void Remove(int slot);

    std::array<std::string, kSlotCount> files_;
};

} // namespace wz
