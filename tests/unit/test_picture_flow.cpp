// The picture page's flow layout (positions, wrapping, baselines, hit-testing)
// and the pixel cache's budget and eviction order. Pure logic: no windows.
#include <gtest/gtest.h>

#include <vector>

#include "PictureFlow.h"
#include "PixelCache.h"

namespace {

using flow::Layout;
using flow::Rect;
using flow::Size;

std::vector<Size> Squares(int count, int side) { return std::vector<Size>(static_cast<size_t>(count), Size{side, side}); }

void ExpectBox(const Layout& layout, int index, Rect want) {
    const Rect& got = layout.Box(index);
    EXPECT_EQ(want.left, got.left) << "picture " << index;
    EXPECT_EQ(want.top, got.top) << "picture " << index;
    EXPECT_EQ(want.right, got.right) << "picture " << index;
    EXPECT_EQ(want.bottom, got.bottom) << "picture " << index;
}

// Defaults: margins 10 (sides) and 15 (top, bottom), "&nbsp; " 4 + 4,
// ascent 14, descent 4.
TEST(PictureFlow, PicturesFollowEachOtherAfterTheMarginAndTheGap) {
    Layout layout = flow::LayOut(Squares(3, 20), 200);
    ASSERT_EQ(3, layout.Count());
    ExpectBox(layout, 0, {10, 15, 30, 35});
    ExpectBox(layout, 1, {38, 15, 58, 35});
    ExpectBox(layout, 2, {66, 15, 86, 35});
    ASSERT_EQ(1u, layout.Rows().size());
    EXPECT_EQ(35, layout.Rows()[0].baseline);
    EXPECT_EQ(39, layout.Rows()[0].bottom);  // the descent under the pictures
    EXPECT_EQ(54, layout.Height());          // and the bottom margin
}

TEST(PictureFlow, WrapsWhenThePictureAndItsNonBreakingSpaceWouldPassTheRightMargin) {
    // The third picture ends at 86, its non-breaking space at 90: it fits
    // when 90 <= width - 10; the blank after it may hang over.
    EXPECT_EQ(1u, flow::LayOut(Squares(3, 20), 100).Rows().size());
    Layout narrow = flow::LayOut(Squares(3, 20), 99);
    ASSERT_EQ(2u, narrow.Rows().size());
    ExpectBox(narrow, 2, {10, 39, 30, 59});  // next row starts at the last one's bottom
    EXPECT_EQ(2, narrow.Rows()[1].first);
    EXPECT_EQ(3, narrow.Rows()[1].last);
    EXPECT_EQ(59 + 4 + 15, narrow.Height());
}

TEST(PictureFlow, PicturesOfARowShareTheirBottomEdgeAndShortRowsKeepTheTextHeight) {
    Layout layout = flow::LayOut({{10, 5}, {30, 40}, {20, 10}}, 400);
    ExpectBox(layout, 0, {10, 50, 20, 55});
    ExpectBox(layout, 1, {28, 15, 58, 55});
    ExpectBox(layout, 2, {66, 45, 86, 55});
    // A row of small pictures is as tall as a line of text.
    Layout small = flow::LayOut({{8, 8}}, 400);
    ExpectBox(small, 0, {10, 21, 18, 29});
    EXPECT_EQ(15 + 14 + 4 + 15, small.Height());
}

TEST(PictureFlow, APictureWiderThanTheViewTakesARowOfItsOwn) {
    Layout layout = flow::LayOut({{10, 10}, {300, 10}, {10, 10}}, 100);
    ASSERT_EQ(3u, layout.Rows().size());
    ExpectBox(layout, 1, {10, 37, 310, 47});  // at the margin, running past the edge
    EXPECT_EQ(10, layout.Box(2).left);
    // Even narrower than the margins: still placed, nothing negative.
    Layout tiny = flow::LayOut(Squares(2, 20), 5);
    EXPECT_EQ(2u, tiny.Rows().size());
    EXPECT_EQ(10, tiny.Box(1).left);
}

TEST(PictureFlow, AnEmptyPageHasNoRowsNoHeightAndNoPictureAnywhere) {
    Layout layout = flow::LayOut({}, 300);
    EXPECT_EQ(0, layout.Count());
    EXPECT_EQ(0, layout.Height());
    EXPECT_EQ(-1, layout.HitTest(10, 15));
    EXPECT_TRUE(layout.RowsBetween(0, 1000).Empty());
}

TEST(PictureFlow, HitTestFindsOnlyTheBoxesThemselves) {
    Layout layout = flow::LayOut({{20, 20}, {20, 10}, {20, 20}}, 75);  // two rows
    EXPECT_EQ(0, layout.HitTest(10, 15));   // top-left corner
    EXPECT_EQ(0, layout.HitTest(29, 34));   // bottom-right pixel
    EXPECT_EQ(-1, layout.HitTest(30, 20));  // right edge is outside
    EXPECT_EQ(-1, layout.HitTest(33, 30));  // the gap
    EXPECT_EQ(-1, layout.HitTest(40, 20));  // above the short picture
    EXPECT_EQ(1, layout.HitTest(40, 30));
    EXPECT_EQ(-1, layout.HitTest(15, 36));  // the descent under the row
    EXPECT_EQ(2, layout.HitTest(15, 45));
    EXPECT_EQ(-1, layout.HitTest(5, 45));   // the margin
    EXPECT_EQ(-1, layout.HitTest(15, 500));
}

TEST(PictureFlow, RowsBetweenListsThePicturesOfEveryRowReachingIntoTheBand) {
    // Rows of three 20 x 20 pictures: [15, 39), [39, 63), [63, 87), [87, 111).
    Layout layout = flow::LayOut(Squares(12, 20), 100);
    ASSERT_EQ(4u, layout.Rows().size());
    flow::Range r = layout.RowsBetween(40, 64);
    EXPECT_EQ(3, r.first);
    EXPECT_EQ(9, r.last);
    r = layout.RowsBetween(0, 15);  // only the top margin
    EXPECT_TRUE(r.Empty());
    r = layout.RowsBetween(110, 1000);
    EXPECT_EQ(9, r.first);
    EXPECT_EQ(12, r.last);
}

TEST(PictureFlow, GrowingOnePictureAtATimeNeverMovesEarlierRowsAndEndsAsTheWholeLayout) {
    std::vector<Size> sizes;
    for (int i = 0; i < 40; ++i) sizes.push_back(Size{8 + (i * 7) % 30, 6 + (i * 11) % 37});
    const Layout whole = flow::LayOut(sizes, 180);
    Layout growing(180);
    for (size_t i = 0; i < sizes.size(); ++i) {
        growing.Add(sizes[i]);
        // Every picture above the open row is already where it ends up.
        for (int j = 0; j < growing.Count(); ++j)
            if (growing.Box(j).bottom <= growing.OpenRowTop()) ExpectBox(growing, j, whole.Box(j));
    }
    for (int j = 0; j < whole.Count(); ++j) ExpectBox(growing, j, whole.Box(j));
    EXPECT_EQ(whole.Height(), growing.Height());
    growing.Reset(180);
    EXPECT_EQ(0, growing.Count());
}

TEST(PictureFlow, AbsurdSizesStayInsideIntegerRange) {
    Layout layout(100);
    for (int i = 0; i < 200000; ++i) layout.Add(Size{1 << 30, -5 + (1 << 30)});
    EXPECT_GT(layout.Height(), 0);
    EXPECT_GE(layout.Box(199999).top, layout.Box(0).top);
    EXPECT_EQ(-1, layout.HitTest(-1, -1));
}

// ------------------------------------------------------------ pixel cache

PixelBuffer Pixels(int count) {
    PixelBuffer p;
    p.width = count;
    p.height = 1;
    p.pixels.assign(static_cast<size_t>(count), 0);
    return p;
}

int a, b;  // two owners

TEST(PixelCache, GivesBackTheLeastRecentlyShownPicturesOfEarlierFramesWhenOverBudget) {
    PixelCache cache(4 * 100);  // room for 100 pixels
    cache.Store(&a, 0, Pixels(40));
    cache.Store(&a, 1, Pixels(40));
    cache.BeginFrame();
    ASSERT_NE(nullptr, cache.Use(&a, 0));  // 0 is now the more recently shown
    cache.BeginFrame();
    cache.Store(&b, 0, Pixels(40));
    EXPECT_TRUE(cache.Holds(&a, 0));
    EXPECT_FALSE(cache.Holds(&a, 1));
    EXPECT_TRUE(cache.Holds(&b, 0));
    EXPECT_EQ(80u * 4, cache.Bytes());
    EXPECT_EQ(2u, cache.Count());
}

TEST(PixelCache, KeepsWhatTheCurrentFrameShowsEvenOverBudgetUntilTheNextFrame) {
    PixelCache cache(4 * 50);
    cache.BeginFrame();
    cache.Store(&a, 0, Pixels(40));
    cache.Store(&a, 1, Pixels(40));
    EXPECT_EQ(2u, cache.Count());  // both on screen now
    cache.BeginFrame();
    cache.Use(&a, 1);
    cache.Store(&a, 2, Pixels(10));
    EXPECT_FALSE(cache.Holds(&a, 0));
    EXPECT_TRUE(cache.Holds(&a, 1));
    EXPECT_TRUE(cache.Holds(&a, 2));
}

TEST(PixelCache, ForgetAndReplaceKeepTheByteCountRight) {
    PixelCache cache(1 << 20);
    cache.Store(&a, 0, Pixels(10));
    cache.Store(&a, 0, Pixels(30));  // replaced, not added
    cache.Store(&a, 7, Pixels(5));
    cache.Store(&b, 0, Pixels(20));
    EXPECT_EQ(55u * 4, cache.Bytes());
    cache.Forget(&a);
    EXPECT_FALSE(cache.Holds(&a, 0));
    EXPECT_FALSE(cache.Holds(&a, 7));
    EXPECT_TRUE(cache.Holds(&b, 0));
    EXPECT_EQ(20u * 4, cache.Bytes());
    EXPECT_EQ(nullptr, cache.Use(&a, 0));
}

}  // namespace

TEST(PictureFlowDpi, SpacingAndSizesFollowTheResolution) {
    const flow::Metrics same = flow::MetricsForDpi(96);
    EXPECT_EQ(same.marginX, 10);
    EXPECT_EQ(same.marginY, 15);
    EXPECT_EQ(same.nbspWidth, 4);
    const flow::Metrics m = flow::MetricsForDpi(144);
    EXPECT_EQ(m.marginX, 15);
    EXPECT_EQ(m.marginY, 23);  // 22.5, halves away from zero
    EXPECT_EQ(m.nbspWidth, 6);
    EXPECT_EQ(m.spaceWidth, 6);
    EXPECT_EQ(m.ascent, 21);
    EXPECT_EQ(m.descent, 6);
    const flow::Size s = flow::SizeForDpi({24, 19}, 120);
    EXPECT_EQ(s.width, 30);
    EXPECT_EQ(s.height, 24);  // 23.75
    // A page at 2x: the first picture sits at twice the margins.
    flow::Layout page(400, flow::MetricsForDpi(192));
    page.Add(flow::SizeForDpi({20, 20}, 192));
    EXPECT_EQ(page.Box(0).left, 20);
    EXPECT_EQ(page.Box(0).right - page.Box(0).left, 40);
}
