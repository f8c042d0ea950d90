// TWinControl's window procedure: reflected notifications, painting, and
// mouse input routed to windowless children.
#include "Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include "LayoutReader.h"

static TWinControl* ChildObject(HWND child) { return child ? TWinControl::FromHandle(child) : nullptr; }

LRESULT TWinControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_COMMAND:
        if (TWinControl* child = ChildObject(reinterpret_cast<HWND>(lp)))
            return child->Perform(CN_COMMAND, wp, lp);
        break;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<NMHDR*>(lp);
        if (TWinControl* child = ChildObject(hdr->hwndFrom)) return child->Perform(CN_NOTIFY, wp, lp);
        break;
    }
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (dis->CtlType != ODT_MENU)
            if (TWinControl* child = ChildObject(dis->hwndItem)) return child->Perform(CN_DRAWITEM, wp, lp);
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (TWinControl* child = ChildObject(reinterpret_cast<HWND>(lp)))
            return child->Perform(CN_BASE + msg, wp, lp);
        break;
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, ColorToRGB(Font().Color()));
        SetBkColor(dc, ColorToRGB(Color()));
        return reinterpret_cast<LRESULT>(ColorBrush());
    }
    case WM_ERASEBKGND:
        if (!subclassed_) {
            RECT r;
            GetClientRect(handle_, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, ColorBrush());
            return 1;
        }
        break;
    case WM_PAINT:
        if (!subclassed_) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(handle_, &ps);
            PaintWindow(dc);
            PaintControls(dc);
            EndPaint(handle_, &ps);
            return 0;
        }
        break;
    case WM_SIZE:
    case WM_MOVE: {
        RECT r;
        GetWindowRect(handle_, &r);
        HWND parentWnd = GetParent(handle_);
        if ((GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD) && parentWnd)
            MapWindowPoints(nullptr, parentWnd, reinterpret_cast<POINT*>(&r), 2);
        if (!IsIconic(handle_)) {
            // Keep our bounds in step with what the window manager did.
            TControl::left_ = r.left;
            TControl::top_ = r.top;
            TControl::width_ = r.right - r.left;
            TControl::height_ = r.bottom - r.top;
        }
        if (msg == WM_SIZE) AlignControls();
        break;
    }
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wp) == handle_ && SetCursorFor(lp)) return TRUE;
        break;
    case WM_CAPTURECHANGED:
        // Someone else took the capture (a move loop, a message box): the
        // pressed windowless child will not see its release.
        if (reinterpret_cast<HWND>(lp) != handle_) captureControl_ = clickControl_ = nullptr;
        break;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_MBUTTONDBLCLK:
    case WM_MOUSEMOVE: case WM_MOUSELEAVE:
        return HandleMouse(msg, wp, lp);
    case WM_SETFOCUS:
        OnEnter(this);
        break;
    case WM_KILLFOCUS:
        OnExit(this);
        break;
    case WM_KEYDOWN: {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(this, key, KeyboardShiftState());
        if (key == 0) return 0;
        break;
    }
    default:
        break;
    }
    return DefaultHandler(msg, wp, lp);
}

namespace {
TMouseButton ButtonOf(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_LBUTTONDBLCLK: return mbLeft;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_RBUTTONDBLCLK: return mbRight;
    default: return mbMiddle;
    }
}
}  // namespace

LRESULT TWinControl::HandleMouse(UINT msg, WPARAM wp, LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    TShiftState shift = KeysToShiftState(wp);
    if (msg == WM_MOUSELEAVE) {
        trackingLeave_ = false;
        TrackMouseControl(POINT{-100000, -100000});
        MouseLeave();
        return DefaultHandler(msg, wp, lp);
    }
    if (msg == WM_MOUSEMOVE) {
        if (!trackingLeave_) {
            TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, handle_, 0};
            trackingLeave_ = TrackMouseEvent(&tme) != FALSE;
            MouseEnter();
        }
        TrackMouseControl(p);
    }
    // Windowless children under the pointer get the mouse first; the one
    // pressed on keeps it, through the capture, until the release.
    TControl* target = captureControl_ ? captureControl_ : ControlAtPos(p);
    TControl* receiver = target ? target : this;
    int x = p.x - (target ? target->Left() : 0);
    int y = p.y - (target ? target->Top() : 0);
    LRESULT result = target ? 0 : DefaultHandler(msg, wp, lp);
    const bool inside = target && x >= 0 && y >= 0 && x < target->Width() && y < target->Height();
    switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
        const bool twice = msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
        if (target) {
            captureControl_ = target;
            SetCapture(handle_);
            // Only a single left press can become a click; a double-click's
            // second press cannot.
            if (msg == WM_LBUTTONDOWN) clickControl_ = target;
        }
        receiver->MouseDown(ButtonOf(msg), twice ? shift | ssDouble : shift, x, y);
        if (msg == WM_LBUTTONDBLCLK) receiver->DblClick();
        break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const bool click = target && msg == WM_LBUTTONUP && clickControl_ == target && inside && target->Enabled();
        if (msg == WM_LBUTTONUP) clickControl_ = nullptr;
        if (target) EndCapture();
        // A windowless control is clicked by a left press and release over
        // it; the click comes before the release is handled.
        if (click) {
            try {
                target->Click();
            } catch (...) {
                receiver->MouseUp(ButtonOf(msg), shift, x, y);
                throw;
            }
        }
        receiver->MouseUp(ButtonOf(msg), shift, x, y);
        if (target) TrackMouseControl(p);
        break;
    }
    case WM_MOUSEMOVE:
        receiver->MouseMove(shift, x, y);
        break;
    default:
        break;
    }
    return result;
}

void TWinControl::EndCapture() {
    captureControl_ = nullptr;
    if (GetCapture() == handle_) ReleaseCapture();
}

void TWinControl::TrackMouseControl(POINT p) {
    TControl* now = ControlAtPos(p);
    if (captureControl_ && now != captureControl_) {
        RECT r = captureControl_->BoundsRect();
        now = PtInRect(&r, p) ? captureControl_ : nullptr;
    }
    if (now == mouseControl_) return;
    TControl* before = mouseControl_;
    mouseControl_ = now;
    if (before) before->MouseLeave();
    if (now) now->MouseEnter();
}

bool TWinControl::SetCursorFor(LPARAM hitTest) {
    if (LOWORD(hitTest) != HTCLIENT) return false;
    POINT p{};
    GetCursorPos(&p);
    ::ScreenToClient(handle_, &p);
    TControl* over = captureControl_ ? captureControl_ : ControlAtPos(p);
    TCursor cursor = over && over->Cursor() != crDefault ? over->Cursor() : Cursor();
    if (cursor == crDefault) return false;
    ::SetCursor(CursorHandle(cursor));
    return true;
}

TControl* TWinControl::ControlAtPos(POINT p) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) || !c->Visible()) continue;
        RECT r = c->BoundsRect();
        if (PtInRect(&r, p)) return c;
    }
    return nullptr;
}
