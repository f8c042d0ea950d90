#include "PictureView.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

#include "PictureViewAccessible.h"

namespace {

// The view's one timer: background work and animation frames.
constexpr UINT_PTR kTimer = 1;
// Posted to pick a picture from outside the message that asked for it.
constexpr UINT kPickMessage = WM_APP + 0x71;
// Letters typed within this time make one name to look for.
constexpr DWORD kTypingMs = 1000;
// The focus frame lies this far outside the picture's box (the hover frame
// one pixel); the gaps between pictures leave room for both.
constexpr int kFocusOutset = 2;
// Before a paint, what the visible area needs may hold it up this long. The
// rest is done from the message loop in slices with a pause after each, so
// input and painting go first and a loop that pumps until the queue is empty
// (ProcessMessages) still finds it empty now and then.
constexpr DWORD kPaintBudgetMs = 50;
constexpr DWORD kSliceBudgetMs = 20;
constexpr UINT kSlicePauseMs = 10;
// One scroll line (arrow, one wheel line), about a line of the page's text.
constexpr int kLineStep = 20;

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kPlaceholderFrame = RGB(160, 160, 160);
constexpr COLORREF kPlaceholderCross = RGB(210, 0, 0);

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool Intersects(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

}  // namespace

TPictureView::TPictureView(TComponent* owner) : TCustomControl(owner) {
    TabStop = true;  // Tab reaches the pictures like any other control
    SetColor(clWhite);
    SetBounds(0, 0, 200, 150);
}

TPictureView::~TPictureView() {
    DestroyHandle();
    if (accessible_) {  // normally let go with the window
        accessible_->Detach();
        accessible_->Release();
    }
    PixelCache::Shared().Forget(this);
}

void TPictureView::SetFiles(const std::vector<std::string>& paths) {
    PixelCache::Shared().Forget(this);
    pictures_.clear();
    pictures_.reserve(paths.size());
    for (const std::string& path : paths) {
        Picture p;
        p.path = path;
        p.name = FileNameOf(path);
        pictures_.push_back(std::move(p));
    }
    measured_ = 0;
    scrollPos_ = 0;
    wheelRest_ = 0;
    pressed_ = -1;
    hot_ = -1;
    focus_ = -1;
    typed_.clear();
    running_.clear();
    if (HandleAllocated()) {
        Relayout();
        UpdateToolTip(true);
    } else {
        layout_.Reset(FullClientWidth());
    }
}

bool TPictureView::IsDecoded(int index) const { return PixelCache::Shared().Holds(this, index); }

RECT TPictureView::PictureRect(int index) const {
    if (index < 0 || index >= layout_.Count()) return RECT{0, 0, 0, 0};
    return ToClient(layout_.Box(index));
}

// ================================================================ window

void TPictureView::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.background = nullptr;  // every pixel is painted from the back buffer
}

void TPictureView::HandleCreated() {
    // A window made again (new parent) has neither the old timer nor the old
    // tip; the tip is made when the pointer first comes (EnsureToolTip).
    timerOn_ = false;
    running_.clear();
    toolTip_ = nullptr;
    toolTipShown_ = -1;
    Relayout();
}

