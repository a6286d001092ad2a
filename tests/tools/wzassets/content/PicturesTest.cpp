// The 22 background pictures: the frame's size once decoded, each its own picture, and none a
// flat or washed-out field.

#include "Pictures.h"
#include "DecodedPicture.h"
#include "DefaultContent.h"
#include "LevelNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

using wz::test::DecodedPicture;

std::vector<std::u16string_view> BackgroundNames() {
    std::vector<std::u16string_view> names{wz::kJacketPicture};
    for (int i = 0; i < wz::kLevelCount; ++i) {
        names.push_back(wz::levelPictureNames[static_cast<std::size_t>(i)]);
    }
    names.push_back(wz::kWinPicture);
    return names;
}

std::string Narrow(std::u16string_view s) {
    return {s.begin(), s.end()};
}

TEST(Pictures, EveryBackgroundDecodesToTheFrameSizeAndIsDistinct) {
    std::vector<DecodedPicture> decoded;
    for (auto name : BackgroundNames()) {
        SCOPED_TRACE(Narrow(name));
        DecodedPicture p;
        ASSERT_TRUE(p.Decode(wz::content::MakeDefaultElement({wz::kImagesStorage, name})));
        EXPECT_EQ(p.width, 296);
        EXPECT_EQ(p.height, 432);
        // Not a flat field: the grey levels spread widely.
        double sum = 0, sq = 0;
        for (int y = 0; y < p.height; y += 2) {
            for (int x = 0; x < p.width; x += 2) {
                auto c = p.At(x, y);
                double g = 0.3 * c.r + 0.59 * c.g + 0.11 * c.b;
                sum += g;
                sq += g * g;
            }
        }
        double n = (p.height / 2.0) * (p.width / 2.0);
        double spread = std::sqrt(sq / n - (sum / n) * (sum / n));
        EXPECT_GT(spread, 12.0);
        decoded.push_back(std::move(p));
    }
    // Each pair differs visibly on average, so no level repeats another's picture.
    for (std::size_t a = 0; a < decoded.size(); ++a) {
        for (std::size_t b = a + 1; b < decoded.size(); ++b) {
            double diff = 0;
            double samples = 0;
            for (std::size_t i = 0; i < decoded[a].pixels.size(); i += 7) {
                diff += std::abs(decoded[a].pixels[i] - decoded[b].pixels[i]);
                ++samples;
            }
            diff /= samples;
            EXPECT_GT(diff, 20.0) << Narrow(BackgroundNames()[a]) << " vs "
                                  << Narrow(BackgroundNames()[b]);
        }
    }
}

} // namespace
