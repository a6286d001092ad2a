#include "EditorTexts.h"

namespace wz {

std::string FillPlaceholders(std::string_view pattern, std::string_view value) {
    std::string out;
    out.reserve(pattern.size() + 2 * value.size());
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's') {
            out += value;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

} // namespace wz