// The tooltip is a top-level window, which under Wine costs about as much
// as everything else of a page together; a program with dozens of tabs
// makes only the tips of the views the pointer has been over.
void TPictureView::EnsureToolTip() {
    if (toolTip_ || !HandleAllocated()) return;
    toolTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    if (!toolTip_) return;
    // One tool whose rectangle follows the picture under the pointer.
    TOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = handle_;
    tool.uId = 1;
    tool.lpszText = const_cast<char*>("");
    SendMessageA(toolTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    toolTipShown_ = -1;
}

LRESULT TPictureView::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        // Work runs before BeginPaint: it may show the scroll bar (which
        // changes the client area) and invalidate what it decodes.
        if (!started_) {
            started_ = true;
            Relayout();
        }
        MarkShown();
        DoWork(kPaintBudgetMs, true);
        if (focus_ < 0 && Focused()) MoveFocus(flow::Move::Home);
        UpdateAnimations();
        ScheduleTimer();
        break;
    case WM_TIMER:
        if (wp != kTimer) break;
        KillTimer(handle_, kTimer);
        timerOn_ = false;
        if (started_ && Busy()) DoWork(kSliceBudgetMs, false);
        UpdateAnimations();
        ScheduleTimer();  // a pause after the work counts from now
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (KeyDown(wp)) return 0;
        break;
    case WM_CHAR:
        CharTyped(static_cast<char>(wp));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = TCustomControl::WndProc(msg, wp, lp);
        FocusChanged(msg == WM_SETFOCUS);
        return result;
    }
    case kPickMessage:
        Pick(static_cast<int>(wp));
        return 0;
    case WM_GETOBJECT:
        if (static_cast<LONG>(lp) == static_cast<LONG>(OBJID_CLIENT)) {
            if (!accessible_) accessible_ = new TPictureViewAccessible(this);
            // __uuidof, not IID_IAccessible: the 64-bit oleacc import library
            // exports that name as a code stub, not as the identifier.
            return LresultFromObject(__uuidof(IAccessible), wp, accessible_);
        }
        break;
    case WM_SIZE: {
        LRESULT result = TCustomControl::WndProc(msg, wp, lp);
        if (!relayingOut_) Relayout();
        return result;
    }
    case WM_VSCROLL:
        OnVScroll(LOWORD(wp));
        return 0;
    case WM_MOUSEWHEEL:
        OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wp));
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(handle_, &p);
            if (Pickable(PictureAt(p.x, p.y))) {
                ::SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND)));
                return TRUE;
            }
        }
        break;
    case WM_CAPTURECHANGED:
        pressed_ = -1;
        break;
    case WM_MOUSEMOVE: {
        // The view moves the tool to the picture now under the pointer
        // first; then the tooltip sees the move.
        EnsureToolTip();
        LRESULT result = TCustomControl::WndProc(msg, wp, lp);
        RelayToToolTip(msg, wp, lp);
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        // Before the view: a release may run a pick, after which nothing
        // here touches the view again.
        RelayToToolTip(msg, wp, lp);
        break;
    case WM_DESTROY:
        toolTip_ = nullptr;  // an owned window: it goes with ours
        timerOn_ = false;
        running_.clear();
        if (accessible_) {
            // Its clients now get errors; a window made again gets a new one.
            accessible_->Detach();
            CoDisconnectObject(static_cast<IAccessible*>(accessible_), 0);
            accessible_->Release();
            accessible_ = nullptr;
        }
        break;
    default:
        break;
    }
    return TCustomControl::WndProc(msg, wp, lp);
}

// ============================================================= lazy work

bool TPictureView::Busy() const {
    if (measured_ < Count()) return true;
    if (!HandleAllocated() || !IsWindowVisible(handle_)) return false;
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i)
        if (Info(i).state == State::Measured && !IsDecoded(i)) return true;
    return false;
}

// A new frame of the shared cache in which every picture in view counts as
// shown, so nothing on screen is given back while the rest of the view is
// decoded, even where the paint redraws only part of it.
void TPictureView::MarkShown() {
    PixelCache& cache = PixelCache::Shared();
    cache.BeginFrame();
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i) cache.Use(this, i);
}

// Sets the one timer for what comes first: the next slice of work, or the
// next frame of an animation in sight; stops it when neither is left. A
// timer already set to fire sooner stays as it is.
void TPictureView::ScheduleTimer() {
    if (!HandleAllocated()) return;
    const DWORD now = GetTickCount();
    bool wanted = false;
    DWORD wait = 0;
    if (started_ && Busy()) {
        wanted = true;
        wait = kSlicePauseMs;
    }
    for (int i : running_) {
        const LONG left = static_cast<LONG>(Info(i).due - now);
        const DWORD until = left > 0 ? static_cast<DWORD>(left) : 0;
        if (!wanted || until < wait) wait = until;
        wanted = true;
    }
    if (!wanted) {
        if (timerOn_) KillTimer(handle_, kTimer);
        timerOn_ = false;
        return;
    }
    wait = std::max<DWORD>(wait, USER_TIMER_MINIMUM);
    const DWORD at = now + wait;
    if (timerOn_ && static_cast<LONG>(timerAt_ - at) <= 0) return;
    timerOn_ = SetTimer(handle_, kTimer, wait, nullptr) != 0;
    timerAt_ = at;
}

