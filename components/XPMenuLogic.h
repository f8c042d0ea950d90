// The window-free arithmetic of the themed menus: colour steps on 24-bit
// values, rounding, and where each part of an item goes. No windows.h here,
// so it can be built natively and fuzzed.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "DpiScale.h"

namespace xpmenu {

// A 24-bit colour in blue-green-red order (0x00BBGGRR), as GDI keeps it.
using Rgb = std::uint32_t;

constexpr int RedOf(Rgb c) { return static_cast<int>(c & 0xFF); }
constexpr int GreenOf(Rgb c) { return static_cast<int>((c >> 8) & 0xFF); }
constexpr int BlueOf(Rgb c) { return static_cast<int>((c >> 16) & 0xFF); }
// Each channel clamped to 0..255.
Rgb MakeRgb(int red, int green, int blue);

// numerator / denominator to the nearest integer, halves to the even one.
int RoundHalfEven(long long numerator, long long denominator);

// Red and blue down by `amount`, green by amount - 2 (a negative amount lightens).
Rgb Darken(Rgb c, int amount);
// Each channel moved `percent` of the way to 255 (percent above 100 acts as
// 100); the caller still matches the result to the device's palette.
Rgb Lighten(Rgb c, int percent);
// The grey of the channels' mean plus `amount`, at most 240.
Rgb Gray(Rgb c, int amount);
// Whether text on `background` keeps the font's own colour (a light
// background) rather than a lightened background colour.
bool KeepsFontColourOn(Rgb background);

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};
struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// ---- measuring

// Blanks (and control characters) off both ends.
std::string TrimBlanks(const std::string& s);
// The text an item is measured by: the caption (nothing for a separator),
// then the short-cut text and "WWW" when there is a short-cut.
std::string MeasuredText(const std::string& caption, const std::string& shortCutText);
// Width the item needs: text width + 5, less one "&" when the text has any,
// plus the image width, plus 8 for a menu-bar item on the NT family.
int ItemWidth(int textWidth, bool hasAmpersand, int ampersandWidth, int imageWidth, bool barItemOnNT);
// Height the item needs: text height + 3/4 of it (rounded), at least the image height + 6.
int ItemHeight(int textHeight, int imageHeight);
constexpr int kSeparatorHeight = 4;

// ---- painting
//
// Lengths below are designed at 96 dpi and taken to `itemDpi` (the
// resolution the item is drawn at) by DpiScale's rule; at 96 dpi they are
// the design's pixels exactly.

// Width of the lines of the check box, its check mark, the selection frame
// and the flat frame: one pixel at 96 dpi.
int LineWidth(int itemDpi);
// The four edges of a frame of lines `width` thick just inside `outer`
// (the pixels a one-pixel pen's Rectangle covers, at width 1): top,
// bottom, left, right.
std::array<Rect, 4> FrameEdges(Rect outer, int width);

struct ItemGeometry {
    Rect item;        // the item rectangle, one row taller than given
    Rect iconColumn;  // the image / check column
    Rect check;       // the check box (or the frame behind a checked image)
    Rect text;        // caption and short-cut
};
// Where the parts of an item go. `pictureWidth` is 0 without a picture.
// `iconWidth` and `pictureWidth` are already at `itemDpi`.
ItemGeometry LayOutItem(Rect given, int iconWidth, bool hasPicture, int pictureWidth, bool barItem, bool rightToLeft,
                        int itemDpi = dpi::kDesignDpi);
// The selected pop-up item's bar (filled, then framed): a line in from the
// top and bottom of `item`, and from its right for a flat menu.
Rect SelectionBar(Rect item, bool flatMenu, int itemDpi = dpi::kDesignDpi);
// Width and height of the rounded corners of a radio item's frame behind its image.
int RadioFrameCorner(int itemDpi = dpi::kDesignDpi);

// Top-left corner of an item's image in the icon column; `lifted` moves it
// up and left by a line (a hot image over its shadow).
Point ImagePosition(Rect iconColumn, int iconWidth, int pictureWidth, bool menuItem, bool barItem, bool rightToLeft,
                    bool lifted, int itemDpi = dpi::kDesignDpi);
// How far right and down of the unlifted image a hot image's shadow lies.
int IconShadowOffset(int itemDpi = dpi::kDesignDpi);

struct Segment {
    Point from, to;  // `to` is not drawn
};
// The separator's line, in the text rectangle, indented from the column's side.
Segment SeparatorLine(Rect text, bool rightToLeft, int itemDpi = dpi::kDesignDpi);
// The five strokes of a check mark in check box `box`, to be drawn with a
// pen LineWidth(itemDpi) wide.
std::array<Segment, 5> CheckStrokes(Rect box, int itemDpi = dpi::kDesignDpi);

// The flat frame painted over a pop-up menu's 3-D frame, window rectangle
// `window`, in the order to paint: all are filled rectangles.
struct FlatFrame {
    std::array<Rect, 4> outer;      // the outer line
    std::array<Rect, 4> inner;      // the 3-D edge under it, in the menu colour
    std::array<Rect, 2> iconStrips; // the icon column carried through the top and bottom
    std::array<Rect, 2> edges;      // the right and bottom edges (darker)
    std::array<Rect, 2> corners;    // bottom-left and top-right, in the button face colour
};
// `line` is the frame's line width (FlatFrameLine); `iconWidth` is at the item's DPI.
FlatFrame LayOutFlatFrame(Rect window, int iconWidth, bool rightToLeft, int line);
// The flat frame's line width at `itemDpi`, kept to a third of the pop-up's
// own frame `borderWidth` (when known, > 0) so the three lines it paints
// never reach into the items.
int FlatFrameLine(int itemDpi, int borderWidth);

// Caption text rectangle for the four passes of a default item, in order,
// with the darkening of each pass.
struct TextPass {
    Rect rect;
    int darken;
};
std::array<TextPass, 4> DefaultTextPasses(Rect text, int itemDpi = dpi::kDesignDpi);
// The caption's rectangle: the text rectangle in a little from the column's side.
Rect CaptionRect(Rect text, bool rightToLeft, int itemDpi = dpi::kDesignDpi);
// The short-cut's rectangle: the (vertically centred) caption rectangle
// less a gap at the far side, where the short-cut is aligned.
Rect ShortCutRect(Rect caption, bool rightToLeft, int itemDpi = dpi::kDesignDpi);

// The outline of a selected menu-bar item, drawn with a one-pixel pen:
// a polyline up the left, along the top and down short of the right
// (leaving room for the shadow when `shadowed`). Without the shadow the
// right strip is filled: `edge` darker, `corner` above it in the bar colour.
struct BarOutline {
    std::array<Point, 4> frame;
    Rect edge, corner;
};
BarOutline BarSelectionOutline(Rect item, bool shadowed, int itemDpi = dpi::kDesignDpi);

// The soft shadow at the right of a selected menu-bar item: rectangles
// filled in Darken(bar colour, darken), then polylines in it.
struct ShadowFill {
    int darken;
    Rect rect;
};
struct ShadowLine {
    bool darkened;  // false: the bar colour itself
    int darken;
    std::vector<Point> points;
};
std::array<ShadowFill, 4> BarShadowFills(Rect item, int itemDpi = dpi::kDesignDpi);
std::array<ShadowLine, 5> BarShadowLines(Rect item, int itemDpi = dpi::kDesignDpi);

// Per column of a gradient background (left to right, right edge
// included), how far the icon column colour is lightened; mirrored for
// right-to-left.
std::vector<int> GradientSteps(int left, int right, int iconWidth, bool rightToLeft);

}  // namespace xpmenu
