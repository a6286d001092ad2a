#include "SlotPreview.h"

#include "CompoundStorage.h"
#include "ElementNames.h"
#include "LevelNames.h"
#include "MediaChecks.h"
#include "SourceFile.h"

#include <BitmapLayout.h>
#include <JpegDecoder.h>

#include <cmath>
#include <cstdio>
#include <system_error>

namespace wz {

namespace {

void ReadPendingFile(const std::string& path, SlotBytes& out) {
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxPreviewBytes) {
        out.error = "the file is too large to preview";
        return;
    }
    std::string reason;
    if (!ReadSourceFile(path, out.bytes, &reason)) {
        out.error = reason;
    }
}

void ReadAssetStream(const std::filesystem::path& assetFile, std::u16string_view storage,
                     const std::u16string& stream, SlotBytes& out) {
    // Read-only with writers denied, as the game opens the file: readers share it, so this
    // works while the game runs and the game can start while the editor shows a preview.
    CompoundStorage file;
    std::uint32_t size = 0;
    if (!file.Open(assetFile, true, false)) {
        out.error = "cannot open " + assetFile.filename().string();
    } else if (!file.OpenStorage(storage, true) || !file.OpenStream(stream, true)) {
        out.error = "the asset file has no such stream";
    } else if (file.GetStreamSize(&size) && size > kMaxPreviewBytes) {
        out.error = "the stream is too large to preview";
    } else if (!file.ReadWholeStream(stream, out.bytes)) {
        out.error = "the stream cannot be read";
    }
    file.CloseAll();
}

} // namespace

SlotBytes ReadSlotBytes(const SlotLists& lists, SlotKind kind, int slot,
                        const std::filesystem::path& assetFile) {
    SlotBytes out;
    if (slot < 0 || slot >= kSlotCount) {
        out.error = "no such slot";
        return out;
    }
    const bool pictures = kind == SlotKind::Pictures;
    const std::string& path = (pictures ? lists.picturePaths : lists.musicPaths)[slot];
    if (!path.empty()) {
        out.origin = PreviewOrigin::PendingFile;
        out.where = lists.PendingName(kind, slot);
        ReadPendingFile(path, out);
        return out;
    }
    const std::u16string_view storage = pictures ? kImagesStorage : kMusicStorage;
    const std::string& stream =
        (pictures ? lists.pictureStreamNames : lists.musicStreamNames)[slot];
    out.origin = PreviewOrigin::AssetFile;
    out.where = assetFile.filename().string() + ": " + cfb::NameToUtf8(storage) + "/" + stream;
    ReadAssetStream(assetFile, storage, cfb::NameFromUtf8(stream), out);
    return out;
}

PicturePreview DecodePicture(std::span<const std::uint8_t> bytes) {
    PicturePreview out;
    if (bytes.size() > kMaxPreviewBytes) {
        out.error = "the file is too large to preview";
        return out;
    }
    // The header first, so that a picture too large to show is refused before its pixels are
    // allocated.
    media::JpegDecoder decoder;
    if (!decoder.ReadInfo(bytes)) {
        out.error = decoder.Message();
        return out;
    }
    const BitmapInfoHeader& header = decoder.Header();
    const std::int32_t width = header.biWidth;
    const std::int32_t height = header.biHeight;
    if (width <= 0 || height <= 0 || width > kMaxPreviewSide || height > kMaxPreviewSide) {
        out.error = "the picture is too large to preview (" + PictureSizeText(width, height) + ")";
        return out;
    }
    const std::uint32_t stride = RowStride(width, 24);
    const std::size_t arrayBytes = std::size_t{stride} * static_cast<std::size_t>(height);
    if (header.biBitCount != 24 || header.biSizeImage < arrayBytes) {
        out.error = "the decoder described the image inconsistently";
        return out;
    }
    std::vector<std::uint8_t> decoded(header.biSizeImage);
    if (!decoder.Decode(bytes, decoded.data(), decoded.size())) {
        out.error = decoder.Message();
        return out;
    }
    // The decoder's rows are bottom-up in blue, green, red order; the preview's are top-down
    // in red, green, blue.
    out.width = width;
    out.height = height;
    const std::size_t row = static_cast<std::size_t>(out.width) * 3;
    out.rgb.resize(row * static_cast<std::size_t>(out.height));
    for (int y = 0; y < out.height; ++y) {
        const std::uint8_t* from =
            decoded.data() + static_cast<std::size_t>(out.height - 1 - y) * stride;
        std::uint8_t* to = out.rgb.data() + static_cast<std::size_t>(y) * row;
        for (std::size_t x = 0; x < row; x += 3) {
            to[x] = from[x + 2];
            to[x + 1] = from[x + 1];
            to[x + 2] = from[x];
        }
    }
    return out;
}

TrackPreview ReadTrackInfo(std::span<const std::uint8_t> bytes) {
    TrackPreview out;
    media::MidiInfo info;
    out.error = media::CheckMidi(bytes, info);
    if (out.ok()) {
        out.seconds = info.seconds;
        out.notes = info.notes;
    }
    return out;
}

std::string PictureSizeText(int width, int height) {
    return std::to_string(width) + " × " + std::to_string(height);
}

std::string TrackInfoText(const TrackPreview& track) {
    const auto total = static_cast<long long>(std::lround(track.seconds));
    char length[32];
    std::snprintf(length, sizeof length, "%lld:%02lld", total / 60, total % 60);
    const std::string notes = std::to_string(track.notes);
    return std::string("Length ") + length + ", " + notes + " notes\n(Длительность " + length +
           ", нот: " + notes + ")";
}

std::string OriginText(const SlotBytes& slot) {
    switch (slot.origin) {
    case PreviewOrigin::PendingFile:
        return std::string(kPendingPrefix) + slot.where;
    case PreviewOrigin::AssetFile:
        return slot.where;
    case PreviewOrigin::None:
        break;
    }
    return {};
}

} // namespace wz
