// Starting libvips for a program that reads pictures it did not make: only the loaders of the
// formats we accept may run, and the cache and the worker threads stay at what a desktop
// program should take.

#include "PictureLibrary.h"
#include "FitPicture.h"

#include <vips/vips8>

#include <algorithm>
#include <mutex>
#include <string_view>
#include <thread>

namespace wz::media {

namespace {

// The loader classes that may run. Everything else below VipsForeignLoad stays blocked,
// among them PDF, SVG, FITS, MAT, OpenSlide and ImageMagick. BMP is not here: it is read by
// our own reader.
constexpr const char* kAllowedLoaderClasses[] = {
    "VipsForeignLoadJpeg",  "VipsForeignLoadPng",  "VipsForeignLoadWebp",
    "VipsForeignLoadNsgif", "VipsForeignLoadTiff", "VipsForeignLoadHeif",
};

// A program fits one picture at a time: a few operations and a little memory are enough to
// keep, and more threads than this only compete with the program's own.
constexpr int kCachedOperations = 16;
constexpr std::size_t kCacheBytes = 32u << 20;
constexpr int kCachedFiles = 4;
constexpr int kMaxThreads = 4;

bool g_started = false;

void IgnoreWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

void Start() {
    if (VIPS_INIT("winzolvik") != 0) {
        vips_error_clear();
        return;
    }
    // A damaged file is refused with one line of ours; libvips' own warnings about each tile
    // it could not decode would only bury it.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, IgnoreWarning, nullptr);
    vips_block_untrusted_set(TRUE);
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const char* name : kAllowedLoaderClasses)
        vips_operation_block_set(name, FALSE);

    vips_cache_set_max(kCachedOperations);
    vips_cache_set_max_mem(kCacheBytes);
    vips_cache_set_max_files(kCachedFiles);
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    vips_concurrency_set(std::clamp(cores, 1, kMaxThreads));
    g_started = true;
}

} // namespace

void StartPictureLibrary() {
    static std::once_flag once;
    std::call_once(once, Start);
}

bool PictureLibraryStarted() {
    StartPictureLibrary();
    return g_started;
}

bool IsAllowedLoader(const char* name) {
    if (name == nullptr)
        return false;
    const std::string_view loader(name);
    // Each loader comes as a file, a buffer and a source variant of its class.
    return std::any_of(std::begin(kAllowedLoaderClasses), std::end(kAllowedLoaderClasses),
                       [&](std::string_view allowed) {
                           if (!loader.starts_with(allowed))
                               return false;
                           const std::string_view variant = loader.substr(allowed.size());
                           return variant.empty() || variant == "File" || variant == "Buffer" ||
                                  variant == "Source";
                       });
}

} // namespace wz::media
