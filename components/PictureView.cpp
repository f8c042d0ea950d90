#include "PictureView.h"

#include <commctrl.h>
#include <oleacc.h>

#include "DecodeWorker.h"
#include "PictureViewAccessible.h"
#include "PictureViewInternal.h"

using namespace picture_view;

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
    if (decodeClient_) DecodeWorker::Shared().Cancel(decodeClient_);
    PixelCache::Shared().Forget(this);
}

void TPictureView::RestartDecodes() {
    if (decodeClient_) DecodeWorker::Shared().Cancel(decodeClient_);
    decodeClient_ = DecodeWorker::NewClient();
    for (Picture& p : pictures_) p.decoding = false;
    decodesOut_ = 0;
    early_.clear();
    readNext_ = measured_;
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
    RestartDecodes();
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
        ReadBeforeFirstPaint();
    } else {
        layout_.Reset(FullClientWidth());
    }
}

// A view made on screen has its first pictures read from now on, not from
// its first paint, which comes once the rest of its tab is done.
void TPictureView::ReadBeforeFirstPaint() {
    if (!started_ && HandleAllocated() && IsWindowVisible(handle_) && measured_ < Count() && !Reading()) RequestReads();
}

void TPictureView::UpdateFiles(const std::vector<std::string>& paths) {
    const int oldScroll = scrollPos_;
    const std::string focused = focus_ >= 0 && focus_ < Count() ? Info(focus_).path : std::string();
    SetFiles(paths);
    if (!HandleAllocated() || !started_) return;
    int newFocus = -1;
    for (int i = 0; i < Count() && !focused.empty(); ++i)
        if (Info(i).path == focused) newFocus = i;
    // The page is laid out down to where it was scrolled (and to the
    // focused picture), so the same part of it shows.
    while (measured_ < Count() && (layout_.Count() == 0 || layout_.OpenRowTop() <= oldScroll + ClientHeight()))
        MeasureNext();
    if (newFocus >= 0) EnsureMeasured(newFocus + 1);
    UpdateScrollBar();
    SetScrollPos(oldScroll);
    if (Pickable(newFocus)) {
        focus_ = newFocus;
        InvalidatePicture(focus_);
        NotifyAccessibleFocus();
    }
    ScheduleTimer();
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
    RestartDecodes();  // the old window was told of the decodes asked for then
    Relayout();
    ReadBeforeFirstPaint();
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
        // With reads out, the first picture gets the focus when they are back.
        if (focus_ < 0 && Focused() && !Reading()) MoveFocus(flow::Move::Home);
        UpdateAnimations();
        ScheduleTimer();
        break;
    case WM_TIMER:
        if (wp != kTimer) break;
        KillTimer(handle_, kTimer);
        timerOn_ = false;
        if (started_ && WorkLeft()) DoWork(kSliceBudgetMs, false);
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
    case kDecodedMessage:
        TakeDecoded();
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
        RestartDecodes();  // nobody is left to take them
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
