#include "TryInGame.h"

namespace wz {

namespace {

constexpr int kLastLevel = 20;
constexpr int kWinSlot = 20;

} // namespace

int TryLevel(int slot) {
    if (slot >= 0 && slot < kWinSlot) {
        return slot + 1;
    }
    return slot == kWinSlot ? kLastLevel : 0;
}

std::vector<std::string> TryArguments(int slot, const std::string& pack) {
    const int level = TryLevel(slot);
    if (level == 0) {
        return {pack};
    }
    return {"--level", std::to_string(level), pack};
}

} // namespace wz
