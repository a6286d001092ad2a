// Starting libvips for a program that reads pictures it did not make: only the loaders of the
// formats we accept may run, and the cache and the worker threads stay at what a desktop
// program should take.
//
// libvips loads every module it finds at start (ImageMagick, poppler, OpenSlide, libjxl and
// libheif on Debian), which maps their libraries, some 7 MiB, and brings loaders we block
// anyway. We start it without modules and load the one we need, libheif's, when a HEIF file
// comes.

#include "PictureLibrary.h"
#include "FitPicture.h"

#include <gmodule.h>
#include <vips/vips8>

#include <algorithm>
#include <cstdlib>
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

// libvips looks for its modules under $VIPSHOME/lib; no module can be found below a file.
constexpr const char* kHomeWithoutModules = "/dev/null";
// libheif's loader, a module of the libvips that the program was built with.
constexpr const char* kHeifModule = WZ_VIPS_MODULE_DIR "/vips-heif.so";

bool g_started = false;

void IgnoreWarning(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// Blocking marks the classes that exist at the time, so it runs again after a module adds
// its own.
void BlockLoaders() {
    vips_block_untrusted_set(TRUE);
    vips_operation_block_set("VipsForeignLoad", TRUE);
    for (const char* name : kAllowedLoaderClasses)
        vips_operation_block_set(name, FALSE);
}

void Start() {
    // libvips sets VIPSHOME itself when it is not set, so this takes nothing from anyone.
    ::setenv("VIPSHOME", kHomeWithoutModules, 1);
    if (VIPS_INIT("winzolvik") != 0) {
        vips_error_clear();
        return;
    }
    // A damaged file is refused with one line of ours; libvips' own warnings about each tile
    // it could not decode would only bury it.
    g_log_set_handler("VIPS", G_LOG_LEVEL_WARNING, IgnoreWarning, nullptr);
    BlockLoaders();

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

bool LoadHeifLoader() {
    static const bool loaded = [] {
        // The module registers its classes when it is opened, and stays for the program's life.
        GModule* module = g_module_open(kHeifModule, G_MODULE_BIND_LOCAL);
        if (module == nullptr)
            return false;
        g_module_make_resident(module);
        BlockLoaders();
        return true;
    }();
    return loaded;
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
