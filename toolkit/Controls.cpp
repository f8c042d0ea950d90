#include "Controls.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <set>

#include "Dpi.h"
#include "LayoutReader.h"

TShiftState KeysToShiftState(WPARAM keys) {
    TShiftState s = 0;
    if (keys & MK_SHIFT) s |= ssShift;
    if (keys & MK_CONTROL) s |= ssCtrl;
    if (keys & MK_LBUTTON) s |= ssLeft;
    if (keys & MK_RBUTTON) s |= ssRight;
    if (keys & MK_MBUTTON) s |= ssMiddle;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

TShiftState KeyboardShiftState() {
    TShiftState s = 0;
    if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
    return s;
}

HCURSOR CursorHandle(TCursor cursor) {
    LPCSTR id = nullptr;
    switch (cursor) {
    case crArrow: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crHandPoint: id = IDC_HAND; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    default: return nullptr;
    }
    return LoadCursorA(nullptr, id);
}

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = TNotifyEvent::Bind<TControl, &TControl::FontOnChange>(this);
}

TControl::~TControl() {
    font_.OnChange.Clear();
    if (parent_) parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent_) parent_->RemoveControl(this);
    if (parent) parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    RECT old = BoundsRect();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    BoundsChanged();
    if (parent_ && parent_->HandleAllocated() && !dynamic_cast<TWinControl*>(this)) {
        InvalidateRect(parent_->handle_, &old, TRUE);
        Invalidate();
    }
    if (align_ != alNone && parent_) parent_->AlignControls();
}

void TControl::SetAlign(TAlign align) {
    if (align == align_) return;
    align_ = align;
    if (parent_) parent_->AlignControls();
}

void TControl::SetClientSize(int width, int height) { SetBounds(left_, top_, width, height); }

POINT TControl::ClientToScreen(POINT p) const {
    if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->HandleAllocated()) {
        ::ClientToScreen(self->handle_, &p);
        return p;
    }
    if (parent_) return parent_->ClientToScreen(POINT{p.x + left_, p.y + top_});
    return p;
}

POINT TControl::ScreenToClient(POINT p) const {
    POINT origin = ClientToScreen(POINT{0, 0});
    return POINT{p.x - origin.x, p.y - origin.y};
}

void TControl::SetVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    VisibleChanged();
    if (parent_ && parent_->HandleAllocated() && !dynamic_cast<TWinControl*>(this)) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, TRUE);
    }
    if (align_ != alNone && parent_) parent_->AlignControls();
}

void TControl::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    EnabledChanged();
    Invalidate();
}

void TControl::SetCaption(const std::string& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    TextChanged();
    Invalidate();
}

void TControl::FontOnChange(TObject*) {
    if (!followingParent_) parentFont_ = false;
    FontChanged();
    Invalidate();
}

void TControl::SetParentFont(bool value) {
    parentFont_ = value;
    if (value) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    followingParent_ = true;
    font_.Assign(parent_->Font());
    followingParent_ = false;
}

void TControl::SetColor(TColor color) {
    parentColor_ = false;
    if (color == color_) return;
    color_ = color;
    ColorChanged();
    Invalidate();
}

void TControl::SetParentColor(bool value) {
    parentColor_ = value;
    if (value) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    color_ = parent_->Color();
    ColorChanged();
    Invalidate();
}

void TControl::Invalidate() {
    if (parent_ && parent_->HandleAllocated() && visible_) {
        RECT r = BoundsRect();
        InvalidateRect(parent_->handle_, &r, TRUE);
    }
}

void TControl::Repaint() {
    Invalidate();
    Update();
}

void TControl::Update() {
    if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated())
        UpdateWindow(w->handle_);
    else if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->handle_);
}

void TControl::Click() { OnClick(this); }

