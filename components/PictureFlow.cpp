#include "PictureFlow.h"

#include "DpiScale.h"

#include <algorithm>
#include <iterator>

namespace flow {

Metrics MetricsForDpi(int dpi, const Metrics& design) {
    Metrics m;
    m.marginX = dpi::Scale(design.marginX, dpi);
    m.marginY = dpi::Scale(design.marginY, dpi);
    m.nbspWidth = dpi::Scale(design.nbspWidth, dpi);
    m.spaceWidth = dpi::Scale(design.spaceWidth, dpi);
    m.ascent = dpi::Scale(design.ascent, dpi);
    m.descent = dpi::Scale(design.descent, dpi);
    return m;
}

Size SizeForDpi(Size size, int dpi) { return Size{dpi::Scale(size.width, dpi), dpi::Scale(size.height, dpi)}; }


namespace {
// No single picture is placed larger than this, so sums of a few hundred
// thousand rows stay inside an int.
constexpr int kMaxSide = 16384;
constexpr int kMaxCoordinate = 1 << 30;

int Clamp(int v, int high) { return std::clamp(v, 0, high); }
}  // namespace

Layout::Layout(int width, const Metrics& metrics) : width_(std::max(width, 0)), metrics_(metrics) {}

void Layout::Reset(int width) {
    width_ = std::max(width, 0);
    boxes_.clear();
    rows_.clear();
    penX_ = 0;
}

bool Layout::Fits(const Row& row, int width) const {
    if (row.first == row.last) return true;  // a row always takes its first picture
    // The picture and its non-breaking space must end inside the right margin;
    // the blank after it may hang over.
    long long right = static_cast<long long>(penX_) + width + metrics_.nbspWidth;
    return right <= static_cast<long long>(width_) - metrics_.marginX;
}

void Layout::Add(Size size) {
    const int w = Clamp(size.width, kMaxSide);
    const int h = Clamp(size.height, kMaxSide);
    const int index = Count();
    if (rows_.empty() || !Fits(rows_.back(), w)) {
        Row row;
        row.first = row.last = index;
        row.top = rows_.empty() ? metrics_.marginY : rows_.back().bottom;
        row.baseline = std::min(row.top + metrics_.ascent, kMaxCoordinate);
        row.bottom = std::min(row.baseline + metrics_.descent, kMaxCoordinate);
        rows_.push_back(row);
        penX_ = metrics_.marginX;
    }
    Row& row = rows_.back();
    // A taller picture lowers the row's baseline: the row's pictures move down
    // with it, so every bottom edge stays on the baseline.
    const int baseline = std::min(std::max(row.baseline, row.top + h), kMaxCoordinate);
    if (baseline != row.baseline) {
        const int shift = baseline - row.baseline;
        for (int i = row.first; i < row.last; ++i) {
            boxes_[static_cast<size_t>(i)].top += shift;
            boxes_[static_cast<size_t>(i)].bottom += shift;
        }
        row.baseline = baseline;
        row.bottom = std::min(baseline + metrics_.descent, kMaxCoordinate);
    }
    const int left = std::min(penX_, kMaxCoordinate);
    boxes_.push_back(Rect{left, row.baseline - h, std::min(left + w, kMaxCoordinate), row.baseline});
    row.last = index + 1;
    penX_ = std::min(left + w + metrics_.nbspWidth + metrics_.spaceWidth, kMaxCoordinate);
}

int Layout::Height() const {
    if (rows_.empty()) return 0;
    return std::min(rows_.back().bottom + metrics_.marginY, kMaxCoordinate);
}

Range Layout::RowsBetween(int top, int bottom) const {
    if (rows_.empty() || bottom <= top) return {};
    // Rows are stacked without overlap, so both ends can be found by bisection.
    auto first = std::partition_point(rows_.begin(), rows_.end(), [&](const Row& r) { return r.bottom <= top; });
    auto last = std::partition_point(first, rows_.end(), [&](const Row& r) { return r.top < bottom; });
    if (first == last) return {};
    return Range{first->first, std::prev(last)->last};
}

int Layout::HitTest(int x, int y) const {
    const Range range = RowsBetween(y, y + 1);
    for (int i = range.first; i < range.last; ++i)
        if (Box(i).Contains(x, y)) return i;
    return -1;
}

Layout LayOut(const std::vector<Size>& sizes, int width, const Metrics& metrics) {
    Layout layout(width, metrics);
    for (const Size& s : sizes) layout.Add(s);
    return layout;
}

}  // namespace flow
