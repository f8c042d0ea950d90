#include "ExtCtrls.h"

#include <algorithm>

#include "DpiScale.h"
#include "Exceptions.h"
#include "ScaledBitmap.h"

namespace {
TBevelCut ReadBevel(const layout::Value& v, TLayoutReader& r) {
    return static_cast<TBevelCut>(r.Enum(v, {"bvNone", "bvLowered", "bvRaised", "bvSpace"}));
}

// `width` nested frames: top and left edges in `topLeft`, bottom and right in
// `bottomRight`; `r` shrinks past them.
void Frame3D(HDC dc, RECT& r, COLORREF topLeft, COLORREF bottomRight, int width) {
    GdiObject<HBRUSH> light(CreateSolidBrush(topLeft));
    GdiObject<HBRUSH> dark(CreateSolidBrush(bottomRight));
    for (int i = 0; i < width && r.right > r.left && r.bottom > r.top; ++i) {
        RECT top{r.left, r.top, r.right - 1, r.top + 1};
        RECT left{r.left, r.top, r.left + 1, r.bottom - 1};
        RECT bottom{r.left, r.bottom - 1, r.right, r.bottom};
        RECT right{r.right - 1, r.top, r.right, r.bottom};
        FillRect(dc, &top, light.Get());
        FillRect(dc, &left, light.Get());
        FillRect(dc, &bottom, dark.Get());
        FillRect(dc, &right, dark.Get());
        InflateRect(&r, -1, -1);
    }
}

void Bevel(HDC dc, RECT& r, TBevelCut cut, int width, COLORREF face) {
    switch (cut) {
    case bvNone: break;
    case bvLowered: Frame3D(dc, r, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT), width); break;
    case bvRaised: Frame3D(dc, r, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW), width); break;
    case bvSpace: Frame3D(dc, r, face, face, width); break;
    }
}
}  // namespace

// ------------------------------------------------------------------ TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetBevelOuter(TBevelCut value) {
    bevelOuter_ = value;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut value) {
    bevelInner_ = value;
    Invalidate();
}

void TPanel::SetBevelWidth(int value) {
    bevelWidth_ = std::max(1, value);
    Invalidate();
}

void TPanel::SetBorderWidth(int value) {
    borderWidth_ = std::max(0, value);
    Invalidate();
}

void TPanel::SetAlignment(TAlignment value) {
    alignment_ = value;
    Invalidate();
}

void TPanel::Repaint() {
    TCustomControl::Repaint();
    // Push the drawing out of GDI's batch so it shows even if the thread blocks now.
    GdiFlush();
}

void TPanel::Paint(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    const COLORREF face = ColorToRGB(Color());
    RECT r = ClientRect();
    Bevel(dc, r, bevelOuter_, bevelWidth_, face);
    Frame3D(dc, r, face, face, borderWidth_);
    Bevel(dc, r, bevelInner_, bevelWidth_, face);
    canvas.Brush.Color = Color();
    canvas.Brush.Clear = false;
    canvas.FillRect(r);
    if (Caption().empty()) return;
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
    if (alignment_ == taCenter) flags |= DT_CENTER;
    else if (alignment_ == taRightJustify) flags |= DT_RIGHT;
    canvas.TextRect(r, Caption(), flags);
}

bool TPanel::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "BevelOuter") SetBevelOuter(ReadBevel(v, r));
    else if (name == "BevelInner") SetBevelInner(ReadBevel(v, r));
    else if (name == "BevelWidth") SetBevelWidth(r.Int(v));
    else if (name == "BorderWidth") SetBorderWidth(r.Int(v));
    else if (name == "Alignment")
        SetAlignment(static_cast<TAlignment>(r.Enum(v, {"taLeftJustify", "taRightJustify", "taCenter"})));
    else return TCustomControl::ReadProperty(name, v, r);
    return true;
}

// ------------------------------------------------------------------ TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

void TImage::PictureChanged() {
    picture_ = BitmapForDpi(designPicture_, Dpi(), dpi::kDesignDpi, transparent_);
    if (autoSize_ && !picture_.Empty()) SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
    Invalidate();
}

