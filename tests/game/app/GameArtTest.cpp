#include "GameArt.h"

#include <gtest/gtest.h>

#include <set>

namespace {

int DistinctColours(const QImage& image) {
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return static_cast<int>(colours.size());
}

// The About picture is 250 x 224 at 24 bits per pixel, and shows something.
TEST(GameArt, AboutPicture) {
    const QImage picture = wz::AboutPicture();
    EXPECT_EQ(picture.size(), QSize(250, 224));
    EXPECT_EQ(picture.depth(), 24);
    EXPECT_GT(DistinctColours(picture), 50);
    EXPECT_EQ(wz::AboutPicture(), picture); // the same every time
}

// The icon comes in every size a desktop asks for, each drawn, none scaled from another.
TEST(GameArt, IconSizes) {
    const QIcon icon = wz::GameIcon();
    for (int size : {16, 24, 32, 48, 64, 128}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage image = wz::GameIconImage(size);
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_GT(DistinctColours(image), 6) << size;
    }
}

} // namespace
