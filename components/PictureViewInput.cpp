// TPictureView: pointer, tooltip, keyboard and accessibility.
#include "PictureView.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

#include "PictureViewInternal.h"

using namespace picture_view;

// =============================================================== pointer

void TPictureView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (CanFocus()) SetFocus();  // so the wheel reaches the view
    if (button != mbLeft) return;
    // The second press of a double click starts no pick, as on the page,
    // where a double click gives one click.
    pressed_ = (shift & ssDouble) ? -1 : PictureAt(x, y);
    if (pressed_ >= 0) SetCapture(handle_);
}

void TPictureView::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (button != mbLeft) return;
    const int pressed = pressed_;
    pressed_ = -1;
    if (GetCapture() == handle_) ReleaseCapture();
    const int released = PictureAt(x, y);
    if (pressed < 0 || released != pressed) return;
    Pick(released);
}

void TPictureView::Pick(int index) {
    if (!Pickable(index) || index >= layout_.Count()) return;
    // A pick's own failure is reported by the application, like any other
    // handler's; it never leaves through this window procedure.
    try {
        OnPictureClick(this, index);
    } catch (...) {
        HandleCallbackException();
    }
}

void TPictureView::PickLater(int index) {
    if (HandleAllocated()) PostMessageA(handle_, kPickMessage, static_cast<WPARAM>(index), 0);
}

void TPictureView::MouseMove(TShiftState shift, int x, int y) {
    TCustomControl::MouseMove(shift, x, y);
    mouseInside_ = true;
    lastMouse_ = POINT{x, y};
    SetHot(PictureAt(x, y));
}

void TPictureView::MouseLeave() {
    TCustomControl::MouseLeave();
    mouseInside_ = false;
    SetHot(-1);
}

void TPictureView::SetHot(int index) {
    if (index == hot_) return;
    InvalidatePicture(hot_);
    hot_ = index;
    InvalidatePicture(hot_);
    UpdateToolTip(false);
}

