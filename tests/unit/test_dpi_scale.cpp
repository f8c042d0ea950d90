// The DPI arithmetic: one rounding rule, the 96-dpi identity, edges scaled
// rather than sizes, large factors, and the choice of resampling filter.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "DpiScale.h"

using dpi::Box;
using dpi::Filter;

TEST(DpiScale, DesignResolutionChangesNothing) {
    for (int v : {0, 1, -1, 11, -11, 457, 678, INT_MAX, INT_MIN}) {
        EXPECT_EQ(dpi::Scale(v, 96), v);
        EXPECT_EQ(dpi::Scale(v, 144, 144), v);
    }
    const Box box{12, 36, 653, 373};
    EXPECT_EQ(dpi::ScaleBox(box, 96), box);
}

TEST(DpiScale, RoundsToNearestWithHalvesAwayFromZero) {
    // 120 dpi is 1.25x: 11 -> 13.75, 13 -> 16.25, 2 -> 2.5, 6 -> 7.5
    EXPECT_EQ(dpi::Scale(11, 120), 14);
    EXPECT_EQ(dpi::Scale(13, 120), 16);
    EXPECT_EQ(dpi::Scale(2, 120), 3);
    EXPECT_EQ(dpi::Scale(6, 120), 8);
    // Negative font heights round like their positive twins.
    EXPECT_EQ(dpi::Scale(-11, 120), -14);
    EXPECT_EQ(dpi::Scale(-2, 120), -3);
    EXPECT_EQ(dpi::Scale(-13, 144), -20);  // -19.5
    EXPECT_EQ(dpi::Scale(13, 144), 20);
    // Odd divisors: 1 * 96 / 97 = 0.9897 -> 1, 1 * 48 / 97 = 0.4948 -> 0
    EXPECT_EQ(dpi::Scale(1, 96, 97), 1);
    EXPECT_EQ(dpi::Scale(1, 48, 97), 0);
    // Back down again: 144 -> 96 of 17 (from 11.333) -> 11
    EXPECT_EQ(dpi::Scale(17, 96, 144), 11);
    EXPECT_EQ(dpi::Scale(11, 192), 22);
}

TEST(DpiScale, LargeFactorsAndValuesDoNotOverflow) {
    EXPECT_EQ(dpi::Scale(1000, 960), 10000);
    EXPECT_EQ(dpi::Scale(INT_MAX / 2, 384), INT_MAX);
    EXPECT_EQ(dpi::Scale(INT_MIN / 2, 384), INT_MIN);
    EXPECT_EQ(dpi::Scale(INT_MAX, 96, 192), 1073741824);  // 1073741823.5 -> away from zero
    EXPECT_EQ(dpi::Scale(100000, 480), 500000);
    const Box huge = dpi::ScaleBox({INT_MAX - 10, 0, 100, 10}, 192);
    EXPECT_EQ(huge.left, INT_MAX);
    EXPECT_EQ(huge.width, 0);
}

TEST(DpiScale, ZeroOrNegativeResolutionsLeaveValues) {
    EXPECT_EQ(dpi::Scale(50, 0), 50);
    EXPECT_EQ(dpi::Scale(50, 144, 0), 50);
    EXPECT_EQ(dpi::Scale(50, -96), 50);
    EXPECT_EQ(dpi::Sanitize(0), 96);
    EXPECT_EQ(dpi::Sanitize(-5), 96);
    EXPECT_EQ(dpi::Sanitize(144), 144);
}

TEST(DpiScale, BoxesScaleTheirEdgesSoNeighboursStayNeighbours) {
    // Two buttons side by side at 1.25x: 16..113 and 113..250.
    const Box a = dpi::ScaleBox({16, 419, 97, 28}, 120);
    const Box b = dpi::ScaleBox({113, 419, 137, 28}, 120);
    EXPECT_EQ(a, (Box{20, 524, 121, 35}));  // 20, 523.75, right 141.25, bottom 558.75
    EXPECT_EQ(a.left + a.width, b.left);
    // Scaling the size alone would give 97 * 1.25 = 121.25 -> 121 here, but
    // 1 * 1.25 .. 2 * 1.25 is 1.25..2.5 -> 1..3: a width of 2, not 1.
    EXPECT_EQ(dpi::ScaleBox({1, 1, 1, 1}, 120), (Box{1, 1, 2, 2}));
    // 408 -> 612, right 545 -> 817.5 -> 818: 206 wide (the size alone, 205.5, could give 205)
    EXPECT_EQ(dpi::ScaleBox({408, 419, 137, 28}, 144), (Box{612, 629, 206, 42}));
    EXPECT_EQ(dpi::ScaleBox({-3, -3, 6, 6}, 144), (Box{-5, -5, 10, 10}));
}