void TControl::BringToFront() {
    if (!parent_) return;
    auto& list = parent_->controls_;
    list.erase(std::find(list.begin(), list.end(), this));
    list.push_back(this);
    Invalidate();
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseUp(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

// ------------------------------------------------------------- TWinControl

namespace {
constexpr UINT_PTR kSubclassId = 0x70564952;  // arbitrary, ours

// comctl32 exports GetWindowSubclass by ordinal only in some versions, and the
// 64-bit import library has no entry for it: looked up once, by ordinal.
BOOL WindowSubclassData(HWND wnd, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR* ref) {
    using Getter = BOOL(WINAPI*)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR*);
    static const Getter get = [] {
        HMODULE comctl = GetModuleHandleA("comctl32.dll");
        return comctl ? reinterpret_cast<Getter>(reinterpret_cast<void*>(GetProcAddress(comctl, MAKEINTRESOURCEA(411))))
                      : nullptr;
    }();
    return get && get(wnd, proc, id, ref);
}
std::set<std::string>& RegisteredClasses() {
    static std::set<std::string> names;
    return names;
}
}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    MarkDestroying();
    // Owned components first, while our window still exists; then our window.
    DestroyComponents();
    for (TControl* c : std::vector<TControl*>(controls_)) c->parent_ = nullptr;
    controls_.clear();
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND wnd) {
    if (!wnd) return nullptr;
    DWORD_PTR ref = 0;
    if (WindowSubclassData(wnd, SubclassProc, kSubclassId, &ref)) return reinterpret_cast<TWinControl*>(ref);
    char cls[64];
    if (GetClassNameA(wnd, cls, sizeof cls) && strncmp(cls, "Tovira.", 7) == 0)
        return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    return nullptr;
}

TWinControl* TWinControl::FindControl(HWND wnd) {
    for (; wnd; wnd = GetParent(wnd))
        if (TWinControl* c = FromHandle(wnd)) return c;
    return nullptr;
}

HWND TWinControl::Handle() {
    if (!handle_ && !creating_) {
        if (Parent()) Parent()->HandleNeeded();
        if (!handle_) CreateWnd();
    }
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params) {
    params.caption = caption_;
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = Height();
    params.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (Visible()) params.style |= WS_VISIBLE;
    if (!Enabled()) params.style |= WS_DISABLED;
    if (TabStop) params.style |= WS_TABSTOP;
    if (Parent()) params.parent = Parent()->Handle();
    else params.parent = parentWindow_;
}

void TWinControl::SetParentWindow(HWND parent) {
    if (parent == parentWindow_) return;
    parentWindow_ = parent;
    if (handle_ && !Parent() && parent) ::SetParent(handle_, parent);
}

void TWinControl::RegisterOwnClass(const TCreateParams& params, const std::string& className) {
    if (RegisteredClasses().count(className)) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = params.classStyle;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = params.background;
    wc.hIcon = ProgramIcon(false);
    wc.hIconSm = ProgramIcon(true);
    wc.lpszClassName = className.c_str();
    if (!RegisterClassExA(&wc)) RaiseLastOSError();
    RegisteredClasses().insert(className);
}

