#include "PictureKeys.h"

#include <algorithm>
#include <cstdlib>

namespace flow {

namespace {

int CentreX(const Rect& r) { return (r.left + r.right) / 2; }

int First(const Layout& layout, const Focusable& focusable) {
    for (int i = 0; i < layout.Count(); ++i)
        if (focusable(i)) return i;
    return -1;
}

int Last(const Layout& layout, const Focusable& focusable) {
    for (int i = layout.Count() - 1; i >= 0; --i)
        if (focusable(i)) return i;
    return -1;
}

// In row `row`, the picture that can take the focus whose centre is
// nearest to `x` (the leftmost of equals); -1 when none can.
int NearestInRow(const Layout& layout, int row, int x, const Focusable& focusable) {
    const Row& r = layout.Rows()[static_cast<size_t>(row)];
    int best = -1, bestDistance = 0;
    for (int i = r.first; i < r.last; ++i) {
        if (!focusable(i)) continue;
        const int distance = std::abs(CentreX(layout.Box(i)) - x);
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

// Starting at row `row` and going by `step`, the first row with a picture
// that can take the focus: that picture nearest to `x`; -1 when none.
int NearestFromRow(const Layout& layout, int row, int step, int x, const Focusable& focusable) {
    for (int r = row; r >= 0 && r < static_cast<int>(layout.Rows().size()); r += step)
        if (int found = NearestInRow(layout, r, x, focusable); found >= 0) return found;
    return -1;
}

// The last row whose top is at or above `y` (the first row for y above all).
int RowAtY(const Layout& layout, int y) {
    const std::vector<Row>& rows = layout.Rows();
    auto it = std::upper_bound(rows.begin(), rows.end(), y, [](int value, const Row& row) { return value < row.top; });
    return it == rows.begin() ? 0 : static_cast<int>(it - rows.begin()) - 1;
}

char Lower(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<char>(u - 'A' + 'a') : c;
}

bool StartsWith(const std::string& name, const std::string& prefix) {
    if (name.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (Lower(name[i]) != Lower(prefix[i])) return false;
    return true;
}

}  // namespace

int RowOf(const Layout& layout, int index) {
    const std::vector<Row>& rows = layout.Rows();
    auto it = std::upper_bound(rows.begin(), rows.end(), index,
                               [](int value, const Row& row) { return value < row.first; });
    if (it == rows.begin()) return -1;
    const int row = static_cast<int>(it - rows.begin()) - 1;
    return index < rows[static_cast<size_t>(row)].last ? row : -1;
}

int NextFocus(const Layout& layout, int from, Move move, int pageHeight, const Focusable& focusable) {
    if (from < 0 || from >= layout.Count()) return move == Move::End ? Last(layout, focusable) : First(layout, focusable);
    const int rows = static_cast<int>(layout.Rows().size());
    const int row = RowOf(layout, from);
    const Rect& box = layout.Box(from);
    int found = -1;
    switch (move) {
    case Move::Left:
        for (int i = from - 1; i >= 0 && found < 0; --i)
            if (focusable(i)) found = i;
        break;
    case Move::Right:
        for (int i = from + 1; i < layout.Count() && found < 0; ++i)
            if (focusable(i)) found = i;
        break;
    case Move::Up: found = NearestFromRow(layout, row - 1, -1, CentreX(box), focusable); break;
    case Move::Down: found = NearestFromRow(layout, row + 1, 1, CentreX(box), focusable); break;
    case Move::Home: found = First(layout, focusable); break;
    case Move::End: found = Last(layout, focusable); break;
    case Move::PageUp:
    case Move::PageDown: {
        const bool down = move == Move::PageDown;
        const int y = (box.top + box.bottom) / 2 + (down ? pageHeight : -pageHeight);
        int target = RowAtY(layout, y);
        target = down ? std::max(target, row + 1) : std::min(target, row - 1);
        target = std::clamp(target, 0, rows - 1);
        if (target == row) break;
        // The target row, else the nearest row with a picture back towards
        // the focus, else on past it.
        found = NearestFromRow(layout, target, down ? -1 : 1, CentreX(box), focusable);
        if (found >= 0 && (down ? RowOf(layout, found) <= row : RowOf(layout, found) >= row)) found = -1;
        if (found < 0) found = NearestFromRow(layout, target, down ? 1 : -1, CentreX(box), focusable);
        break;
    }
    }
    return found >= 0 ? found : from;
}

int FindByPrefix(int count, const std::function<const std::string&(int index)>& name, int start,
                 const std::string& prefix, const Focusable& focusable) {
    if (count <= 0 || prefix.empty()) return -1;
    start = ((start % count) + count) % count;
    for (int step = 0; step < count; ++step) {
        const int i = (start + step) % count;
        if (StartsWith(name(i), prefix) && focusable(i)) return i;
    }
    return -1;
}

}  // namespace flow
