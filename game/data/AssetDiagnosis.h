#pragma once

// Why an element of the asset file could not be read, in words for the error line: the file,
// the element's path inside it and the reason, found by going the same way again with the
// storage engine, which gives its reasons. For example:
//   /home/player/WinData.stg: Images/Love1: no such element
//   /home/player/WinData.stg: not a compound file

#include <filesystem>
#include <string>
#include <string_view>

namespace wz {

std::string DescribeAssetFailure(const std::filesystem::path& file, std::u16string_view storage,
                                 std::u16string_view stream);

} // namespace wz
