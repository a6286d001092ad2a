#pragma once

// What the picture functions need of the libvips start-up beyond StartPictureLibrary.

namespace wz::media {

// Starts the library if need be; false when it could not start.
bool PictureLibraryStarted();

// Makes libheif's loader available (HEIF and AVIF), once; false when it cannot be loaded.
bool LoadHeifLoader();

// Whether the libvips loader class (such as "VipsForeignLoadJpegSource") is one of those
// allowed to run.
bool IsAllowedLoader(const char* name);

} // namespace wz::media

#include <string>

namespace wz::media {

// The refusal of a picture whose header declares too many pixels.
std::string TooLargeLine(int width, int height);

} // namespace wz::media
