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

// DpiScale's rule by hand: at 120 dpi 1 2 3 4 5 6 7 8 10 -> 1 3 4 5 6 8 9 10 13;
// at 144 dpi -> 2 3 5 6 8 9 11 12 15; at 192 dpi doubled.
TEST(XPMenuLogic, BarSelectionAndItsShadowAtEachDpi) {
    const Rect item{100, 0, 160, 20};
    BarOutline o = BarSelectionOutline(item, true, 96);  // the design: 8 short of the right
    EXPECT_EQ(o.frame[0], (Point{100, 19}));
    EXPECT_EQ(o.frame[1], (Point{100, 0}));
    EXPECT_EQ(o.frame[2], (Point{152, 0}));
    EXPECT_EQ(o.frame[3], (Point{152, 20}));
    EXPECT_EQ(BarSelectionOutline(item, true, 120).frame[2], (Point{150, 0}));
    EXPECT_EQ(BarSelectionOutline(item, true, 144).frame[3], (Point{148, 20}));
    EXPECT_EQ(BarSelectionOutline(item, true, 192).frame[2], (Point{144, 0}));
    o = BarSelectionOutline(item, false, 96);
    EXPECT_EQ(o.frame[2], (Point{157, 0}));
    EXPECT_EQ(o.edge, (Rect{158, 2, 160, 20}));
    EXPECT_EQ(o.corner, (Rect{158, 0, 160, 2}));
    o = BarSelectionOutline(item, false, 120);
    EXPECT_EQ(o.frame[2], (Point{156, 0}));
    EXPECT_EQ(o.edge, (Rect{157, 3, 160, 20}));
    o = BarSelectionOutline(item, false, 144);
    EXPECT_EQ(o.frame[3], (Point{155, 20}));
    EXPECT_EQ(o.corner, (Rect{157, 0, 160, 3}));
    o = BarSelectionOutline(item, false, 192);
    EXPECT_EQ(o.frame[2], (Point{154, 0}));
    EXPECT_EQ(o.edge, (Rect{156, 4, 160, 20}));

    auto fills = BarShadowFills(item, 96);
    EXPECT_EQ(fills[0].rect, (Rect{153, 0, 160, 20}));
    EXPECT_EQ(fills[3].rect, (Rect{153, 6, 155, 20}));
    EXPECT_EQ(BarShadowFills(item, 120)[3].rect, (Rect{151, 8, 154, 20}));
    fills = BarShadowFills(item, 144);
    EXPECT_EQ(fills[0].rect, (Rect{149, 0, 160, 20}));
    EXPECT_EQ(fills[1].rect, (Rect{149, 5, 157, 20}));
    EXPECT_EQ(fills[2].rect, (Rect{149, 8, 155, 20}));
    EXPECT_EQ(fills[3].rect, (Rect{149, 9, 152, 20}));
    EXPECT_EQ(fills[3].darken, 100);
    EXPECT_EQ(BarShadowFills(item, 192)[1].rect, (Rect{146, 6, 156, 20}));

    auto lines = BarShadowLines(item, 96);
    EXPECT_EQ(lines[0].points, (std::vector<Point>{{155, 1}, {159, 1}, {159, 6}}));
    EXPECT_EQ(BarShadowLines(item, 120)[3].points, (std::vector<Point>{{154, 6}, {155, 6}, {155, 11}}));
    lines = BarShadowLines(item, 144);
    EXPECT_EQ(lines[2].points, (std::vector<Point>{{151, 5}, {155, 5}, {155, 9}, {154, 9}, {154, 5}}));
    EXPECT_EQ(lines[2].darken, 10);
    EXPECT_EQ(BarShadowLines(item, 192)[0].points, (std::vector<Point>{{150, 2}, {158, 2}, {158, 12}}));
}

