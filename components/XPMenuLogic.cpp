#include "XPMenuLogic.h"

#include <algorithm>

namespace xpmenu {

Rgb MakeRgb(int red, int green, int blue) {
    auto byte = [](int v) { return static_cast<Rgb>(std::clamp(v, 0, 255)); };
    return byte(red) | (byte(green) << 8) | (byte(blue) << 16);
}

int RoundHalfEven(long long numerator, long long denominator) {
    if (denominator < 0) {
        numerator = -numerator;
        denominator = -denominator;
    }
    long long q = numerator / denominator;
    long long r = numerator % denominator;
    if (r < 0) {  // floor division
        --q;
        r += denominator;
    }
    long long twice = 2 * r;
    if (twice > denominator || (twice == denominator && (q % 2 != 0))) ++q;
    return static_cast<int>(q);
}

Rgb Darken(Rgb c, int amount) {
    return MakeRgb(RedOf(c) - amount, GreenOf(c) - amount + 2, BlueOf(c) - amount);
}

Rgb Lighten(Rgb c, int percent) {
    percent = std::min(percent, 100);
    auto step = [percent](int v) { return v + RoundHalfEven(static_cast<long long>(255 - v) * percent, 100); };
    return MakeRgb(step(RedOf(c)), step(GreenOf(c)), step(BlueOf(c)));
}

Rgb Gray(Rgb c, int amount) {
    int g = std::min((RedOf(c) + GreenOf(c) + BlueOf(c)) / 3 + amount, 240);
    return MakeRgb(g, g, g);
}

bool KeepsFontColourOn(Rgb background) {
    return (RedOf(background) + BlueOf(background)) / 2 > 150 || GreenOf(background) > 200;
}

std::string TrimBlanks(const std::string& s) {
    size_t first = 0, last = s.size();
    while (first < last && static_cast<unsigned char>(s[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned char>(s[last - 1]) <= ' ') --last;
    return s.substr(first, last - first);
}

std::string MeasuredText(const std::string& caption, const std::string& shortCutText) {
    std::string s = caption == "-" ? std::string() : caption;
    std::string keys = TrimBlanks(shortCutText);
    if (!keys.empty()) s += keys + "WWW";
    return s;
}

int ItemWidth(int textWidth, bool hasAmpersand, int ampersandWidth, int imageWidth, bool barItemOnNT) {
    int w = textWidth + 5;
    if (hasAmpersand) w -= ampersandWidth;
    if (imageWidth > 0) w += imageWidth;
    if (barItemOnNT) w += 8;
    return w;
}

int ItemHeight(int textHeight, int imageHeight) {
    int h = textHeight + RoundHalfEven(static_cast<long long>(textHeight) * 3, 4);
    return std::max(h, imageHeight + 6);
}

int LineWidth(int itemDpi) { return std::max(dpi::Scale(1, itemDpi), 1); }

std::array<Rect, 4> FrameEdges(Rect o, int w) {
    return {Rect{o.left, o.top, o.right, o.top + w}, Rect{o.left, o.bottom - w, o.right, o.bottom},
            Rect{o.left, o.top, o.left + w, o.bottom}, Rect{o.right - w, o.top, o.right, o.bottom}};
}

Rect SelectionBar(Rect r, bool flatMenu, int itemDpi) {
    const int line = LineWidth(itemDpi);
    return Rect{r.left, r.top + line, flatMenu ? r.right - line : r.right, r.bottom - line};
}

int RadioFrameCorner(int itemDpi) { return dpi::Scale(6, itemDpi); }

ItemGeometry LayOutItem(Rect r, int iconWidth, bool hasPicture, int pictureWidth, bool barItem, bool rightToLeft,
                        int itemDpi) {
    auto at = [itemDpi](int designPixels) { return dpi::Scale(designPixels, itemDpi); };
    ItemGeometry g;
    r.bottom += 1;  // painted one row taller; the next item paints over it
    g.item = r;
    const int iw = iconWidth, pw = pictureWidth;

    g.iconColumn =
        rightToLeft ? Rect{r.right - iw, r.top, r.right, r.bottom} : Rect{r.left, r.top, r.left + iw, r.bottom};
    const Rect& ic = g.iconColumn;

    Rect& cr = g.check;
    if (hasPicture) {
        cr = Rect{ic.left + at(1), ic.top + at(2), ic.right - at(3), ic.bottom - at(2)};
    } else {
        const int side = at(10);
        cr.left = ic.left + (iw - side) / 2;
        cr.top = ic.top + (ic.Height() - side) / 2;
        cr.right = cr.left + side;
        cr.bottom = cr.top + side;
    }
    if (pw > iw) {
        if (rightToLeft) cr.left = cr.right - pw;
        else cr.right = cr.left + pw;
    }
    if (barItem) cr.top -= at(1);

    Rect& tr = g.text;
    tr.top = r.top;
    tr.bottom = r.bottom;
    if (!rightToLeft) {
        tr.left = barItem ? r.left + at(4) : r.left + iw;
        if (r.left + pw > tr.left) tr.left = r.left + pw + at(4);
        tr.right = r.right;
    } else {
        tr.left = r.left;
        tr.right = barItem ? r.right - at(4) : r.right - iw;
        if (r.right - pw < tr.right) tr.right = r.right - pw - at(8);
    }
    if (barItem) {
        if (!hasPicture) tr = r;
        else if (rightToLeft) tr.right += at(5);
        else tr.left -= at(5);
    }
    return g;
}

Point ImagePosition(Rect ic, int iconWidth, int pictureWidth, bool menuItem, bool barItem, bool rightToLeft,
                    bool lifted, int itemDpi) {
    Point p{ic.left, ic.top + 1};
    if (menuItem) {
        p.y += 2;
        if (pictureWidth < iconWidth) p.x = ic.left + (iconWidth - pictureWidth) / 2 - 1;
        else p.x = rightToLeft ? ic.right - pictureWidth - 2 : ic.left + 2;
    }
    if (barItem) p.x = rightToLeft ? ic.right - pictureWidth - 5 : ic.left + 1;
    if (lifted) {
        const int lift = dpi::Scale(1, itemDpi);
        p.x -= lift;
        p.y -= lift;
    }
    return p;
}

int IconShadowOffset(int itemDpi) { return dpi::Scale(2, itemDpi); }

Segment SeparatorLine(Rect text, bool rightToLeft, int itemDpi) {
    const int y = text.top + RoundHalfEven(text.bottom - text.top, 2);
    const int indent = dpi::Scale(7, itemDpi);
    if (rightToLeft) return Segment{{text.left, y}, {text.right - indent, y}};
    return Segment{{text.left + indent, y}, {text.right, y}};
}

std::array<Segment, 5> CheckStrokes(Rect b, int itemDpi) {
    const int L = b.left, T = b.top, R = b.right, B = b.bottom;
    // Offsets from the box's edges: one, two, three ... design pixels.
    const int d1 = dpi::Scale(1, itemDpi), d2 = dpi::Scale(2, itemDpi), d3 = dpi::Scale(3, itemDpi),
              d4 = dpi::Scale(4, itemDpi), d5 = dpi::Scale(5, itemDpi);
    return {Segment{{L + d1, T + d5}, {L + d4, B - d2}}, Segment{{L + d2, T + d5}, {L + d4, B - d3}},
            Segment{{L + d2, T + d4}, {L + d5, B - d3}}, Segment{{L + d4, B - d3}, {R + d2, T - d1}},
            Segment{{L + d4, B - d2}, {R - d2, T + d3}}};
}

int FlatFrameLine(int itemDpi, int borderWidth) {
    const int line = LineWidth(itemDpi);
    if (borderWidth <= 0) return line;
    return std::min(line, std::max(borderWidth / 3, 1));
}

FlatFrame LayOutFlatFrame(Rect w, int iconWidth, bool rightToLeft, int line) {
    const int L = w.left, T = w.top, R = w.right, B = w.bottom, u = line;
    FlatFrame f;
    f.outer = FrameEdges(w, u);
    f.inner = FrameEdges(Rect{L + u, T + u, R - u, B - u}, 2 * u);
    const int column = rightToLeft ? R - 3 * u - iconWidth : L + u;
    const int columnEnd = column + iconWidth + 2 * u;
    f.iconStrips = {Rect{column, T + u, columnEnd, T + 3 * u}, Rect{column, B - 3 * u, columnEnd, B - u}};
    f.edges = {Rect{R - u, T + u, R, B}, Rect{L + u, B - u, R, B}};
    f.corners = {Rect{L, B - u, L + u, B}, Rect{R - u, T, R, T + u}};
    return f;
}

std::array<TextPass, 4> DefaultTextPasses(Rect t, int itemDpi) {
    const int d1 = dpi::Scale(1, itemDpi), d2 = dpi::Scale(2, itemDpi);
    return {TextPass{Rect{t.left + d1, t.top, t.right, t.bottom}, 30},
            TextPass{Rect{t.left + d1, t.top + d2, t.right + d1, t.bottom}, 30},
            TextPass{Rect{t.left, t.top + d1, t.right, t.bottom}, 40},
            TextPass{Rect{t.left + d1, t.top + d1, t.right + d1, t.bottom}, 60}};
}

Rect CaptionRect(Rect t, bool rightToLeft, int itemDpi) {
    const int inset = dpi::Scale(3, itemDpi);
    if (rightToLeft) t.right -= inset;
    else t.left += inset;
    return t;
}

Rect ShortCutRect(Rect c, bool rightToLeft, int itemDpi) {
    const int gap = dpi::Scale(10, itemDpi);
    if (rightToLeft) c.left += gap;
    else c.right -= gap;
    return c;
}

BarOutline BarSelectionOutline(Rect r, bool shadowed, int itemDpi) {
    auto at = [itemDpi](int designPixels) { return dpi::Scale(designPixels, itemDpi); };
    const int L = r.left, T = r.top, Rt = r.right, B = r.bottom;
    const int side = Rt - at(shadowed ? 8 : 3);
    BarOutline o;
    o.frame = {Point{L, B - 1}, Point{L, T}, Point{side, T}, Point{side, B}};
    o.edge = Rect{Rt - at(2), T + at(2), Rt, B};
    o.corner = Rect{Rt - at(2), T, Rt, T + at(2)};
    return o;
}

// The shadow's shape is designed at 96 dpi: every offset from the item's
// right and top edges goes through the same scale.
std::array<ShadowFill, 4> BarShadowFills(Rect r, int itemDpi) {
    auto at = [itemDpi](int designPixels) { return dpi::Scale(designPixels, itemDpi); };
    const int Rt = r.right, T = r.top, B = r.bottom;
    return {ShadowFill{10, Rect{Rt - at(7), T, Rt, B}}, ShadowFill{30, Rect{Rt - at(7), T + at(3), Rt - at(2), B}},
            ShadowFill{60, Rect{Rt - at(7), T + at(5), Rt - at(3), B}},
            ShadowFill{100, Rect{Rt - at(7), T + at(6), Rt - at(5), B}}};
}

std::array<ShadowLine, 5> BarShadowLines(Rect r, int itemDpi) {
    auto p = [&r, itemDpi](int fromRight, int down) {
        return Point{r.right - dpi::Scale(fromRight, itemDpi), r.top + dpi::Scale(down, itemDpi)};
    };
    return {ShadowLine{false, 0, {p(5, 1), p(1, 1), p(1, 6)}},
            ShadowLine{false, 0, {p(3, 2), p(2, 2), p(2, 3), p(3, 3)}},
            ShadowLine{true, 10, {p(6, 3), p(3, 3), p(3, 6), p(4, 6), p(4, 3)}},
            ShadowLine{true, 30, {p(5, 5), p(4, 5), p(4, 9)}},
            ShadowLine{true, 40, {p(6, 5), p(6, 7)}}};
}

std::vector<int> GradientSteps(int left, int right, int iconWidth, bool rightToLeft) {
    std::vector<int> steps;
    if (right < left) return steps;
    steps.resize(static_cast<size_t>(right - left + 1));
    int amount = 0;
    // Walk from the icon column's side: the left edge, or the right one mirrored.
    for (int i = 0; i <= right - left; ++i) {
        int x = rightToLeft ? right - i : left + i;
        bool nearColumn =
            rightToLeft ? (right - iconWidth - 5 < x && x < right) : (left < x && x < left + iconWidth + 5);
        amount = std::min(amount + (nearColumn ? 3 : 1), 96);
        steps[static_cast<size_t>(x - left)] = amount;
    }
    return steps;
}

}  // namespace xpmenu
