#pragma once

// Why an element of the asset file could not be read, in words for the error line: the file,
// the element's path inside it as far as the reader got, and the engine's reason for the step
// that failed. For example:
//   /home/player/WinData.stg: Images/Love1: no such element
//   /home/player/WinData.stg: not a compound file

#include "CompoundStorage.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace wz {

// reader is the CompoundStorage whose open of file, of storage or read of stream failed, as
// it was left by that failure.
std::string DescribeAssetFailure(const std::filesystem::path& file, std::u16string_view storage,
                                 std::u16string_view stream, const CompoundStorage& reader);

} // namespace wz
