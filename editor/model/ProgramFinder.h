#pragma once

// Finding a program by its bare name, as the editor starts the game: beside the editor's own
// program first, then in the current folder, then along the search path.

#include <filesystem>
#include <string_view>

namespace wz {

inline constexpr std::string_view kGameProgram = "WinZolvik";

// The first executable regular file called name in ownFolder, currentFolder, then each folder
// of searchPath (colon-separated, as PATH; an empty entry means the current folder). Empty
// when there is none.
std::filesystem::path FindProgram(std::string_view name, const std::filesystem::path& ownFolder,
                                  const std::filesystem::path& currentFolder,
                                  std::string_view searchPath);

} // namespace wz
