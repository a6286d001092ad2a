#include "FittedFiles.h"

#include "TempFiles.h"

#include <cerrno>
#include <cstring>

namespace wz {

std::string FittedFiles::Store(int slot, const std::vector<std::uint8_t>& jpeg,
                               std::string& reason) {
    // The slot's earlier picture goes only once this one is written whole: a fit that fails
    // leaves the slot with the picture it shows, which Save can still store.
    std::string file = MakeTempFile();
    if (file.empty()) {
        reason = std::strerror(errno);
        return {};
    }
    errno = 0;
    if (!WriteWholeFile(file, jpeg)) {
        reason = errno != 0 ? std::strerror(errno) : "the file could not be written whole";
        RemoveFile(file);
        return {};
    }
    Remove(slot);
    files_[slot] = file;
    return file;
}

void FittedFiles::KeepOnly(const SlotStrings& paths) {
    for (int i = 0; i < kSlotCount; ++i) {
        if (!files_[i].empty() && paths[i] != files_[i]) {
            Remove(i);
        }
    }
}

void FittedFiles::RemoveAll() {
    for (int i = 0; i < kSlotCount; ++i) {
        Remove(i);
    }
}

void FittedFiles::Remove(int slot) {
    RemoveFile(files_[slot]);
    files_[slot].clear();
}

} // namespace wz