void TPictureView::EnsureMeasured(int count) {
    if (!HandleAllocated()) return;
    count = std::min(count, Count());
    if (measured_ >= count) return;
    while (measured_ < count) MeasureNext();
    UpdateScrollBar();
    ScheduleTimer();
}

// ============================================================= animation

int TPictureView::FrameOf(int index) const {
    const gif::Playback& playback = Info(index).playback;
    return playback.Animated() ? playback.Frame() : 0;
}

bool TPictureView::IsAnimated(int index) const { return Info(index).playback.Animated(); }

// Frames change only where somebody can see them: the view and all its
// parents shown, the window not minimised.
bool TPictureView::AnimationsCanRun() const {
    return HandleAllocated() && IsWindowVisible(handle_) && !IsIconic(GetAncestor(handle_, GA_ROOT));
}

void TPictureView::StopAnimations() { running_.clear(); }

// Runs the animations of the decoded pictures in sight: a picture that has
// just come into sight starts counting its frame's delay from now (hidden,
// it stood still); one whose frame is due shows the next. A late timer does
// not make frames flash by: the next delay counts from now.
void TPictureView::UpdateAnimations() {
    if (!AnimationsCanRun()) {
        StopAnimations();
        return;
    }
    const DWORD now = GetTickCount();
    const RECT client = ClientRect();
    const flow::Range range = VisibleRange();
    std::vector<int> running;
    for (int i = range.first; i < range.last; ++i) {
        Picture& p = pictures_[static_cast<size_t>(i)];
        if (p.state != State::Measured || !p.playback.Animated() || p.playback.Finished() || !IsDecoded(i)) continue;
        if (!Intersects(PictureRect(i), client)) continue;
        if (!std::binary_search(running_.begin(), running_.end(), i)) {
            p.due = now + static_cast<DWORD>(p.playback.Delay());
        } else if (static_cast<LONG>(now - p.due) >= 0) {
            const bool late = static_cast<LONG>(now - p.due) > p.playback.Delay();
            p.playback.Advance();
            p.due = (late ? now : p.due) + static_cast<DWORD>(p.playback.Delay());
            InvalidatePicture(i);
        }
        if (!p.playback.Finished()) running.push_back(i);
    }
    running_ = std::move(running);
}

bool TPictureView::DoWork(DWORD budgetMs, bool visibleOnly) {
    if (!started_ || !HandleAllocated()) return false;
    const DWORD start = GetTickCount();
    bool more;
    do {
        more = Step(visibleOnly);
    } while (more && GetTickCount() - start < budgetMs);
    UpdateScrollBar();
    return more || Busy();
}

// One piece of work, most urgent first: place the pictures the visible area
// needs, draw what is visible, then (unless only the visible area is asked
// for) size the rest of the page.
bool TPictureView::Step(bool visibleOnly) {
    if (measured_ < Count() && !VisibleRowsSettled()) {
        MeasureNext();
        return true;
    }
    if (DecodeVisible()) return true;
    if (!visibleOnly && measured_ < Count()) {
        MeasureNext();
        return true;
    }
    return false;
}

// Every row that reaches into the visible area is complete: a row that
// starts below it exists.
bool TPictureView::VisibleRowsSettled() const {
    return layout_.Count() > 0 && layout_.OpenRowTop() >= scrollPos_ + ClientHeight();
}