// The tooltip names the picture under the pointer. Its one tool takes that
// picture's box; when the pointer goes from one picture straight to the
// next, the tip is told the pointer left first, so it hides and shows the
// new name after its usual delay instead of keeping the old one.
void TPictureView::UpdateToolTip(bool boxMoved) {
    if (!toolTip_) return;
    if (hot_ == toolTipShown_ && !boxMoved) return;
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = handle_;
    tool.uId = 1;
    if (hot_ != toolTipShown_ && toolTipShown_ >= 0) {
        SendMessageA(toolTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
        MSG m{handle_, WM_MOUSEMOVE, 0, MAKELPARAM(lastMouse_.x, lastMouse_.y), static_cast<DWORD>(GetMessageTime()), {}};
        SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
    }
    std::string text = hot_ >= 0 ? Info(hot_).name : std::string();
    tool.lpszText = text.data();
    SendMessageA(toolTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    if (hot_ >= 0) tool.rect = PictureRect(hot_);
    SendMessageA(toolTip_, TTM_NEWTOOLRECTA, 0, reinterpret_cast<LPARAM>(&tool));
    toolTipShown_ = hot_;
}

void TPictureView::RelayToToolTip(UINT msg, WPARAM wp, LPARAM lp) {
    if (!toolTip_) return;
    MSG m{handle_, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

// ============================================================== keyboard

bool TPictureView::WantsDialogKey(WPARAM key) const {
    switch (key) {
    case VK_RETURN:
    case VK_SPACE:
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
    case VK_END:
    case VK_PRIOR:
    case VK_NEXT:
        return true;
    default:
        return false;  // Tab and Escape stay the form's
    }
}

bool TPictureView::Typing() const { return !typed_.empty() && GetTickCount() - typedAt_ < kTypingMs; }

// Keys with Ctrl or Alt are the form's short-cuts and are left alone.
bool TPictureView::KeyDown(WPARAM key) {
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    switch (key) {
    case VK_LEFT: MoveFocus(flow::Move::Left); return true;
    case VK_RIGHT: MoveFocus(flow::Move::Right); return true;
    case VK_UP: MoveFocus(flow::Move::Up); return true;
    case VK_DOWN: MoveFocus(flow::Move::Down); return true;
    case VK_HOME: MoveFocus(flow::Move::Home); return true;
    case VK_END: MoveFocus(flow::Move::End); return true;
    case VK_PRIOR: MoveFocus(flow::Move::PageUp); return true;
    case VK_NEXT: MoveFocus(flow::Move::PageDown); return true;
    case VK_RETURN:
        typed_.clear();
        Pick(focus_);
        return true;
    case VK_SPACE:
        if (Typing()) return false;  // a blank inside a name being typed
        swallowSpace_ = true;        // its character follows
        Pick(focus_);
        return true;
    default:
        return false;
    }
}

// Letters typed in quick succession make a name: the focus goes to the
// next picture whose file name starts with them. The same letter again goes
// on to the next picture with that first letter.
void TPictureView::CharTyped(char c) {
    if (c == ' ' && swallowSpace_) {
        swallowSpace_ = false;
        return;
    }
    swallowSpace_ = false;
    if (static_cast<unsigned char>(c) < 0x20) return;  // Enter, Backspace, Escape, Ctrl+letter
    if (!Typing()) typed_.clear();
    typed_ += c;
    typedAt_ = GetTickCount();
    auto lower = [](char t) { return (t >= 'A' && t <= 'Z') ? static_cast<char>(t - 'A' + 'a') : t; };
    const bool sameLetter =
        std::all_of(typed_.begin(), typed_.end(), [&](char t) { return lower(t) == lower(typed_[0]); });
    const std::string prefix = sameLetter ? typed_.substr(0, 1) : typed_;
    // A new search starts after the focused picture; a longer name may still
    // be the focused picture's.
    const int start = focus_ < 0 ? 0 : (sameLetter ? focus_ + 1 : focus_);
    const int found = flow::FindByPrefix(
        Count(), [this](int i) -> const std::string& { return Info(i).name; }, start, prefix,
        [this](int i) {
            EnsureMeasured(i + 1);
            return Pickable(i);
        });
    if (found >= 0) SetFocusIndex(found);
}

void TPictureView::MoveFocus(flow::Move move) {
    if (!HandleAllocated() || Count() == 0) return;
    typed_.clear();
    const bool forward = move == flow::Move::Right || move == flow::Move::Down || move == flow::Move::PageDown ||
                         move == flow::Move::End || focus_ < 0;
    // What the move may land on is laid out first: the rows down to where
    // it goes, complete (a row below them started).
    auto settleBelow = [this](int y) {
        while (measured_ < Count() && (layout_.Count() == 0 || layout_.OpenRowTop() <= y)) MeasureNext();
    };
    if (move == flow::Move::End) EnsureMeasured(Count());
    if (forward) {
        int y = focus_ >= 0 && focus_ < layout_.Count() ? layout_.Box(focus_).bottom : 0;
        if (move == flow::Move::PageDown) y += ClientHeight();
        settleBelow(y);
        settleBelow(layout_.OpenRowTop());
    }
    auto pickable = [this](int i) { return Pickable(i); };
    int target = flow::NextFocus(layout_, focus_, move, ClientHeight(), pickable);
    while (forward && (target == focus_ || target < 0) && measured_ < Count()) {
        settleBelow(layout_.OpenRowTop());
        target = flow::NextFocus(layout_, focus_, move, ClientHeight(), pickable);
    }
    UpdateScrollBar();
    ScheduleTimer();
    if (target < 0) return;
    if ((move == flow::Move::PageUp || move == flow::Move::PageDown) && focus_ >= 0 && target != focus_) {
        // The page turns with the focus: it stays where it was on the screen.
        SetScrollPos(scrollPos_ + layout_.Box(target).top - layout_.Box(focus_).top);
    }
    SetFocusIndex(target);
}

void TPictureView::SetFocusIndex(int index) {
    if (index < 0 || index >= Count() || !HandleAllocated()) return;
    EnsureMeasured(index + 1);
    if (!Pickable(index)) return;
    const bool changed = index != focus_;
    if (changed) {
        InvalidatePicture(focus_);
        focus_ = index;
        InvalidatePicture(focus_);
    }
    ScrollIntoView(index);
    if (changed) NotifyAccessibleFocus();
}

// Scrolls as little as needed for the picture and its focus frame to show;
// the first row shows the page's top margin, the last row its bottom one.
void TPictureView::ScrollIntoView(int index) {
    if (index < 0 || index >= layout_.Count()) return;
    const int row = flow::RowOf(layout_, index);
    if (row == 0) {
        SetScrollPos(0);
        return;
    }
    if (row == static_cast<int>(layout_.Rows().size()) - 1 && measured_ == Count()) {
        SetScrollPos(layout_.Height());
        return;
    }
    const int margin = FocusOutsetAt(Dpi()) + dpi::Scale(2, Dpi());
    const flow::Rect& box = layout_.Box(index);
    if (box.top - margin < scrollPos_) SetScrollPos(box.top - margin);
    else if (box.bottom + margin > scrollPos_ + ClientHeight()) SetScrollPos(box.bottom + margin - ClientHeight());
}

void TPictureView::FocusChanged(bool gained) {
    InvalidatePicture(focus_);
    if (!gained) return;
    // The first picture, when none had it (once the worker's reads are back).
    if (!Pickable(focus_) && started_ && !Reading()) MoveFocus(flow::Move::Home);
    else NotifyAccessibleFocus();
}

// Tells assistive technology which picture is focused and selected (one
// and the same here), so a screen reader names it.
void TPictureView::NotifyAccessibleFocus() {
    if (!HandleAllocated() || focus_ < 0) return;
    if (Focused()) NotifyWinEvent(EVENT_OBJECT_FOCUS, handle_, OBJID_CLIENT, focus_ + 1);
    NotifyWinEvent(EVENT_OBJECT_SELECTION, handle_, OBJID_CLIENT, focus_ + 1);
}

// ========================================================= accessibility

bool TPictureView::PictureScreenRect(int index, RECT& out) {
    if (index < 0 || index >= Count() || !HandleAllocated()) return false;
    EnsureMeasured(index + 1);
    if (index >= layout_.Count()) return false;
    out = PictureRect(index);
    MapWindowPoints(handle_, nullptr, reinterpret_cast<POINT*>(&out), 2);
    return true;
}

bool TPictureView::IsInSight(int index) const {
    if (index < 0 || index >= layout_.Count() || !HandleAllocated() || !IsWindowVisible(handle_)) return false;
    return Intersects(PictureRect(index), ClientRect());
}