TEST(XPMenuLogic, SeparatorTextAndHotImageOffsetsAtEachDpi) {
    // The separator's indent: 7, 9, 11, 14.
    EXPECT_EQ(SeparatorLine(Rect{36, 10, 300, 17}, false, 120).from, (Point{45, 14}));
    EXPECT_EQ(SeparatorLine(Rect{36, 10, 300, 17}, false, 144).from, (Point{47, 14}));
    EXPECT_EQ(SeparatorLine(Rect{0, 10, 264, 17}, true, 144).to, (Point{253, 14}));
    EXPECT_EQ(SeparatorLine(Rect{48, 10, 300, 19}, false, 192).from, (Point{62, 14}));

    // The caption's inset (3) and the short-cut's gap (10).
    const Rect text{36, 0, 300, 30};
    EXPECT_EQ(CaptionRect(text, false, 96), (Rect{39, 0, 300, 30}));
    EXPECT_EQ(CaptionRect(text, true, 96), (Rect{36, 0, 297, 30}));
    EXPECT_EQ(CaptionRect(text, false, 120).left, 40);
    EXPECT_EQ(CaptionRect(text, false, 144).left, 41);
    EXPECT_EQ(CaptionRect(text, true, 144).right, 295);
    EXPECT_EQ(CaptionRect(text, false, 192).left, 42);
    EXPECT_EQ(ShortCutRect(text, false, 96), (Rect{36, 0, 290, 30}));
    EXPECT_EQ(ShortCutRect(text, true, 96), (Rect{46, 0, 300, 30}));
    EXPECT_EQ(ShortCutRect(text, false, 120).right, 287);
    EXPECT_EQ(ShortCutRect(text, false, 144).right, 285);
    EXPECT_EQ(ShortCutRect(text, true, 144).left, 51);
    EXPECT_EQ(ShortCutRect(text, false, 192).right, 280);

    // A bar item with a 24-pixel picture: 4 past it, then 5 back (8 right to left).
    const Rect bar{0, 0, 100, 30};
    EXPECT_EQ(LayOutItem(bar, 24, true, 24, true, false).text.left, 23);
    EXPECT_EQ(LayOutItem(bar, 24, true, 24, true, true).text.right, 73);
    EXPECT_EQ(LayOutItem(bar, 36, true, 24, true, false, 144).text.left, 22);  // 24 + 6 - 8
    EXPECT_EQ(LayOutItem(bar, 36, true, 24, true, true, 144).text.right, 72);  // 76 - 12 + 8
    EXPECT_EQ(LayOutItem(bar, 30, true, 24, true, true, 120).text.right, 72);  // 76 - 10 + 6
    EXPECT_EQ(LayOutItem(bar, 48, true, 24, true, true, 192).text.right, 70);  // 76 - 16 + 10
    // A picture wider than the pop-up's column pushes the text 4 past it.
    EXPECT_EQ(LayOutItem(Rect{0, 0, 200, 34}, 36, true, 48, false, false, 144).text.left, 54);

    // The default item's passes: one and two design pixels.
    auto passes = DefaultTextPasses(Rect{10, 20, 100, 40}, 144);
    EXPECT_EQ(passes[0].rect, (Rect{12, 20, 100, 40}));
    EXPECT_EQ(passes[1].rect, (Rect{12, 23, 102, 40}));
    EXPECT_EQ(passes[2].rect, (Rect{10, 22, 100, 40}));
    EXPECT_EQ(passes[3].rect, (Rect{12, 22, 102, 40}));
    EXPECT_EQ(DefaultTextPasses(Rect{10, 20, 100, 40}, 120)[1].rect, (Rect{11, 23, 101, 40}));
    EXPECT_EQ(DefaultTextPasses(Rect{10, 20, 100, 40}, 192)[1].rect, (Rect{12, 24, 102, 40}));

    // A hot image: lifted by 1, 1, 2, 2; its shadow 2, 3, 3, 4 from where it was.
    const Rect column{0, 0, 48, 48};
    EXPECT_EQ(ImagePosition(column, 48, 32, true, false, false, false, 192), (Point{7, 3}));
    EXPECT_EQ(ImagePosition(column, 48, 32, true, false, false, true, 120), (Point{6, 2}));
    EXPECT_EQ(ImagePosition(column, 48, 32, true, false, false, true, 144), (Point{5, 1}));
    EXPECT_EQ(ImagePosition(column, 48, 32, true, false, false, true, 192), (Point{5, 1}));
    EXPECT_EQ(IconShadowOffset(96), 2);
    EXPECT_EQ(IconShadowOffset(120), 3);
    EXPECT_EQ(IconShadowOffset(144), 3);
    EXPECT_EQ(IconShadowOffset(192), 4);
}
