#pragma once

// Element names are UTF-16 inside a compound file; the programs spell them in UTF-8 (paths in
// reports, folder names, the command line, the editor's slot lists). These two are the only
// conversions between the spellings.

#include <string>
#include <string_view>

namespace cfb {

// A name as UTF-8, surrogate pairs joined; a lone surrogate is encoded as it stands.
std::string NameToUtf8(std::u16string_view name);

// UTF-8 text as a name. A byte that starts no sequence becomes U+FFFD, as does a sequence cut
// off by the end of the text (which it consumes).
std::u16string NameFromUtf8(std::string_view text);

} // namespace cfb