void TImage::SetPicture(TBitmap&& picture) {
    designPicture_ = std::move(picture);
    PictureChanged();
}

void TImage::ChangeScale(int toDpi, int fromDpi) {
    TGraphicControl::ChangeScale(toDpi, fromDpi);
    PictureChanged();
}

void TImage::LoadPicture(const std::string& resourceName) {
    TBitmap picture;
    picture.LoadFromResourceName(GetModuleHandleA(nullptr), resourceName.c_str());
    SetPicture(std::move(picture));
}

void TImage::SetStretch(bool value) {
    stretch_ = value;
    Invalidate();
}

void TImage::SetCenter(bool value) {
    center_ = value;
    Invalidate();
}

void TImage::SetTransparent(bool value) {
    transparent_ = value;
    if (Dpi() != dpi::kDesignDpi) PictureChanged();  // see-through pixels resample differently
    Invalidate();
}

void TImage::SetAutoSize(bool value) {
    autoSize_ = value;
    PictureChanged();
}

void TImage::Paint(TCanvas& canvas) {
    if (picture_.Empty()) return;
    HDC dc = canvas.Handle();
    RECT target{0, 0, picture_.Width(), picture_.Height()};
    if (stretch_) {
        target = ClientRect();
    } else if (center_) {
        OffsetRect(&target, (Width() - picture_.Width()) / 2, (Height() - picture_.Height()) / 2);
    }
    if (!transparent_) {
        if (stretch_) picture_.StretchDraw(dc, target);
        else picture_.Draw(dc, target.left, target.top);
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, picture_.Handle());
    TransparentBlt(dc, target.left, target.top, target.right - target.left, target.bottom - target.top, source, 0, 0,
                   picture_.Width(), picture_.Height(), picture_.TransparentColor());
    SelectObject(source, old);
    DeleteDC(source);
}

bool TImage::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Picture") LoadPicture(r.Str(v));
    else if (name == "Stretch") SetStretch(r.Bool(v));
    else if (name == "Center") SetCenter(r.Bool(v));
    else if (name == "Transparent") SetTransparent(r.Bool(v));
    else if (name == "AutoSize") SetAutoSize(r.Bool(v));
    else return TGraphicControl::ReadProperty(name, v, r);
    return true;
}

// ------------------------------------------------------------------ TTimer

namespace {
const char kTimerWindowClass[] = "Tovira.TTimerWindow";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

TTimer::TTimer(TComponent* owner, bool enabled) : TComponent(owner), enabled_(enabled) { UpdateTimer(); }

TTimer::~TTimer() {
    if (window_) {
        if (running_) KillTimer(window_, kTimerId);
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TTimer::SetEnabled(bool value) {
    if (value == enabled_) return;
    enabled_ = value;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    UpdateTimer();
}

void TTimer::Loaded() {
    TComponent::Loaded();
    UpdateTimer();
}

void TTimer::UpdateTimer() {
    if (running_) {
        KillTimer(window_, kTimerId);
        running_ = false;
    }
    if (!enabled_ || interval_ == 0 || Loading()) return;
    if (!window_) {
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXA wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = WindowProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kTimerWindowClass;
            if (!RegisterClassExA(&wc)) RaiseLastOSError();
            registered = true;
        }
        window_ = CreateWindowExA(0, kTimerWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        if (!window_) RaiseLastOSError();
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    if (!SetTimer(window_, kTimerId, interval_, nullptr)) RaiseLastOSError();
    running_ = true;
}

LRESULT CALLBACK TTimer::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto* self = reinterpret_cast<TTimer*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self && self->enabled_) {
            try {
                self->OnTimer(self);
            } catch (...) {
                HandleCallbackException();
            }
        }
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

bool TTimer::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Enabled") SetEnabled(r.Bool(v));
    else if (name == "Interval") {
        int ms = r.Int(v);
        if (ms < 0) throw Exception("interval must not be negative");
        SetInterval(static_cast<unsigned>(ms));
    } else if (name == "OnTimer") r.Event(v, OnTimer);
    else return false;
    return true;
}
