#pragma once

// What the preview pane shows of a slot, worked out without Qt: where the slot's bytes come
// from (the pending file when there is one, else the stream in the asset file), the picture
// decoded as the game decodes it, and a track's length and note count.

#include "SlotLists.h"

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace wz {

// Files and streams above this size are not read for a preview: the game's pictures and
// tracks are a few tens of kilobytes, and a preview must never hold up the editor.
inline constexpr std::uint64_t kMaxPreviewBytes = 64u << 20;
// Pictures larger than this on either side are not decoded (their pixels alone would take
// 48 MiB and more).
inline constexpr int kMaxPreviewSide = 4096;

enum class PreviewOrigin { None, PendingFile, AssetFile };

struct SlotBytes {
    PreviewOrigin origin = PreviewOrigin::None;
    std::string where; // the pending file's path, or "WinData.stg: Images/Love3"
    std::vector<std::uint8_t> bytes;
    std::string error; // why nothing could be read; empty on success
    bool ok() const { return error.empty(); }
};

// Reads the bytes of one slot of the list: the pending file when the slot has a path, else the
// slot's stream in the asset file. The asset file is opened read-only, sharing it with other
// readers (the game), and closed before this returns.
SlotBytes ReadSlotBytes(const SlotLists& lists, SlotKind kind, int slot,
                        const std::filesystem::path& assetFile);

// A decoded picture, rows top-down, three bytes per pixel in red, green, blue order, with no
// padding: pixel (x, y) starts at byte (y * width + x) * 3.
struct PicturePreview {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
    std::string error; // the decoder's reason; empty on success
    bool ok() const { return error.empty(); }
};

// Decodes JPEG bytes through the game's decoder.
PicturePreview DecodePicture(std::span<const std::uint8_t> bytes);

struct TrackPreview {
    double seconds = 0;
    std::uint32_t notes = 0;
    std::string error; // what is wrong with the file; empty when it reads
    bool ok() const { return error.empty(); }
};

TrackPreview ReadTrackInfo(std::span<const std::uint8_t> bytes);

// The texts under the preview: "296 × 432", "1:05, 312 notes (нот)".
std::string PictureSizeText(int width, int height);
std::string TrackInfoText(const TrackPreview& track);
// Where the bytes came from, for the line above the preview.
std::string OriginText(const SlotBytes& slot);

inline constexpr std::string_view kPendingPrefix = "Pending file (Новый файл): ";
inline constexpr std::string_view kNothingSelected =
    "Select a slot to preview it.\n(Выберите элемент для просмотра.)";
inline constexpr std::string_view kNoPreview = "No preview (Нет просмотра): %s";

} // namespace wz