void TPictureView::MeasureNext() {
    const int index = measured_;
    Picture& p = pictures_[static_cast<size_t>(index)];
    PictureFile file;
    if (decoder_.Open(p.path, file)) {
        p.width = file.Width();
        p.height = file.Height();
        p.state = State::Measured;
    } else {
        p.width = p.height = kPlaceholderSize;
        p.state = State::Broken;
    }
    ++measured_;
    const bool barShown = (GetWindowLongA(handle_, GWL_STYLE) & WS_VSCROLL) != 0;
    layout_.Add(flow::Size{p.width, p.height});
    if (!barShown && layout_.Height() > ClientHeight()) {
        Relayout();  // the scroll bar takes its width from the page
    } else {
        // The row may have moved its baseline: redraw it where it is visible.
        const flow::Row& row = layout_.Rows().back();
        RECT r{0, row.top - scrollPos_, ClientWidth(), row.bottom - scrollPos_};
        RECT client = ClientRect();
        if (Intersects(r, client)) InvalidateRect(handle_, &r, FALSE);
    }
    // A picture that lands in view is decoded while its file is open.
    if (file.IsOpen() && IsWindowVisible(handle_) && Intersects(PictureRect(index), ClientRect()))
        Decode(index, file);
}

bool TPictureView::DecodeVisible() {
    if (!IsWindowVisible(handle_)) return false;
    const flow::Range range = VisibleRange();
    for (int i = range.first; i < range.last; ++i) {
        if (Info(i).state != State::Measured || IsDecoded(i)) continue;
        PictureFile file;
        if (decoder_.Open(Info(i).path, file) && file.Width() == Info(i).width && file.Height() == Info(i).height) {
            Decode(i, file);
        } else {
            // Gone or changed since it was measured: its box stays, broken.
            Broke(i);
        }
        return true;
    }
    return false;
}

void TPictureView::Decode(int index, PictureFile& file) {
    PixelBuffer pixels;
    bool stored = false;
    if (file.Decode(pixels)) {
        try {
            // Decoded again after its pixels were given back, it goes on where it was.
            gif::Playback& playback = pictures_[static_cast<size_t>(index)].playback;
            if (pixels.Animated() && playback.FrameCount() != pixels.frames)
                playback = gif::Playback(pixels.delaysMs, pixels.plays);
            PixelCache::Shared().Store(this, index, std::move(pixels));
            stored = true;
        } catch (...) {  // out of memory: shown like any picture that cannot be read
        }
    }
    if (stored) InvalidatePicture(index);
    else Broke(index);  // keeps its measured box
}

// A measured picture whose pixels cannot be read after all. The keyboard
// passes over broken pictures: a focus on it moves to a neighbour.
void TPictureView::Broke(int index) {
    pictures_[static_cast<size_t>(index)].state = State::Broken;
    InvalidatePicture(index);
    if (index != focus_) return;
    auto pickable = [this](int i) { return Pickable(i); };
    const int next = flow::NextFocus(layout_, index, flow::Move::Right, 0, pickable);
    const int back = flow::NextFocus(layout_, index, flow::Move::Left, 0, pickable);
    focus_ = Pickable(next) ? next : Pickable(back) ? back : -1;
    InvalidatePicture(focus_);
    NotifyAccessibleFocus();
}

void TPictureView::RelayToToolTip(UINT msg, WPARAM wp, LPARAM lp) {
    if (!toolTip_) return;
    MSG m{handle_, msg, wp, lp, static_cast<DWORD>(GetMessageTime()), {}};
    SendMessageA(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&m));
}

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
        for (int i = 0; i < measured_; ++i) layout_.Add(flow::Size{Info(i).width, Info(i).height});
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
    InflateRect(&r, kFocusOutset, kFocusOutset);  // and its hover and focus frames
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
    const int page = std::max(ClientHeight() - kLineStep, kLineStep);
    switch (code) {
    case SB_LINEUP: ScrollBy(-kLineStep); break;
    case SB_LINEDOWN: ScrollBy(kLineStep); break;
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
    if (lines == WHEEL_PAGESCROLL) {
        wheelRest_ += delta;
        const int pages = wheelRest_ / WHEEL_DELTA;
        wheelRest_ -= pages * WHEEL_DELTA;
        ScrollBy(-pages * std::max(ClientHeight() - kLineStep, kLineStep));
        return;
    }
    // Small steps of a precise wheel add up until they make whole lines.
    wheelRest_ += delta;
    const int perLine = std::max(WHEEL_DELTA / static_cast<int>(lines), 1);
    const int count = wheelRest_ / perLine;
    wheelRest_ -= count * perLine;
    ScrollBy(-count * kLineStep);
}

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

