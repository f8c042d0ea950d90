// The themed menus' window-free arithmetic: rounding, colour steps and the
// places of an item's parts.
#include <gtest/gtest.h>

#include "XPMenuLogic.h"

using namespace xpmenu;

TEST(XPMenuLogic, RoundingTakesHalvesToTheEvenNeighbour) {
    EXPECT_EQ(RoundHalfEven(39, 4), 10);  // 9.75
    EXPECT_EQ(RoundHalfEven(42, 4), 10);  // 10.5 -> 10
    EXPECT_EQ(RoundHalfEven(5, 2), 2);    // 2.5 -> 2
    EXPECT_EQ(RoundHalfEven(7, 2), 4);    // 3.5 -> 4
    EXPECT_EQ(RoundHalfEven(-5, 2), -2);
    EXPECT_EQ(RoundHalfEven(-7, 2), -4);
}

TEST(XPMenuLogic, ColourSteps) {
    const Rgb c = MakeRgb(100, 150, 200);
    EXPECT_EQ(Darken(c, 30), MakeRgb(70, 122, 170));
    EXPECT_EQ(Darken(c, -40), MakeRgb(140, 192, 240));  // a negative amount lightens
    EXPECT_EQ(Darken(MakeRgb(10, 1, 250), 20), MakeRgb(0, 0, 230));
    EXPECT_EQ(Darken(MakeRgb(250, 254, 250), -40), MakeRgb(255, 255, 255));
    // 100 + round(155 * 0.3 = 46.5) = 146 (half to even); 150 + round(31.5) = 182; 200 + 16.5 -> 216
    EXPECT_EQ(Lighten(c, 30), MakeRgb(146, 182, 216));
    EXPECT_EQ(Lighten(c, 250), MakeRgb(255, 255, 255));  // above 100 acts as 100
    EXPECT_EQ(Gray(MakeRgb(10, 20, 31), 10), MakeRgb(30, 30, 30));
    EXPECT_EQ(Gray(MakeRgb(250, 250, 250), 10), MakeRgb(240, 240, 240));
    EXPECT_TRUE(KeepsFontColourOn(MakeRgb(160, 0, 160)));
    EXPECT_TRUE(KeepsFontColourOn(MakeRgb(0, 201, 0)));
    EXPECT_FALSE(KeepsFontColourOn(MakeRgb(150, 200, 150)));
}

TEST(XPMenuLogic, MeasuringNumbers) {
    EXPECT_EQ(MeasuredText("-", ""), "");
    EXPECT_EQ(MeasuredText("E&xit", " Ctrl+X "), "E&xitCtrl+XWWW");
    EXPECT_EQ(MeasuredText("Content", "  "), "Content");
    EXPECT_EQ(ItemWidth(0, false, 0, 24, false), 29);  // a separator
    EXPECT_EQ(ItemWidth(40, true, 6, 24, false), 63);
    EXPECT_EQ(ItemWidth(40, false, 6, 24, true), 77);
    EXPECT_EQ(ItemHeight(13, 0), 23);
    EXPECT_EQ(ItemHeight(14, 0), 24);
    EXPECT_EQ(ItemHeight(8, 16), 22);
}

TEST(XPMenuLogic, PopupItemGeometry) {
    // A 24-pixel column, no picture: the box is 10 x 10 at (L + 7, T + (h - 10) div 2).
    ItemGeometry g = LayOutItem(Rect{10, 100, 210, 123}, 24, false, 0, false, false);
    EXPECT_EQ(g.item, (Rect{10, 100, 210, 124}));
    EXPECT_EQ(g.iconColumn, (Rect{10, 100, 34, 124}));
    EXPECT_EQ(g.check, (Rect{17, 107, 27, 117}));
    EXPECT_EQ(g.text, (Rect{34, 100, 210, 124}));
    // A picture: the frame fills the column less its margins.
    g = LayOutItem(Rect{0, 0, 200, 23}, 24, true, 16, false, false);
    EXPECT_EQ(g.check, (Rect{1, 2, 21, 22}));
    // A picture wider than the column widens the frame and pushes the text.
    g = LayOutItem(Rect{0, 0, 200, 23}, 24, true, 32, false, false);
    EXPECT_EQ(g.check.right, 33);
    EXPECT_EQ(g.text.left, 36);
    // Right to left: the column at the right.
    g = LayOutItem(Rect{0, 0, 200, 23}, 24, false, 0, false, true);
    EXPECT_EQ(g.iconColumn, (Rect{176, 0, 200, 24}));
    EXPECT_EQ(g.text, (Rect{0, 0, 176, 24}));
    // A bar item without picture writes over its whole rectangle.
    g = LayOutItem(Rect{0, 0, 50, 19}, 24, false, 0, true, false);
    EXPECT_EQ(g.text, (Rect{0, 0, 50, 20}));
    EXPECT_EQ(g.check.top, 4);
}

TEST(XPMenuLogic, ImagesSeparatorsAndCheckStrokes) {
    const Rect column{0, 0, 24, 24};
    EXPECT_EQ(ImagePosition(column, 24, 16, true, false, false, false), (Point{3, 3}));
    EXPECT_EQ(ImagePosition(column, 24, 16, true, false, false, true), (Point{2, 2}));
    EXPECT_EQ(ImagePosition(column, 24, 24, true, false, true, false), (Point{-2, 3}));
    EXPECT_EQ(ImagePosition(column, 24, 16, true, true, false, false), (Point{1, 3}));

    // A separator 4 high is painted 5 high: its line at top + 2, from L + 31.
    Segment line = SeparatorLine(Rect{24, 10, 200, 15}, false);
    EXPECT_EQ(line.from, (Point{31, 12}));
    EXPECT_EQ(line.to, (Point{200, 12}));
    line = SeparatorLine(Rect{0, 10, 176, 15}, true);
    EXPECT_EQ(line.to, (Point{169, 12}));

    auto strokes = CheckStrokes(Rect{7, 7, 17, 17});
    EXPECT_EQ(strokes[0].from, (Point{8, 12}));
    EXPECT_EQ(strokes[3].to, (Point{19, 6}));  // leaves the box at its top right
    EXPECT_EQ(strokes[4].to, (Point{15, 10}));
}

TEST(XPMenuLogic, GradientGrowsFastNearTheColumnAndStops) {
    std::vector<int> steps = GradientSteps(0, 200, 24, false);
    ASSERT_EQ(steps.size(), 201u);
    EXPECT_EQ(steps[0], 1);
    EXPECT_EQ(steps[1], 4);
    EXPECT_EQ(steps[28], 1 + 28 * 3);
    EXPECT_EQ(steps[29], 86);
    EXPECT_EQ(steps[200], 96);
    std::vector<int> mirrored = GradientSteps(0, 200, 24, true);
    EXPECT_EQ(mirrored[200], 1);
    EXPECT_EQ(mirrored[199], 4);
}
