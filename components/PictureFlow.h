// Flow layout of a page of pictures: where each picture goes, given the sizes
// of the pictures before it and the page width, and which picture lies under
// a point. Pictures flow left to right like inline images separated by a
// non-breaking space and a blank, wrap at the right edge, and the pictures of
// one row stand on a common baseline (their bottom edges line up).
// Pure arithmetic; no windows.h here.
#pragma once
#include <cstddef>
#include <vector>

namespace flow {

struct Size {
    int width = 0;
    int height = 0;
};

// Half-open: [left, right) x [top, bottom).
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool Empty() const { return right <= left || bottom <= top; }
};

// The page's spacing, in pixels. The defaults are what a browser gives the
// icon page; docs/picture-view.md explains each value.
struct Metrics {
    int marginX = 10;   // body margin left and right
    int marginY = 15;   // body margin top and bottom
    int nbspWidth = 4;  // the non-breaking space that stays with its picture
    int spaceWidth = 4; // the blank after it, where a row may break
    int ascent = 14;    // the text's ascent: a row is never shorter above its baseline
    int descent = 4;    // the text's descent: room under the baseline
};

// The spacing at `dpi` (the defaults are those of 96 dpi), by DpiScale's rule.
Metrics MetricsForDpi(int dpi, const Metrics& design = {});
// A picture's size on a page at `dpi`: each side scaled by DpiScale's rule.
Size SizeForDpi(Size size, int dpi);

// One row: pictures [first, last), spanning [top, bottom) with its baseline.
struct Row {
    int first = 0, last = 0;
    int top = 0, baseline = 0, bottom = 0;
};

// Pictures [first, last).
struct Range {
    int first = 0, last = 0;
    bool Empty() const { return last <= first; }
};

// A flow that grows one picture at a time: adding a picture never moves the
// pictures of earlier rows, so a prefix of the pictures can be placed (and
// shown) before the sizes of the rest are known.
class Layout {
public:
    explicit Layout(int width = 0, const Metrics& metrics = {});

    // Starts over, empty, for a page `width` pixels wide.
    void Reset(int width);
    // Places the next picture.
    void Add(Size size);

    int Width() const { return width_; }
    const Metrics& Spacing() const { return metrics_; }
    int Count() const { return static_cast<int>(boxes_.size()); }
    const Rect& Box(int index) const { return boxes_[static_cast<std::size_t>(index)]; }
    const std::vector<Row>& Rows() const { return rows_; }
    // The page height: the rows and the top and bottom margins (0 when empty).
    int Height() const;
    // The top of the last row: rows above it are final, it may still grow.
    int OpenRowTop() const { return rows_.empty() ? metrics_.marginY : rows_.back().top; }

    // The picture whose box holds the point, or -1.
    int HitTest(int x, int y) const;
    // The pictures of the rows that reach into [top, bottom).
    Range RowsBetween(int top, int bottom) const;

private:
    bool Fits(const Row& row, int width) const;

    int width_;
    Metrics metrics_;
    std::vector<Rect> boxes_;
    std::vector<Row> rows_;
    int penX_ = 0;  // where the next picture of the last row starts
};

// The whole flow of `sizes` at once.
Layout LayOut(const std::vector<Size>& sizes, int width, const Metrics& metrics = {});

}  // namespace flow
