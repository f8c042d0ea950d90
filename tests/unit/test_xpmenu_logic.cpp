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

// At other resolutions the check box, its strokes and the frames grow by
// DpiScale's rule (1 -> 2, 2 -> 3, 3 -> 5, 5 -> 8, 10 -> 15 at 144 dpi).
TEST(XPMenuLogic, CheckBoxAndFramesAtHigherDpi) {
    EXPECT_EQ(LineWidth(96), 1);
    EXPECT_EQ(LineWidth(120), 1);
    EXPECT_EQ(LineWidth(144), 2);
    EXPECT_EQ(LineWidth(192), 2);
    EXPECT_EQ(LineWidth(288), 3);
    EXPECT_EQ(RadioFrameCorner(96), 6);
    EXPECT_EQ(RadioFrameCorner(144), 9);

    // 192 dpi, a 48-pixel column: a 20 x 20 box in its middle.
    ItemGeometry g = LayOutItem(Rect{0, 0, 300, 45}, 48, false, 0, false, false, 192);
    EXPECT_EQ(g.check, (Rect{14, 13, 34, 33}));
    g = LayOutItem(Rect{0, 0, 300, 45}, 48, true, 32, false, false, 192);
    EXPECT_EQ(g.check, (Rect{2, 4, 42, 42}));
    g = LayOutItem(Rect{0, 0, 300, 45}, 48, false, 0, true, false, 192);
    EXPECT_EQ(g.check.top, 11);
    g = LayOutItem(Rect{0, 0, 300, 34}, 36, false, 0, false, false, 144);
    EXPECT_EQ(g.check, (Rect{10, 10, 25, 25}));

    auto strokes = CheckStrokes(Rect{14, 13, 34, 33}, 192);  // every offset doubled
    EXPECT_EQ(strokes[0].from, (Point{16, 23}));
    EXPECT_EQ(strokes[0].to, (Point{22, 29}));
    EXPECT_EQ(strokes[3].from, (Point{22, 27}));
    EXPECT_EQ(strokes[3].to, (Point{38, 11}));
    EXPECT_EQ(strokes[4].to, (Point{30, 19}));
    strokes = CheckStrokes(Rect{10, 10, 25, 25}, 144);
    EXPECT_EQ(strokes[0].from, (Point{12, 18}));
    EXPECT_EQ(strokes[0].to, (Point{16, 22}));
    EXPECT_EQ(strokes[3].to, (Point{28, 8}));
    EXPECT_EQ(strokes[4].to, (Point{22, 15}));

    EXPECT_EQ(SelectionBar(Rect{0, 10, 100, 34}, true, 96), (Rect{0, 11, 99, 33}));
    EXPECT_EQ(SelectionBar(Rect{0, 10, 100, 34}, true, 192), (Rect{0, 12, 98, 32}));
    EXPECT_EQ(SelectionBar(Rect{0, 10, 100, 34}, false, 192), (Rect{0, 12, 100, 32}));
    // The frame's edges are the pixels a one-pixel Rectangle covers, then thicker.
    auto edges = FrameEdges(Rect{0, 0, 10, 6}, 1);
    EXPECT_EQ(edges[0], (Rect{0, 0, 10, 1}));
    EXPECT_EQ(edges[1], (Rect{0, 5, 10, 6}));
    EXPECT_EQ(edges[2], (Rect{0, 0, 1, 6}));
    EXPECT_EQ(edges[3], (Rect{9, 0, 10, 6}));
    edges = FrameEdges(Rect{0, 0, 10, 6}, 2);
    EXPECT_EQ(edges[1], (Rect{0, 4, 10, 6}));
    EXPECT_EQ(edges[3], (Rect{8, 0, 10, 6}));
}

TEST(XPMenuLogic, FlatFrameKeepsToThePopupsOwnFrame) {
    EXPECT_EQ(FlatFrameLine(96, 3), 1);
    EXPECT_EQ(FlatFrameLine(192, 6), 2);
    EXPECT_EQ(FlatFrameLine(192, 3), 1);  // the system did not widen its frame
    EXPECT_EQ(FlatFrameLine(192, 0), 2);  // not known
    EXPECT_EQ(FlatFrameLine(144, 2), 1);

    // 96 dpi: the one-pixel rings and lines of the design.
    FlatFrame f = LayOutFlatFrame(Rect{100, 200, 300, 400}, 24, false, 1);
    EXPECT_EQ(f.outer[0], (Rect{100, 200, 300, 201}));
    EXPECT_EQ(f.inner[0], (Rect{101, 201, 299, 203}));
    EXPECT_EQ(f.inner[2], (Rect{101, 201, 103, 399}));
    EXPECT_EQ(f.iconStrips[0], (Rect{101, 201, 127, 203}));
    EXPECT_EQ(f.iconStrips[1], (Rect{101, 397, 127, 399}));
    EXPECT_EQ(f.edges[0], (Rect{299, 201, 300, 400}));
    EXPECT_EQ(f.edges[1], (Rect{101, 399, 300, 400}));
    EXPECT_EQ(f.corners[0], (Rect{100, 399, 101, 400}));
    EXPECT_EQ(f.corners[1], (Rect{299, 200, 300, 201}));

    // Two-pixel lines and a 48-pixel column.
    f = LayOutFlatFrame(Rect{100, 200, 300, 400}, 48, false, 2);
    EXPECT_EQ(f.outer[3], (Rect{298, 200, 300, 400}));
    EXPECT_EQ(f.inner[0], (Rect{102, 202, 298, 206}));
    EXPECT_EQ(f.iconStrips[0], (Rect{102, 202, 154, 206}));
    EXPECT_EQ(f.iconStrips[1], (Rect{102, 394, 154, 398}));
    EXPECT_EQ(f.edges[1], (Rect{102, 398, 300, 400}));
    EXPECT_EQ(f.corners[0], (Rect{100, 398, 102, 400}));
    f = LayOutFlatFrame(Rect{100, 200, 300, 400}, 48, true, 2);
    EXPECT_EQ(f.iconStrips[0], (Rect{246, 202, 298, 206}));
}
