#pragma once

// `wzassets build OUT [--from DIR]`: writes a complete asset file. Every element comes from
// DIR/<storage>/<name>.<extension> when such a file exists, byte for byte, and is generated
// otherwise. All sources are read before anything is written, and the file is written beside
// OUT under a scratch name and renamed over OUT at the end, so a failure leaves OUT as it was.
// An OUT that is one of the source files is refused: the build would put itself in its place.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace wz::assets {

struct BuiltElement {
    std::u16string storage;
    std::u16string name;
    std::filesystem::path source; // empty for generated content
    std::vector<std::uint8_t> bytes;
};

// Source files larger than this are refused: no picture, sound or track comes near it, and
// the whole file is held in memory while it is built.
inline constexpr std::uintmax_t kMaxSourceBytes = 64u * 1024 * 1024;

// The bytes of every element, in the file's order. Files in DIR that match no element are
// listed in ignored. On failure returns false with error set, naming the file.
bool CollectElements(const std::optional<std::filesystem::path>& from,
                     std::vector<BuiltElement>& elements,
                     std::vector<std::filesystem::path>& ignored, std::string& error);

// The command itself: reports each element written and a summary on out.
int RunBuild(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Writes the elements as a new compound file at out, through a scratch file and a rename.
bool WriteAssetFile(const std::filesystem::path& out, const std::vector<BuiltElement>& elements,
                    std::string& error);

} // namespace wz::assets
