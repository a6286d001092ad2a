// `wzassets check` on files whose structure is sound but whose content is not: one line per
// problem, named by the element, and exit 1.

#include "CfbTestSupport.h"
#include "DefaultContent.h"
#include "JpegWriter.h"
#include "KnockSound.h"
#include "WzAssets.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

namespace fs = std::filesystem;
using cfbtest::ScratchDir;

std::vector<std::uint8_t> Jpeg(int width, int height) {
    return wz::content::EncodeJpeg(wz::content::Canvas(width, height, {90, 140, 200}), 90,
                                   wz::content::ChromaSampling::Halved);
}

std::string Check(const fs::path& file, int expectedCode) {
    std::ostringstream out, err;
    EXPECT_EQ(wz::assets::RunWzAssets({"check", file.string()}, out, err), expectedCode)
        << out.str() << err.str();
    return out.str();
}

TEST(ContentChecks, EachDamagedElementIsOneLine) {
    ScratchDir dir;
    const fs::path from = dir / "from";
    fs::create_directories(from / "Images");
    fs::create_directories(from / "Sound");
    fs::create_directories(from / "Music");
    cfbtest::WriteFileBytes(from / "Images/Love5.jpg", cfbtest::Pattern(3000, 5));
    cfbtest::WriteFileBytes(from / "Images/Love7.jpg", Jpeg(100, 80));
    cfbtest::WriteFileBytes(from / "Images/Titles.jpg", Jpeg(160, 300));
    cfbtest::WriteFileBytes(from / "Sound/Knock.mid",
                            wz::content::MakeDefaultElement({u"Music", u"Win"}));
    cfbtest::WriteFileBytes(from / "Music/Love2.wav", wz::content::MakeKnockWav());
    const fs::path file = dir / "WinData.stg";
    std::ostringstream out, err;
    ASSERT_EQ(wz::assets::RunWzAssets({"build", file.string(), "--from", from.string(), "--quiet"},
                                      out, err),
              0);

    std::istringstream lines(Check(file, 1));
    std::vector<std::string> got;
    for (std::string line; std::getline(lines, line);) {
        got.push_back(line);
    }
    const std::vector<std::string> prefixes = {
        "Images/Titles: tile sheet is 160 x 300, the screens need at least 160 x 336",
        "Images/Love5: not a JPEG picture the game can decode",
        "Images/Love7: picture is 100 x 80, the game needs 296 x 432",
        "Sound/Knock: not a WAV file",
        "Music/Love2: not a Standard MIDI File",
    };
    ASSERT_EQ(got.size(), prefixes.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].rfind(prefixes[i], 0), 0u) << got[i];
    }
}

TEST(ContentChecks, MissingElementsAndStoragesAreNamed) {
    ScratchDir dir;
    cfbtest::Tree tree;
    for (const auto& e : wz::content::AssetElements()) {
        if (e.storage == u"Music" || e.name == u"Love9") {
            continue;
        }
        tree[cfb::NameToUtf8(e.storage) + "/" + cfb::NameToUtf8(e.name)] =
            wz::content::MakeDefaultElement(e);
    }
    const fs::path file = dir / "WinData.stg";
    ASSERT_EQ(cfbtest::BuildFile(file, tree), 0);
    EXPECT_EQ(Check(file, 1), "Images/Love9: missing\nMusic: missing\n");
}

} // namespace
