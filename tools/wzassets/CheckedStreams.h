#pragma once

// Reading streams out of a file that may be damaged. The engine follows a stream's chain
// wherever the FAT leads, so a chain that runs into the directory or into another stream
// would hand out those bytes as the stream's own. extract and unpack therefore ask the
// structural check first and take a stream only when its chain is sound.

#include "CfbCheck.h"
#include "CfbStorage.h"

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace wz::assets {

// Opens the stream at path ("Images/Love1"; every part but the last names a storage) below
// root, read-only. Returns the engine's result.
int OpenStreamAt(cfb::Storage& root, std::string_view path, std::shared_ptr<cfb::Stream>& stream);

// Why the stream at path cannot be taken as it stands ("damaged: ..."), or "" when the check
// found its chain sound.
std::string ChainFault(const cfb::CheckReport& report, const std::string& path);

// Copies the rest of the stream to sink; returns the engine's result (a failed write to sink
// shows in the sink's state).
int CopyStream(cfb::Stream& stream, std::ostream& sink);

// Writes the stream whole into the file target through a temporary file beside it (see
// OutputFile.h): a failure leaves target as it was and no partial file. On failure returns
// false with what (source, the stream's name, or target) and why set.
bool WriteStreamFile(cfb::Stream& stream, const std::string& source,
                     const std::filesystem::path& target, std::string& what, std::string& why);

} // namespace wz::assets
