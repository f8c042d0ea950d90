// The picture page's flow layout, its keyboard moves and the pixel cache.
// First byte: which.
// Flow: page width, spacing and picture sizes from the input; boxes must
// never overlap, must stay inside the page's margins unless a picture is
// wider than the room there, and hit-testing must find each box. Cache: a
// sequence of stores, uses, frames and forgets checked against a plain model.
#include <algorithm>
#include <map>
#include <vector>

#include "FuzzInput.h"
#include "PictureFlow.h"
#include "PictureKeys.h"
#include "PixelCache.h"

namespace {

void Flow(FuzzInput& in) {
    flow::Metrics m;
    if (in.Bool()) {  // spacing as a font could give it; the defaults otherwise
        m.marginX = in.Int(0, 40);
        m.marginY = in.Int(0, 40);
        m.nbspWidth = in.Int(0, 20);
        m.spaceWidth = in.Int(0, 20);
        m.ascent = in.Int(0, 60);
        m.descent = in.Int(0, 30);
    }
    const int width = in.Int(-100, 70000);
    std::vector<flow::Size> sizes;
    while (!in.Empty() && sizes.size() < 300) {
        const int w = in.Byte() & 0x80 ? in.Int(-50, 40000) : in.Int(0, 300);
        const int h = in.Byte() & 0x80 ? in.Int(-50, 40000) : in.Int(0, 300);
        sizes.push_back({w, h});
    }
    const flow::Layout layout = flow::LayOut(sizes, width, m);
    FUZZ_CHECK(layout.Count() == static_cast<int>(sizes.size()));

    // Rows cover the pictures in order, stacked top to bottom.
    int next = 0, top = m.marginY;
    for (const flow::Row& row : layout.Rows()) {
        FUZZ_CHECK(row.first == next && row.last > row.first);
        FUZZ_CHECK(row.top == top && row.top <= row.baseline && row.baseline <= row.bottom);
        FUZZ_CHECK(row.baseline - row.top >= m.ascent && row.bottom - row.baseline == m.descent);
        for (int i = row.first; i < row.last; ++i) {
            const flow::Rect& b = layout.Box(i);
            FUZZ_CHECK(b.bottom == row.baseline && b.top >= row.top);
            FUZZ_CHECK(b.left >= m.marginX && b.right >= b.left);
            // Inside the right margin, unless it is the row's only picture and
            // wider than the room.
            if (i > row.first) FUZZ_CHECK(b.right + m.nbspWidth <= std::max(width, 0) - m.marginX);
            if (i > row.first) FUZZ_CHECK(b.left >= layout.Box(i - 1).right);
        }
        next = row.last;
        top = row.bottom;
    }
    FUZZ_CHECK(next == layout.Count());
    if (layout.Count() > 0) FUZZ_CHECK(layout.Height() == top + m.marginY);

    for (int i = 0; i < layout.Count(); ++i) {
        const flow::Rect& b = layout.Box(i);
        if (b.Empty()) continue;
        FUZZ_CHECK(layout.HitTest(b.left, b.top) == i);
        FUZZ_CHECK(layout.HitTest(b.right - 1, b.bottom - 1) == i);
        const flow::Range r = layout.RowsBetween(b.top, b.bottom);
        FUZZ_CHECK(r.first <= i && i < r.last);
    }
    FUZZ_CHECK(layout.HitTest(m.marginX - 1, m.marginY) == -1);
    const int probeY = in.Int(-10, layout.Height() + 10);
    const flow::Range all = layout.RowsBetween(-1, layout.Height() + 1);
    if (layout.Count() > 0) FUZZ_CHECK(all.first == 0 && all.last == layout.Count());
    FUZZ_CHECK(layout.RowsBetween(probeY, probeY).Empty());

    // Keyboard moves over the same flow, some pictures broken (no focus).
    const std::uint32_t broken = in.U32();
    const flow::Focusable focusable = [&](int i) { return !((broken >> (i % 32)) & 1); };
    int first = -1, last = -1;
    for (int i = 0; i < layout.Count(); ++i)
        if (focusable(i)) {
            if (first < 0) first = i;
            last = i;
        }
    for (int step = 0; step < 16 && !in.Empty(); ++step) {
        const int from = in.Int(-1, layout.Count() - 1);
        const auto move = static_cast<flow::Move>(in.Byte() % 8);
        const int page = in.Int(-5, 5000);
        const int to = flow::NextFocus(layout, from, move, page, focusable);
        if (first < 0) {  // nothing can take the focus: it stays where it is, if anywhere
            FUZZ_CHECK(to == -1 || (from >= 0 && to == from));
            continue;
        }
        FUZZ_CHECK(to >= 0 && to < layout.Count() && (to == from || focusable(to)));
        if (from < 0) FUZZ_CHECK(to == (move == flow::Move::End ? last : first));
        else if (move == flow::Move::Home) FUZZ_CHECK(to == first);
        else if (move == flow::Move::End) FUZZ_CHECK(to == last);
        else if (move == flow::Move::Right) {
            int want = from;
            for (int i = from + 1; i < layout.Count(); ++i)
                if (focusable(i)) {
                    want = i;
                    break;
                }
            FUZZ_CHECK(to == want);
        } else if (move == flow::Move::Left) {
            int want = from;
            for (int i = from - 1; i >= 0; --i)
                if (focusable(i)) {
                    want = i;
                    break;
                }
            FUZZ_CHECK(to == want);
        } else if (to != from) {  // up and down leave the row, the right way
            const int a = flow::RowOf(layout, from), b = flow::RowOf(layout, to);
            const bool down = move == flow::Move::Down || move == flow::Move::PageDown;
            FUZZ_CHECK(a >= 0 && b >= 0 && (down ? b > a : b < a));
        }
    }
}

void Cache(FuzzInput& in) {
    const size_t budget = static_cast<size_t>(in.Int(0, 4096));
    PixelCache cache(budget);
    struct Held {
        size_t bytes;
        std::uint64_t frame;
    };
    std::map<std::pair<int, int>, Held> model;  // (owner, index)
    std::uint64_t frame = 1;
    int owners[4];
    for (int op = 0; op < 200 && !in.Empty(); ++op) {
        const int owner = in.Byte() % 4, index = in.Int(-2, 5);
        const int what = in.Byte() % 5;
        switch (what) {
        case 0: {
            PixelBuffer pixels;
            pixels.width = in.Int(0, 16);
            pixels.height = in.Int(0, 16);
            pixels.pixels.assign(static_cast<size_t>(pixels.width * pixels.height), 0x00FF00FFu);
            const size_t bytes = pixels.Bytes();
            cache.Store(&owners[owner], index, std::move(pixels));
            model[{owner, index}] = Held{bytes, frame};
            FUZZ_CHECK(cache.Holds(&owners[owner], index));
            break;
        }
        case 1: {
            const PixelBuffer* p = cache.Use(&owners[owner], index);
            auto found = model.find({owner, index});
            FUZZ_CHECK((p != nullptr) == (found != model.end()));
            if (p) {
                FUZZ_CHECK(p->Bytes() == found->second.bytes);
                found->second.frame = frame;
            }
            break;
        }
        case 2:
            cache.BeginFrame();
            ++frame;
            break;
        case 3:
            cache.Forget(&owners[owner]);
            for (auto it = model.begin(); it != model.end();) it = it->first.first == owner ? model.erase(it) : std::next(it);
            FUZZ_CHECK(!cache.Holds(&owners[owner], index));
            break;
        case 4:
            cache.SetBudget(static_cast<size_t>(in.Int(0, 4096)));
            break;
        }
        // The model loses what the cache gave back; what it keeps must agree.
        size_t bytes = 0;
        bool olderHeld = false;
        for (auto it = model.begin(); it != model.end();) {
            if (!cache.Holds(&owners[it->first.first], it->first.second)) {
                FUZZ_CHECK(it->second.frame != frame);  // what is on screen stays
                it = model.erase(it);
                continue;
            }
            bytes += it->second.bytes;
            olderHeld = olderHeld || it->second.frame != frame;
            ++it;
        }
        FUZZ_CHECK(cache.Count() == model.size() && cache.Bytes() == bytes);
        // A store gives back older pictures until the rest fits the budget.
        if (what == 0) FUZZ_CHECK(bytes <= cache.Budget() || !olderHeld);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    if (in.Byte() & 1) Cache(in);
    else Flow(in);
    return 0;
}