void TWinControl::CreateWnd() {
    TCreateParams params;
    CreateParams(params);
    if ((params.style & WS_CHILD) && !params.parent) return;  // no parent window yet
    creating_ = true;
    HWND wnd;
    if (params.systemClass.empty()) {
        std::string className = std::string("Tovira.") + ClassName();
        RegisterOwnClass(params, className);
        wnd = CreateWindowExA(params.exStyle, className.c_str(), params.caption.c_str(), params.style,
                              params.x, params.y, params.width, params.height, params.parent,
                              params.menuOrId, GetModuleHandleA(nullptr), this);
    } else {
        wnd = CreateWindowExA(params.exStyle, params.systemClass.c_str(), params.caption.c_str(),
                              params.style, params.x, params.y, params.width, params.height,
                              params.parent, params.menuOrId, GetModuleHandleA(nullptr), nullptr);
        if (wnd) {
            handle_ = wnd;
            SetWindowSubclass(wnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
            subclassed_ = true;
        }
    }
    creating_ = false;
    if (!wnd) RaiseLastOSError();
    handle_ = wnd;
    // Later siblings lie above earlier ones.
    if (params.style & WS_CHILD)
        SetWindowPos(wnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageA(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    CreateChildren();
    HandleCreated();
}

void TWinControl::CreateChildren() {
    for (TControl* c : std::vector<TControl*>(controls_))
        if (auto* w = dynamic_cast<TWinControl*>(c); w && (w->Visible() || w->MakesWindowWhileHidden()))
            w->HandleNeeded();
}

void TWinControl::AdoptHandle(HWND wnd) {
    handle_ = wnd;
    SetWindowSubclass(wnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    subclassed_ = true;
}

void TWinControl::DestroyWnd(HWND wnd) { DestroyWindow(wnd); }

void TWinControl::Unbind() {
    if (!handle_) return;
    if (subclassed_) {
        RemoveWindowSubclass(handle_, SubclassProc, kSubclassId);
        subclassed_ = false;
    } else {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    }
}

void TWinControl::DestroyHandle() {
    if (!handle_) return;
    for (TControl* c : controls_)
        if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
    HWND wnd = handle_;
    Unbind();
    handle_ = nullptr;
    DestroyWnd(wnd);
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self && msg == WM_NCCREATE) {
        self = static_cast<TWinControl*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->handle_ = wnd;
    }
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT CALLBACK TWinControl::SubclassProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TWinControl*>(ref);
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(wnd, SubclassProc, kSubclassId);
        self->subclassed_ = false;
        self->handle_ = nullptr;
        return DefSubclassProc(wnd, msg, wp, lp);
    }
    return self->Dispatch(msg, wp, lp);
}

LRESULT TWinControl::Dispatch(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        return WndProc(msg, wp, lp);
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wp, LPARAM lp) {
    if (!handle_) return 0;
    if (subclassed_) return DefSubclassProc(handle_, msg, wp, lp);
    return DefWindowProcA(handle_, msg, wp, lp);
}

HBRUSH TWinControl::ColorBrush() {
    if (!colorBrush_ || colorBrushColor_ != Color()) {
        colorBrush_.Reset(CreateSolidBrush(ColorToRGB(Color())));
        colorBrushColor_ = Color();
    }
    return colorBrush_.Get();
}


void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC dc) {
    for (TControl* c : controls_) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        RECT r = g->BoundsRect();
        if (!RectVisible(dc, &r)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        SetViewportOrgEx(dc, r.left, r.top, nullptr);
        g->PaintTo(dc);
        RestoreDC(dc, saved);
    }
}

void TWinControl::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, TRUE);
}

