// The themed menus' arithmetic: rounding, colour steps, item sizes and the
// places of an item's parts. Coordinates stay inside what GDI can address
// (28 bits); the input picks them.
#include <algorithm>
#include <climits>
#include <string>

#include "FuzzInput.h"
#include "XPMenuLogic.h"

using namespace xpmenu;

namespace {

constexpr int kCoord = 1 << 27;

void Rounding(FuzzInput& in) {
    const long long n = static_cast<long long>(static_cast<std::int32_t>(in.U32())) * in.Int(-65536, 65536);
    long long d = in.Int(-100000, 100000);
    if (d == 0) d = 1;
    if (n / d >= INT_MAX || n / d <= INT_MIN) return;  // the quotient has to fit the int it is returned in
    const int q = RoundHalfEven(n, d);
    // |n/d - q| <= 1/2, and exactly 1/2 only towards the even neighbour.
    const long long twice = 2 * (n - static_cast<long long>(q) * d);  // 2 (n - q d), sign of d aside
    const long long limit = d < 0 ? -d : d;
    FUZZ_CHECK(twice <= limit && twice >= -limit);
    if (twice == limit || twice == -limit) FUZZ_CHECK(q % 2 == 0);
}

void Colours(FuzzInput& in) {
    const Rgb c = in.U32() & 0xFFFFFF;
    const int amount = in.Int(-1000, 1000), percent = in.Int(-1000, 1000);
    for (Rgb out : {Darken(c, amount), Lighten(c, percent), Gray(c, amount)}) FUZZ_CHECK(out <= 0xFFFFFF);
    const Rgb light = Lighten(c, percent);
    if (percent >= 0) {
        FUZZ_CHECK(RedOf(light) >= RedOf(c) && GreenOf(light) >= GreenOf(c) && BlueOf(light) >= BlueOf(c));
        if (percent >= 100) FUZZ_CHECK(light == 0xFFFFFF);
    }
    if (percent == 0) FUZZ_CHECK(light == c);
    const Rgb g = Gray(c, amount);
    FUZZ_CHECK(RedOf(g) == GreenOf(g) && GreenOf(g) == BlueOf(g) && RedOf(g) <= 240);
    const Rgb dark = Darken(c, amount);
    if (amount >= 2) FUZZ_CHECK(RedOf(dark) <= RedOf(c) && GreenOf(dark) <= GreenOf(c) && BlueOf(dark) <= BlueOf(c));
    FUZZ_CHECK(MakeRgb(RedOf(c), GreenOf(c), BlueOf(c)) == c);
}

void Sizes(FuzzInput& in) {
    const std::string caption = in.Until('\0'), keys = in.Until('\0');
    const std::string trimmed = TrimBlanks(keys);
    FUZZ_CHECK(TrimBlanks(trimmed) == trimmed);
    FUZZ_CHECK(trimmed.empty() || (static_cast<unsigned char>(trimmed.front()) > ' ' &&
                                   static_cast<unsigned char>(trimmed.back()) > ' '));
    const std::string measured = MeasuredText(caption, keys);
    const std::string shown = caption == "-" ? "" : caption;
    FUZZ_CHECK(measured == (trimmed.empty() ? shown : shown + trimmed + "WWW"));

    const int textHeight = in.Int(0, 4096), imageHeight = in.Int(0, 4096);
    const int h = ItemHeight(textHeight, imageHeight);
    FUZZ_CHECK(h >= imageHeight + 6 && h >= textHeight + (textHeight * 3) / 4);
    FUZZ_CHECK(h <= std::max(imageHeight + 6, textHeight + (textHeight * 3 + 3) / 4));
}

Rect SomeRect(FuzzInput& in) {
    Rect r;
    r.left = in.Int(-kCoord, kCoord);
    r.top = in.Int(-kCoord, kCoord);
    r.right = r.left + in.Int(0, 4096);
    r.bottom = r.top + in.Int(0, 512);
    return r;
}

void Geometry(FuzzInput& in) {
    const Rect given = SomeRect(in);
    const int iconWidth = in.Int(0, 256), pictureWidth = in.Int(0, 256);
    const bool hasPicture = in.Bool(), bar = in.Bool(), rtl = in.Bool();
    const ItemGeometry g = LayOutItem(given, iconWidth, hasPicture, hasPicture ? pictureWidth : 0, bar, rtl);
    FUZZ_CHECK(g.item.left == given.left && g.item.right == given.right && g.item.top == given.top &&
               g.item.bottom == given.bottom + 1);
    FUZZ_CHECK(g.iconColumn.Width() == iconWidth && g.iconColumn.top == g.item.top &&
               g.iconColumn.bottom == g.item.bottom);
    FUZZ_CHECK(rtl ? g.iconColumn.right == g.item.right : g.iconColumn.left == g.item.left);
    FUZZ_CHECK(g.text.top == g.item.top && g.text.bottom == g.item.bottom);
    if (!bar) {
        // The caption never runs into the icon column.
        if (rtl) FUZZ_CHECK(g.text.right <= g.iconColumn.left && g.text.left == g.item.left);
        else FUZZ_CHECK(g.text.left >= g.iconColumn.right && g.text.right == g.item.right);
    }
    if (!hasPicture) FUZZ_CHECK(g.check.Width() == 10 && g.check.Height() == 10 + (bar ? 1 : 0));

    const Segment line = SeparatorLine(g.text, rtl);
    FUZZ_CHECK(line.from.y == line.to.y && line.from.y >= g.text.top && line.from.y <= g.text.bottom);

    const Point p = ImagePosition(g.iconColumn, iconWidth, pictureWidth, in.Bool(), bar, rtl, in.Bool());
    FUZZ_CHECK(p.y >= g.iconColumn.top - 1 && p.y <= g.iconColumn.top + 3);

    for (const TextPass& pass : DefaultTextPasses(g.text))
        FUZZ_CHECK(pass.rect.left >= g.text.left && pass.rect.right <= g.text.right + 1);
    (void)CheckStrokes(g.check);
    (void)BarShadowFills(g.item);
    (void)BarShadowLines(g.item);
    // At any resolution the bar's shadow and outline keep to the item's right
    // edge, and the text passes start inside the text.
    const int itemDpi = in.Int(48, 480);
    for (const ShadowFill& f : BarShadowFills(g.item, itemDpi)) FUZZ_CHECK(f.rect.right <= g.item.right);
    for (const ShadowLine& l : BarShadowLines(g.item, itemDpi))
        for (const Point& q : l.points) FUZZ_CHECK(q.x < g.item.right && q.y >= g.item.top);
    FUZZ_CHECK(BarSelectionOutline(g.item, in.Bool(), itemDpi).frame[2].x < g.item.right);
    for (const TextPass& pass : DefaultTextPasses(g.text, itemDpi)) FUZZ_CHECK(pass.rect.left >= g.text.left);

    const int left = given.left, right = given.left + in.Int(-8, 2048);
    const std::vector<int> steps = GradientSteps(left, right, iconWidth, rtl);
    if (right < left) {
        FUZZ_CHECK(steps.empty());
        return;
    }
    FUZZ_CHECK(steps.size() == static_cast<size_t>(right - left + 1));
    // Growing away from the icon column's side, never past 96.
    for (size_t i = 0; i < steps.size(); ++i) {
        const size_t k = rtl ? steps.size() - 1 - i : i;
        FUZZ_CHECK(steps[k] >= 1 && steps[k] <= 96);
        if (i > 0) FUZZ_CHECK(steps[k] >= steps[rtl ? k + 1 : k - 1]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    switch (in.Byte() % 4) {
    case 0: Rounding(in); break;
    case 1: Colours(in); break;
    case 2: Sizes(in); break;
    case 3: Geometry(in); break;
    }
    return 0;
}