// ============================================================== painting

void TPictureView::PaintWindow(HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) return;
    const int width = clip.right - clip.left, height = clip.bottom - clip.top;
    // One back buffer for this paint only: nothing flickers, and no GDI
    // object outlives the paint.
    HDC target = dc;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    HGDIOBJ oldBitmap = nullptr;
    if (buffer) {
        oldBitmap = SelectObject(memory, buffer);
        SetViewportOrgEx(memory, -clip.left, -clip.top, nullptr);
        target = memory;
    }
    SetDCBrushColor(target, kBackground);
    FillRect(target, &clip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    const flow::Range range = layout_.RowsBetween(clip.top + scrollPos_, clip.bottom + scrollPos_);
    for (int i = range.first; i < range.last; ++i) {
        RECT box = ToClient(layout_.Box(i));
        if (Intersects(box, clip)) DrawPicture(target, i, box);
    }
    if (Pickable(hot_) && hot_ < layout_.Count()) {
        RECT frame = PictureRect(hot_);
        InflateRect(&frame, 1, 1);
        SetDCBrushColor(target, GetSysColor(COLOR_HIGHLIGHT));
        FrameRect(target, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    DrawFocusFrame(target);

    if (buffer) {
        BitBlt(dc, clip.left, clip.top, width, height, memory, clip.left, clip.top, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(buffer);
    }
    if (memory) DeleteDC(memory);
}

void TPictureView::DrawPicture(HDC dc, int index, const RECT& box) {
    if (Info(index).state == State::Broken) {
        DrawPlaceholder(dc, box);
        return;
    }
    const PixelBuffer* pixels = PixelCache::Shared().Use(this, index);
    if (!pixels) return;  // still on its way: white until decoded
    const int frame = std::clamp(FrameOf(index), 0, pixels->frames - 1);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels->width;
    info.bmiHeader.biHeight = -pixels->height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, box.left, box.top, pixels->width, pixels->height, 0, 0, pixels->width, pixels->height,
                  pixels->Frame(frame), &info, DIB_RGB_COLORS, SRCCOPY);
}

// The platform's dotted focus rectangle around the focused picture, while
// the view has the focus.
void TPictureView::DrawFocusFrame(HDC dc) {
    if (!Focused() || !Pickable(focus_) || focus_ >= layout_.Count()) return;
    RECT frame = PictureRect(focus_);
    InflateRect(&frame, kFocusOutset, kFocusOutset);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, kBackground);
    DrawFocusRect(dc, &frame);
}

// A grey frame with a red cross near its top-left corner: drawn into the
// picture's box (24 x 24 for a file that could not be read at all).
void TPictureView::DrawPlaceholder(HDC dc, const RECT& box) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    SetDCBrushColor(dc, kPlaceholderFrame);
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kPlaceholderCross);
    const int x = box.left + 7, y = box.top + 7;
    constexpr int kCross = 10;
    for (int d = 0; d < 2; ++d) {  // two pixels thick
        MoveToEx(dc, x + d, y, nullptr);
        LineTo(dc, x + d + kCross, y + kCross);
        MoveToEx(dc, x + d + kCross - 1, y, nullptr);
        LineTo(dc, x + d - 1, y + kCross);
    }
    RestoreDC(dc, saved);
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
    const int margin = kFocusOutset + 2;
    const flow::Rect& box = layout_.Box(index);
    if (box.top - margin < scrollPos_) SetScrollPos(box.top - margin);
    else if (box.bottom + margin > scrollPos_ + ClientHeight()) SetScrollPos(box.bottom + margin - ClientHeight());
}

void TPictureView::FocusChanged(bool gained) {
    InvalidatePicture(focus_);
    if (!gained) return;
    if (!Pickable(focus_) && started_) MoveFocus(flow::Move::Home);  // the first picture, when none had it
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
