#pragma once

// Small asset files for the tests, written with the compound-file engine: every picture a
// solid colour of its own so a test can tell which one is shown, the tile sheet and the media
// streams as the default content generator makes them, or bytes of the test's choice.

#include "CfbStorage.h"
#include "DefaultContent.h"
#include "JpegWriter.h"
#include "LevelNames.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace wz::test {

struct AssetStream {
    std::u16string storage;
    std::u16string name;
    std::vector<std::uint8_t> bytes;
};

// A JPEG of one colour.
inline std::vector<std::uint8_t> SolidJpeg(int width, int height, content::Rgb colour) {
    return content::EncodeJpeg(content::Canvas(width, height, colour), 95,
                               content::ChromaSampling::Full);
}

// The colour of the picture stream with this index in the list of pictures (0 Jacket, then
// Love1 to Love20, then Win): far apart, and never near black.
inline content::Rgb PictureColour(int index) {
    return {static_cast<std::uint8_t>(80 + 7 * index), static_cast<std::uint8_t>(200 - 5 * index),
            static_cast<std::uint8_t>(index % 2 ? 90 : 160)};
}

// Every element the game reads: 296 x 432 pictures of their own colours, and the default tile
// sheet, knock and tracks.
inline std::vector<AssetStream> SampleAssets() {
    std::vector<AssetStream> streams;
    streams.push_back({u"Images", u"Jacket", SolidJpeg(296, 432, PictureColour(0))});
    for (int i = 0; i < 21; ++i) {
        streams.push_back({u"Images", std::u16string(levelPictureNames[i]),
                           SolidJpeg(296, 432, PictureColour(i + 1))});
    }
    streams.push_back({u"Images", u"Titles", content::MakeDefaultElement({u"Images", u"Titles"})});
    streams.push_back({u"Sound", u"Knock", content::MakeDefaultElement({u"Sound", u"Knock"})});
    streams.push_back({u"Music", u"Titles", content::MakeDefaultElement({u"Music", u"Titles"})});
    for (int i = 0; i < 21; ++i) {
        streams.push_back({u"Music", std::u16string(levelPictureNames[i]),
                           content::MakeDefaultElement({u"Music", levelPictureNames[i]})});
    }
    return streams;
}

// The bytes of one stream of the list.
inline std::vector<std::uint8_t> StreamBytes(const std::vector<AssetStream>& streams,
                                             std::u16string_view storage,
                                             std::u16string_view name) {
    for (const AssetStream& s : streams) {
        if (s.storage == storage && s.name == name)
            return s.bytes;
    }
    return {};
}

// The streams without the ones of this storage, or without one stream.
inline std::vector<AssetStream> Without(std::vector<AssetStream> streams,
                                        std::u16string_view storage,
                                        std::u16string_view name = u"") {
    std::erase_if(streams, [&](const AssetStream& s) {
        return s.storage == storage && (name.empty() || s.name == name);
    });
    return streams;
}

// Writes a compound file holding the streams, each storage made when first named.
inline bool WriteAssetFile(const std::filesystem::path& path,
                           const std::vector<AssetStream>& streams) {
    std::shared_ptr<cfb::Storage> root;
    const std::uint32_t create = cfb::kModeCreate | cfb::kModeReadWrite | cfb::kShareExclusive;
    if (cfb::OpenCompoundFile(path, create, root) != 0) {
        return false;
    }
    std::map<std::u16string, std::shared_ptr<cfb::Storage>> storages;
    for (const AssetStream& s : streams) {
        auto& storage = storages[s.storage];
        if (!storage && root->CreateStorage(s.storage, create, storage) != 0) {
            return false;
        }
        std::shared_ptr<cfb::Stream> stream;
        if (storage->CreateStream(s.name, create, stream) != 0 ||
            stream->Write(s.bytes.data(), static_cast<std::uint32_t>(s.bytes.size()), nullptr) !=
                0) {
            return false;
        }
    }
    return true;
}

} // namespace wz::test
