// TPictureView: the page's geometry, the scroll bar and scrolling.
#include "PictureView.h"

#include <algorithm>

#include "PictureViewInternal.h"

using namespace picture_view;

// ============================================================== geometry

int TPictureView::FullClientWidth() const {
    if (!HandleAllocated()) return Width();
    int width = ClientWidth();
    if (GetWindowLongA(handle_, GWL_STYLE) & WS_VSCROLL) width += GetSystemMetrics(SM_CXVSCROLL);
    return width;
}

void TPictureView::Relayout() {
    relayingOut_ = true;
    auto build = [this](int width) {
        layout_.Reset(width);
        for (int i = 0; i < measured_; ++i)
            layout_.Add(flow::SizeForDpi(flow::Size{Info(i).width, Info(i).height}, Dpi()));
    };
    const int full = FullClientWidth();
    build(full);
    // The bar is shown when the page is taller than the view; it narrows the
    // page, which can only make it taller, so the choice is stable.
    if (layout_.Height() > ClientHeight()) build(full - GetSystemMetrics(SM_CXVSCROLL));
    UpdateScrollBar();
    relayingOut_ = false;
    if (HandleAllocated()) {
        InvalidateRect(handle_, nullptr, FALSE);
        SetHot(mouseInside_ ? PictureAt(lastMouse_.x, lastMouse_.y) : -1);
        UpdateToolTip(true);
    }
}

void TPictureView::ChangeScale(int toDpi, int fromDpi) {
    TCustomControl::ChangeScale(toDpi, fromDpi);
    // Drawn sizes, margins and gaps at the new scale; every box (highlight,
    // focus, what assistive technology is told) comes from the layout.
    layout_ = flow::Layout(FullClientWidth(), flow::MetricsForDpi(toDpi));
    Relayout();
}

void TPictureView::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    const int page = std::max(ClientHeight(), 0);
    const int height = layout_.Height();
    const bool need = height > page;
    scrollPos_ = std::clamp(scrollPos_, 0, std::max(height - page, 0));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = need ? height - 1 : 0;
    si.nPage = need ? static_cast<UINT>(page) : 0;
    si.nPos = scrollPos_;
    const bool shown = (GetWindowLongA(handle_, GWL_STYLE) & WS_VSCROLL) != 0;
    if (need && !shown) ShowScrollBar(handle_, SB_VERT, TRUE);
    SetScrollInfo(handle_, SB_VERT, &si, need);
    if (!need && shown) ShowScrollBar(handle_, SB_VERT, FALSE);
}

flow::Range TPictureView::VisibleRange() const {
    return layout_.RowsBetween(scrollPos_, scrollPos_ + ClientHeight());
}

RECT TPictureView::ToClient(const flow::Rect& box) const {
    return RECT{box.left, box.top - scrollPos_, box.right, box.bottom - scrollPos_};
}

int TPictureView::PictureAt(int x, int y) const {
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return -1;
    return layout_.HitTest(x, y + scrollPos_);
}

void TPictureView::InvalidatePicture(int index) {
    if (!HandleAllocated() || index < 0 || index >= layout_.Count()) return;
    RECT r = PictureRect(index);
    const int outset = FocusOutsetAt(Dpi());
    InflateRect(&r, outset, outset);  // and its hover and focus frames
    InvalidateRect(handle_, &r, FALSE);
}

void TPictureView::SetScrollPos(int pos) {
    const int limit = std::max(layout_.Height() - ClientHeight(), 0);
    pos = std::clamp(pos, 0, limit);
    if (pos == scrollPos_) return;
    scrollPos_ = pos;
    if (!HandleAllocated()) return;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = pos;
    SetScrollInfo(handle_, SB_VERT, &si, TRUE);
    InvalidateRect(handle_, nullptr, FALSE);
    // What lies under the pointer changed with the page.
    SetHot(mouseInside_ ? PictureAt(lastMouse_.x, lastMouse_.y) : -1);
    UpdateToolTip(true);
}

void TPictureView::ScrollBy(int delta) { SetScrollPos(scrollPos_ + delta); }

void TPictureView::OnVScroll(int code) {
    const int line = LineStepAt(Dpi());
    const int page = std::max(ClientHeight() - line, line);
    switch (code) {
    case SB_LINEUP: ScrollBy(-line); break;
    case SB_LINEDOWN: ScrollBy(line); break;
    case SB_PAGEUP: ScrollBy(-page); break;
    case SB_PAGEDOWN: ScrollBy(page); break;
    case SB_TOP: SetScrollPos(0); break;
    case SB_BOTTOM: SetScrollPos(layout_.Height()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO si{};
        si.cbSize = sizeof si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(handle_, SB_VERT, &si)) SetScrollPos(si.nTrackPos);
        break;
    }
    default: break;
    }
}

void TPictureView::OnMouseWheel(int delta) {
    UINT lines = 3;
    SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == 0) return;
    if (layout_.Height() <= ClientHeight()) {
        wheelRest_ = 0;
        return;
    }
    const int line = LineStepAt(Dpi());
    if (lines == WHEEL_PAGESCROLL) {
        wheelRest_ += delta;
        const int pages = wheelRest_ / WHEEL_DELTA;
        wheelRest_ -= pages * WHEEL_DELTA;
        ScrollBy(-pages * std::max(ClientHeight() - line, line));
        return;
    }
    // Small steps of a precise wheel add up until they make whole lines.
    wheelRest_ += delta;
    const int perLine = std::max(WHEEL_DELTA / static_cast<int>(lines), 1);
    const int count = wheelRest_ / perLine;
    wheelRest_ -= count * perLine;
    ScrollBy(-count * line);
}
