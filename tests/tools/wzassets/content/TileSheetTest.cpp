// The tile sheet as the game sees it after decoding: glyph, label and panel backgrounds must
// fall under the black key, strokes must not, and cell tiles must be opaque.

#include "TileSheet.h"
#include "DecodedPicture.h"
#include "DefaultContent.h"
#include "PixelFont.h"
#include "TileSheetArt.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using wz::test::DecodedPicture;
namespace ts = wz::tilesheet;

class TileSheet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        sheet_ = new DecodedPicture;
        ASSERT_TRUE(sheet_->Decode(wz::content::MakeDefaultElement({u"Images", u"Titles"})));
    }
    static void TearDownTestSuite() {
        delete sheet_;
        sheet_ = nullptr;
    }
    static DecodedPicture* sheet_;
};

DecodedPicture* TileSheet::sheet_ = nullptr;

TEST_F(TileSheet, IsAtLeastTheSizeTheScreensDrawFrom) {
    EXPECT_GE(sheet_->width, static_cast<int>(ts::kMinWidth));
    EXPECT_GE(sheet_->height, static_cast<int>(ts::kMinHeight));
}

TEST_F(TileSheet, GlyphCellsAreKeyedOutsideTheStrokeAndBrightOnIt) {
    // The stroke area is the 5 × 7 font scaled twice at (3, 1) in the cell plus its one-pixel
    // border; everything two pixels or more outside it must be transparent.
    for (const char* p = wz::content::kSheetGlyphs; *p != 0; ++p) {
        SCOPED_TRACE(std::string("glyph ") + *p);
        auto tile = ts::Glyph(*p);
        ASSERT_TRUE(tile.has_value());
        const std::uint8_t* rows = wz::content::FindGlyph(*p);
        ASSERT_NE(rows, nullptr);
        int bright = 0;
        int leaks = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                auto px = sheet_->At(static_cast<int>(tile->x) + x, static_cast<int>(tile->y) + y);
                bool nearInk = false;
                for (int dy = -2; dy <= 2 && !nearInk; ++dy) {
                    for (int dx = -2; dx <= 2 && !nearInk; ++dx) {
                        int fx = x + dx - 3;
                        int fy = y + dy - 1;
                        if (fx >= 0 && fy >= 0 && fx < 10 && fy < 14) {
                            nearInk = (rows[fy / 2] >> (4 - fx / 2)) & 1;
                        }
                    }
                }
                if (!nearInk && !px.Keyed()) {
                    ++leaks;
                }
                if (px.Max() >= 180) {
                    ++bright;
                }
            }
        }
        EXPECT_EQ(leaks, 0);
        EXPECT_GE(bright, 16); // even "." has 4 × 4 pixels of stroke
    }
}

TEST_F(TileSheet, LabelsAndPanelsHaveTextOnAKeyedGround) {
    struct Case {
        const char* name;
        ts::TileRect rect;
        int minBright;
    };
    const Case cases[] = {
        {"speed label", ts::kSpeedLabel, 150},
        {"score label", ts::kScoreLabel, 150},
        {"game-over panel", ts::kGameOverPanel, 1500},
        {"pause panel", ts::kPausePanel, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int bright = 0;
        int keyed = 0;
        for (std::uint32_t y = 0; y < c.rect.h; ++y) {
            for (std::uint32_t x = 0; x < c.rect.w; ++x) {
                auto px =
                    sheet_->At(static_cast<int>(c.rect.x + x), static_cast<int>(c.rect.y + y));
                bright += px.Max() >= 180 ? 1 : 0;
                keyed += px.Keyed() ? 1 : 0;
            }
        }
        EXPECT_GE(bright, c.minBright);
        EXPECT_GT(keyed, 0) << "some of the ground must be transparent";
        // Every corner pixel lies outside the text and the rounded panel.
        for (auto [x, y] : {std::pair{0u, 0u},
                            {c.rect.w - 1, 0u},
                            {0u, c.rect.h - 1},
                            {c.rect.w - 1, c.rect.h - 1}}) {
            EXPECT_TRUE(
                sheet_->At(static_cast<int>(c.rect.x + x), static_cast<int>(c.rect.y + y)).Keyed());
        }
    }
}

TEST_F(TileSheet, PanelBodiesAreOpaqueSoTheirTextReadsOnAnyBackground) {
    for (auto rect : {ts::kGameOverPanel, ts::kPausePanel}) {
        int seeThrough = 0;
        for (std::uint32_t y = 8; y + 8 < rect.h; ++y) {
            for (std::uint32_t x = 8; x + 8 < rect.w; ++x) {
                seeThrough +=
                    sheet_->At(static_cast<int>(rect.x + x), static_cast<int>(rect.y + y)).Keyed()
                        ? 1
                        : 0;
            }
        }
        EXPECT_EQ(seeThrough, 0);
    }
}

TEST_F(TileSheet, CellTilesAreOpaqueAndDistinctWithoutColour) {
    // Opaque: the game copies them without a key, but a cell that looked keyed would still
    // read as a hole. Distinct without colour: their grey-level patterns differ pairwise.
    std::vector<std::vector<int>> greys;
    for (int k = 1; k <= ts::kCellColours; ++k) {
        SCOPED_TRACE("cell " + std::to_string(k));
        auto rect = ts::Cell(k);
        std::vector<int> grey;
        for (std::uint32_t y = 1; y + 1 < rect.h; ++y) {
            for (std::uint32_t x = 1; x + 1 < rect.w; ++x) {
                auto px = sheet_->At(static_cast<int>(rect.x + x), static_cast<int>(rect.y + y));
                EXPECT_FALSE(px.Keyed()) << x << "," << y;
                grey.push_back((px.r * 30 + px.g * 59 + px.b * 11) / 100);
            }
        }
        greys.push_back(grey);
    }
    for (std::size_t a = 0; a < greys.size(); ++a) {
        for (std::size_t b = a + 1; b < greys.size(); ++b) {
            // Normalise brightness, then compare shapes of light and dark.
            auto mean = [](const std::vector<int>& v) {
                long s = 0;
                for (int g : v) {
                    s += g;
                }
                return static_cast<int>(s / static_cast<long>(v.size()));
            };
            int ma = mean(greys[a]);
            int mb = mean(greys[b]);
            int differing = 0;
            for (std::size_t i = 0; i < greys[a].size(); ++i) {
                differing += ((greys[a][i] > ma) != (greys[b][i] > mb)) ? 1 : 0;
            }
            EXPECT_GE(differing, 30) << "cells " << a + 1 << " and " << b + 1;
        }
    }
}

TEST_F(TileSheet, EverythingOutsideTheTilesIsBlack) {
    // The empty places of the table: right of "Z" and right of the cells.
    const ts::TileRect gaps[] = {{96, 48, 16, 16}, {80, 64, 32, 16},  {144, 64, 16, 16},
                                 {80, 80, 80, 16}, {120, 96, 40, 32}, {0, 116, 120, 12}};
    for (const auto& g : gaps) {
        for (std::uint32_t y = 0; y < g.h; ++y) {
            for (std::uint32_t x = 0; x < g.w; ++x) {
                EXPECT_TRUE(
                    sheet_->At(static_cast<int>(g.x + x), static_cast<int>(g.y + y)).Keyed());
            }
        }
    }
}

} // namespace