void TWinControl::Repaint() {
    if (!handle_) return;
    RedrawWindow(handle_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void TWinControl::BringToFront() {
    TControl::BringToFront();
    if (handle_) SetWindowPos(handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::Loaded() {
    TControl::Loaded();
    AlignControls();
}

void TWinControl::AlignControls() {
    if (aligning_ || Loading()) return;
    aligning_ = true;
    RECT room{0, 0, ClientWidth(), ClientHeight()};
    auto place = [&](TAlign which) {
        for (TControl* c : std::vector<TControl*>(controls_)) {
            if (c->Align() != which || !c->Visible()) continue;
            const int w = c->Width(), h = c->Height();
            switch (which) {
            case alTop: c->SetBounds(room.left, room.top, room.right - room.left, h); room.top += h; break;
            case alBottom: c->SetBounds(room.left, room.bottom - h, room.right - room.left, h); room.bottom -= h; break;
            case alLeft: c->SetBounds(room.left, room.top, w, room.bottom - room.top); room.left += w; break;
            case alRight: c->SetBounds(room.right - w, room.top, w, room.bottom - room.top); room.right -= w; break;
            case alClient:
                c->SetBounds(room.left, room.top, room.right - room.left, room.bottom - room.top);
                break;
            default: break;
            }
        }
    };
    try {
        for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) place(a);
    } catch (...) {
        aligning_ = false;
        throw;
    }
    aligning_ = false;
}

void TWinControl::BoundsChanged() {
    if (handle_)
        SetWindowPos(handle_, nullptr, Left(), Top(), Width(), Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

int TWinControl::ClientWidth() const {
    if (!handle_) return Width();
    RECT r;
    GetClientRect(handle_, &r);
    return r.right;
}

int TWinControl::ClientHeight() const {
    if (!handle_) return Height();
    RECT r;
    GetClientRect(handle_, &r);
    return r.bottom;
}

void TWinControl::SetClientSize(int width, int height) {
    if (!handle_) {
        TControl::SetClientSize(width, height);
        return;
    }
    RECT r{0, 0, width, height};
    AdjustWindowRectEx(&r, GetWindowLongA(handle_, GWL_STYLE), GetMenu(handle_) != nullptr,
                       GetWindowLongA(handle_, GWL_EXSTYLE));
    SetBounds(Left(), Top(), r.right - r.left, r.bottom - r.top);
}

void TWinControl::VisibleChanged() {
    if (handle_) ShowWindow(handle_, Visible() ? SW_SHOWNA : SW_HIDE);
    else if (Visible() && Parent() && Parent()->HandleAllocated()) HandleNeeded();
}

void TWinControl::EnabledChanged() {
    if (handle_) EnableWindow(handle_, Enabled());
}

void TWinControl::TextChanged() {
    if (handle_) SetWindowTextA(handle_, Caption().c_str());
}

void TWinControl::FontChanged() {
    if (handle_) SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ColorChanged() {
    for (TControl* c : controls_) c->ParentColorChanged();
}

void TWinControl::InsertControl(TControl* control) {
    controls_.push_back(control);
    control->parent_ = this;
    // A control made in code is designed at 96 dpi like a layout's: laid
    // out for the parent's resolution as it joins.
    if (control->dpi_ != dpi_ && !Loading()) control->ChangeScale(dpi_, control->dpi_);
    control->ParentFontChanged();
    control->ParentColorChanged();
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (handle_ && !Loading() && (w->Visible() || w->MakesWindowWhileHidden())) w->HandleNeeded();
    } else {
        control->Invalidate();
    }
}

void TWinControl::RemoveControl(TControl* control) {
    if (mouseControl_ == control) mouseControl_ = nullptr;
    if (clickControl_ == control) clickControl_ = nullptr;
    if (captureControl_ == control) EndCapture();
    auto it = std::find(controls_.begin(), controls_.end(), control);
    if (it == controls_.end()) return;
    if (auto* w = dynamic_cast<TWinControl*>(control)) w->DestroyHandle();
    else control->Invalidate();
    controls_.erase(it);
    control->parent_ = nullptr;
}

void TWinControl::SetTabOrder(int order) { tabOrder_ = order; }

bool TWinControl::CanFocus() const {
    for (const TWinControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
    if (HWND wnd = Handle()) ::SetFocus(wnd);
}

LRESULT TWinControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
    HWND wnd = Handle();
    return wnd ? SendMessageA(wnd, msg, wp, lp) : 0;
}

bool TWinControl::PreProcessMessage(MSG&) { return false; }

// --------------------------------------------------------- TGraphicControl

void TGraphicControl::PaintTo(HDC dc) {
    TCanvas canvas(dc);
    canvas.Font.Assign(Font());
    canvas.Brush.Color = Color();
    Paint(canvas);
}

void TGraphicControl::PaintNow() {
    TWinControl* parent = Parent();
    if (!parent || !parent->HandleAllocated() || !Visible() || Loading()) return;
    WindowDC dc(parent->Handle());
    RECT r = BoundsRect();
    IntersectClipRect(dc.Get(), r.left, r.top, r.right, r.bottom);
    SetViewportOrgEx(dc.Get(), r.left, r.top, nullptr);
    PaintTo(dc.Get());
}

// ---------------------------------------------------------- TCustomControl

void TCustomControl::PaintWindow(HDC dc) {
    canvas_.SetHandle(dc);
    canvas_.Font.Assign(Font());
    canvas_.Brush.Color = Color();
    canvas_.Brush.Clear = false;
    try {
        Paint(canvas_);
    } catch (...) {
        canvas_.SetHandle(nullptr);
        throw;
    }
    canvas_.SetHandle(nullptr);
}

void TCustomControl::Paint(TCanvas&) {}