TEST(DpiScale, FilterDependsOnTheFactor) {
    EXPECT_EQ(dpi::FilterFor(16, 16, 16, 16), Filter::None);
    EXPECT_EQ(dpi::FilterFor(16, 16, 32, 32), Filter::NearestNeighbour);
    EXPECT_EQ(dpi::FilterFor(16, 16, 48, 48), Filter::NearestNeighbour);
    EXPECT_EQ(dpi::FilterFor(16, 16, 20, 20), Filter::HighQuality);
    EXPECT_EQ(dpi::FilterFor(16, 16, 24, 24), Filter::HighQuality);
    // Whole but unequal factors would distort: interpolate.
    EXPECT_EQ(dpi::FilterFor(16, 16, 32, 48), Filter::HighQuality);
    EXPECT_EQ(dpi::FilterFor(32, 16, 16, 8), Filter::HighQuality);  // shrinking
    EXPECT_EQ(dpi::FilterFor(0, 16, 32, 32), Filter::None);        // nothing to draw
}

// ---- resampling

#include "PixelScale.h"

TEST(PixelScale, NearestNeighbourMakesExactBlocksAtWholeFactors) {
    const std::vector<uint32_t> two{0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004};  // 2 x 2
    const auto out = dpi::Resample(two, 2, 2, 4, 4, Filter::NearestNeighbour);
    const std::vector<uint32_t> expected{0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002,
                                         0xFF000001, 0xFF000001, 0xFF000002, 0xFF000002,
                                         0xFF000003, 0xFF000003, 0xFF000004, 0xFF000004,
                                         0xFF000003, 0xFF000003, 0xFF000004, 0xFF000004};
    EXPECT_EQ(out, expected);
}

TEST(PixelScale, HighQualityAveragesTheCoveredArea) {
    // A black and a white pixel widened to three: the middle one covers
    // half of each (grey 128 after rounding 127.5), the outer ones one each.
    const std::vector<uint32_t> row{0xFF000000, 0xFFFFFFFF};
    const auto out = dpi::Resample(row, 2, 1, 3, 1, Filter::HighQuality);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0], 0xFF000000u);
    EXPECT_EQ(out[1], 0xFF808080u);
    EXPECT_EQ(out[2], 0xFFFFFFFFu);
    // A plain colour stays that colour at any size.
    const std::vector<uint32_t> plain(16 * 16, 0xFF3366CC);
    for (int size : {20, 24, 40}) {
        const auto scaled = dpi::Resample(plain, 16, 16, size, size, Filter::HighQuality);
        ASSERT_EQ(scaled.size(), static_cast<size_t>(size * size));
        EXPECT_TRUE(std::all_of(scaled.begin(), scaled.end(), [](uint32_t p) { return p == 0xFF3366CC; })) << size;
    }
}

TEST(PixelScale, RefusesMismatchedSources) {
    EXPECT_TRUE(dpi::Resample({1, 2, 3}, 2, 2, 4, 4, Filter::HighQuality).empty());
    EXPECT_TRUE(dpi::Resample({1}, 1, 1, 0, 4, Filter::NearestNeighbour).empty());
    EXPECT_TRUE(dpi::Resample({1}, 1, 1, 2, 2, Filter::None).empty());
    EXPECT_EQ(dpi::Resample({7}, 1, 1, 1, 1, Filter::None), std::vector<uint32_t>{7});
}

TEST(PixelScale, KeyedPicturesKeepAHardEdgeWithoutAFringe) {
    const uint32_t key = 0xFF00FF;
    // Red pixel beside a key pixel, 2 x 1 -> 3 x 1: the middle pixel is half
    // covered (alpha 127.5 -> 128) and keeps the red, never a pinkish mix.
    const auto alpha = dpi::KeyToAlpha({0x00FF0000, key}, key);
    EXPECT_EQ(alpha, (std::vector<uint32_t>{0xFFFF0000, 0}));
    const auto back = dpi::AlphaToKey(dpi::Resample(alpha, 2, 1, 3, 1, Filter::HighQuality), key);
    EXPECT_EQ(back, (std::vector<uint32_t>{0xFFFF0000, 0xFFFF0000, 0xFFFF00FF}));
    // A painted colour one step from the key does not turn into the key.
    EXPECT_EQ(dpi::AlphaToKey({0xFFFF00FF}, key), std::vector<uint32_t>{0xFFFF00FE});
}
