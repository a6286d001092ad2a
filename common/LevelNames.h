#pragma once

// Names of the elements of the asset file "WinData.stg", shared by the game, the editor and
// the asset tool. Every element name inside the file is UTF-16.

#include <array>
#include <string_view>

namespace wz {

inline constexpr std::string_view kAssetFileName = "WinData.stg";

inline constexpr std::u16string_view kImagesStorage = u"Images";
inline constexpr std::u16string_view kSoundStorage = u"Sound";
inline constexpr std::u16string_view kMusicStorage = u"Music";

inline constexpr std::u16string_view kJacketPicture = u"Jacket";
inline constexpr std::u16string_view kTilesPicture = u"Titles";
inline constexpr std::u16string_view kWinPicture = u"Win";
inline constexpr std::u16string_view kKnockSound = u"Knock";
inline constexpr std::u16string_view kTitleTrack = u"Titles";
inline constexpr std::u16string_view kWinTrack = u"Win";

inline constexpr int kLevelCount = 20;

// Index i holds the picture of level i + 1; index 20 is the picture after the last level.
// Each list ends with an empty marker, as the tables always have.
inline constexpr std::array<std::u16string_view, 22> levelPictureNames = {
    u"Love1",  u"Love2",  u"Love3",  u"Love4",  u"Love5",  u"Love6",  u"Love7",  u"Love8",
    u"Love9",  u"Love10", u"Love11", u"Love12", u"Love13", u"Love14", u"Love15", u"Love16",
    u"Love17", u"Love18", u"Love19", u"Love20", u"Win",    u"",
};

// The music of each level. It differs from the picture list at levels 6, 18 and 20: level 6
// plays the track stored as "Love18", level 18 plays "Love20" and level 20 plays "Love6".
using LevelTrackList = std::array<std::u16string_view, 22>;
inline constexpr LevelTrackList levelTrackNames = {
    u"Love1",  u"Love2",  u"Love3",  u"Love4",  u"Love5",  u"Love18", u"Love7",  u"Love8",
    u"Love9",  u"Love10", u"Love11", u"Love12", u"Love13", u"Love14", u"Love15", u"Love16",
    u"Love17", u"Love20", u"Love19", u"Love6",  u"Win",    u"",
};

} // namespace wz
