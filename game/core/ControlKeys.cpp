#include "ControlKeys.h"

namespace wz {

namespace {

// One two-byte text (the character and its terminator) for every code, so that a name never
// needs building at run time.
constexpr std::array<std::array<char, 2>, 256> MakeOneCharacterNames() {
    std::array<std::array<char, 2>, 256> names{};
    for (int code = 0; code < 256; ++code) {
        names[code][0] = static_cast<char>(code);
        names[code][1] = '\0';
    }
    return names;
}

constexpr std::array<std::array<char, 2>, 256> oneCharacterNames = MakeOneCharacterNames();

} // namespace

std::string_view KeyName(std::uint8_t code) {
    for (const KeyNameEntry& entry : keyNames) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return std::string_view(oneCharacterNames[code].data(), 1);
}

} // namespace wz
