#include "Forms.h"

#include <commctrl.h>

#include <algorithm>

#include "Dpi.h"
#include "Menus.h"

// ------------------------------------------------------------------- TForm

TForm::TForm(TComponent* owner) : TCustomControl(owner) {
    TControl::SetVisible(false);
    TabStop = false;
}

TForm::~TForm() {
    // The window would destroy an attached menu that its object still owns.
    if (menu_ && handle_) ::SetMenu(handle_, nullptr);
    OnDestroy(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
}

void TForm::ReadLayout(const char* resourceName) {
    ReadLayoutResource(this, &Bindings, resourceName);
    // Once, before the window exists: the layout is designed at 96 dpi.
    // A window that then opens on a monitor of another resolution is
    // scaled again when it gets its window (CreateWnd) or moves there
    // (WM_DPICHANGED).
    const int systemDpi = SystemDpi();
    if (systemDpi != Dpi()) ChangeScale(systemDpi, Dpi());
}

void TForm::ChangeScale(int toDpi, int fromDpi) {
    if (!handle_) {
        clientWidth_ = dpi::Scale(clientWidth_, toDpi, fromDpi);
        clientHeight_ = dpi::Scale(clientHeight_, toDpi, fromDpi);
    }
    TCustomControl::ChangeScale(toDpi, fromDpi);
}

void TForm::DpiChanged(int newDpi, const RECT& suggested) {
    if (newDpi != Dpi()) ChangeScale(newDpi, Dpi());
    SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(ProgramIcon(true, newDpi)));
    SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(ProgramIcon(false, newDpi)));
    SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::AfterConstruction() {
    HandleNeeded();
    OnCreate(this);
}

void TForm::SetBorderStyle(TBorderStyle style) { borderStyle_ = style; }

void TForm::SetMenu(TMainMenu* menu) {
    if (menu == menu_) return;
    if (menu_) RemoveFreeNotification(menu_);
    menu_ = menu;
    if (menu) FreeNotification(menu);
    if (handle_) ::SetMenu(handle_, menu ? menu->Handle() : nullptr);
}

void TForm::Notification(TComponent* component, TOperation operation) {
    TCustomControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == menu_) {
        if (handle_) ::SetMenu(handle_, nullptr);
        menu_ = nullptr;
    }
    if (operation == TOperation::opRemove && component == activeControl_) activeControl_ = nullptr;
}

namespace {
// Resizes `wnd` so that its client area is width x height.
void FitClientSize(HWND wnd, int width, int height) {
    RECT client, window;
    GetClientRect(wnd, &client);
    if (client.right == width && client.bottom == height) return;
    GetWindowRect(wnd, &window);
    SetWindowPos(wnd, nullptr, 0, 0, window.right - window.left + width - client.right,
                 window.bottom - window.top + height - client.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The control of `form` that has the keyboard focus, or null.
TWinControl* FocusedControlOf(HWND form) {
    HWND focus = GetFocus();
    if (!form || !focus || focus == form || !IsChild(form, focus)) return nullptr;
    return TWinControl::FindControl(focus);
}
}  // namespace

TWinControl* TForm::ActiveControl() const {
    if (TWinControl* focused = FocusedControlOf(handle_)) return focused;
    return activeControl_;
}

void TForm::SetActiveControl(TWinControl* control) {
    if (activeControl_ && activeControl_ != control) RemoveFreeNotification(activeControl_);
    activeControl_ = control;
    if (!control) return;
    FreeNotification(control);
    if (handle_ && GetActiveWindow() == handle_ && control->CanFocus()) control->SetFocus();
}

void TForm::SetFormStyle(TFormStyle style) {
    formStyle_ = style;
    if (handle_)
        SetWindowPos(handle_, style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::CreateParams(TCreateParams& params) {
    TCustomControl::CreateParams(params);
    params.style = WS_CLIPCHILDREN;
    params.exStyle = 0;
    switch (borderStyle_) {
    case bsNone: params.style |= WS_POPUP; break;
    case bsSingle: params.style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_BORDER; break;
    case bsSizeable: params.style |= WS_OVERLAPPEDWINDOW; break;
    case bsDialog:
        params.style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        params.exStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    case bsToolWindow: params.style |= WS_CAPTION | WS_SYSMENU; params.exStyle |= WS_EX_TOOLWINDOW; break;
    case bsSizeToolWin: params.style |= WS_CAPTION | WS_SYSMENU | WS_THICKFRAME; params.exStyle |= WS_EX_TOOLWINDOW; break;
    }
    if (formStyle_ == fsStayOnTop) params.exStyle |= WS_EX_TOPMOST;
    // Every top-level form is owned by the application window (one taskbar button).
    params.parent = Application ? Application->Handle() : nullptr;
    params.background = nullptr;
    if (clientWidth_ > 0 || clientHeight_ > 0) {
        RECT r{0, 0, clientWidth_, clientHeight_};
        AdjustWindowRectForDpi(r, params.style, menu_ != nullptr, params.exStyle, Dpi());
        params.width = r.right - r.left;
        params.height = r.bottom - r.top;
    }
}

void TForm::CreateWnd() {
    TCustomControl::CreateWnd();
    if (!handle_) return;
    if (menu_) ::SetMenu(handle_, menu_->Handle());
    // Made on a monitor of another resolution than the system's: laid out
    // for that one, with the client size scaled alike.
    const int windowDpi = WindowDpi(handle_);
    if (windowDpi != Dpi()) {
        clientWidth_ = dpi::Scale(clientWidth_, windowDpi, Dpi());
        clientHeight_ = dpi::Scale(clientHeight_, windowDpi, Dpi());
        ChangeScale(windowDpi, Dpi());
    }
    // The frame computed in CreateParams may differ from the real one (a
    // menu bar taller at a higher resolution than the system assumed):
    // the window grows or shrinks by the difference.
    if (clientWidth_ > 0 && clientHeight_ > 0) FitClientSize(handle_, clientWidth_, clientHeight_);
    RECT r;
    GetWindowRect(handle_, &r);
    TControl::SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

int TForm::ClientWidth() const { return handle_ ? TCustomControl::ClientWidth() : clientWidth_; }
int TForm::ClientHeight() const { return handle_ ? TCustomControl::ClientHeight() : clientHeight_; }

void TForm::SetClientSize(int width, int height) {
    clientWidth_ = width;
    clientHeight_ = height;
    if (handle_) TCustomControl::SetClientSize(width, height);
}

void TForm::PlaceAtShow() {
    if (placed_) return;
    placed_ = true;
    if (Position != poScreenCenter && Position != poDesktopCenter && Position != poMainFormCenter &&
        Position != poOwnerFormCenter)
        return;
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    TForm* main = Application ? Application->MainForm() : nullptr;
    if ((Position == poMainFormCenter || Position == poOwnerFormCenter) && main && main != this && main->Visible())
        area = main->BoundsRect();
    SetBounds(area.left + (area.right - area.left - Width()) / 2, area.top + (area.bottom - area.top - Height()) / 2,
              Width(), Height());
}

void TForm::VisibleChanged() {
    if (Visible()) {
        HandleNeeded();
        PlaceAtShow();
        ShowWindow(handle_, SW_SHOW);
        SetForegroundWindow(handle_);
        OnShow(this);
    } else if (handle_) {
        ShowWindow(handle_, SW_HIDE);
    }
}

void TForm::Paint(TCanvas&) { OnPaint(this); }

void TForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TForm::Close() {
    if (modal_) {
        ModalResult = mrCancel;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone) return;
    if (Application && Application->MainForm() == this) Application->Terminate();
    else if (action == caHide) Hide();
    else if (action == caMinimize) ShowWindow(handle_, SW_MINIMIZE);
    else Release();
}

void TForm::CloseModal() {
    TCloseAction action = caHide;
    try {
        DoClose(action);
    } catch (...) {
        ModalResult = mrNone;
        throw;
    }
    if (action == caNone) ModalResult = mrNone;
}

void TForm::Release() {
    if (Application) Application->ReleaseLater(this);
}

namespace {
struct DisabledWindows {
    HWND except;
    std::vector<HWND> windows;
};
BOOL CALLBACK DisableWindow(HWND wnd, LPARAM lp) {
    auto* d = reinterpret_cast<DisabledWindows*>(lp);
    if (wnd != d->except && IsWindowVisible(wnd) && IsWindowEnabled(wnd)) {
        d->windows.push_back(wnd);
        EnableWindow(wnd, FALSE);
    }
    return TRUE;
}
}  // namespace

int TForm::ShowModal() {
    if (Visible() || modal_) throw Exception("Cannot make a visible window modal");
    HWND active = GetActiveWindow();
    DisabledWindows disabled{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), DisableWindow, reinterpret_cast<LPARAM>(&disabled));
    modal_ = true;
    ModalResult = mrNone;
    auto restore = [&] {
        modal_ = false;
        for (HWND w : disabled.windows) EnableWindow(w, TRUE);
        Hide();
        if (active && IsWindow(active)) SetActiveWindow(active);
    };
    try {
        Show();
        // As the dialog manager does: the first control in tab order starts with the focus.
        if (!FocusedControlOf(handle_)) SelectNext(true);
        while (true) {
            Application->HandleMessage();
            if (Application->Terminated()) ModalResult = mrCancel;
            if (ModalResult != mrNone) {
                CloseModal();
                if (ModalResult != mrNone) break;
            }
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
    return ModalResult;
}

bool TForm::IsShortCut(TShortCut shortCut) {
    std::vector<TShortCutHandler*> handlers;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* h = dynamic_cast<TShortCutHandler*>(Components(i))) handlers.push_back(h);
    std::stable_sort(handlers.begin(), handlers.end(),
                     [](auto* a, auto* b) { return a->ShortCutPriority() < b->ShortCutPriority(); });
    for (auto* h : handlers)
        if (h->IsShortCut(shortCut)) return true;
    return false;
}

namespace {
void CollectTabStops(TWinControl* parent, std::vector<TWinControl*>& out) {
    std::vector<TWinControl*> children;
    for (int i = 0; i < parent->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(parent->Controls(i))) children.push_back(w);
    std::stable_sort(children.begin(), children.end(), [](auto* a, auto* b) { return a->TabOrder() < b->TabOrder(); });
    for (auto* c : children) {
        if (!c->Visible() || !c->Enabled()) continue;
        if (c->TabStop) out.push_back(c);
        CollectTabStops(c, out);
    }
}

bool OfferDialogKey(TWinControl* parent, WORD key) {
    for (int i = 0; i < parent->ControlCount(); ++i) {
        auto* w = dynamic_cast<TWinControl*>(parent->Controls(i));
        if (!w || !w->Visible() || !w->Enabled()) continue;
        if (w->HandleDialogKey(key) || OfferDialogKey(w, key)) return true;
    }
    return false;
}
}  // namespace

void TForm::SelectNext(bool forward) {
    std::vector<TWinControl*> stops;
    CollectTabStops(this, stops);
    if (stops.empty()) return;
    TWinControl* focused = TWinControl::FindControl(GetFocus());
    auto it = std::find(stops.begin(), stops.end(), focused);
    size_t index;
    if (it == stops.end()) index = forward ? 0 : stops.size() - 1;
    else index = (static_cast<size_t>(it - stops.begin()) + (forward ? 1 : stops.size() - 1)) % stops.size();
    stops[index]->SetFocus();
}

bool TForm::DialogKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    TWinControl* focused = TWinControl::FindControl(msg.hwnd);
    if (focused && focused->WantsDialogKey(msg.wParam)) return false;
    switch (msg.wParam) {
    case VK_TAB:
        // Ctrl+Tab belongs to the page control around the focus.
        if (GetKeyState(VK_CONTROL) < 0) return OfferDialogKey(this, VK_TAB);
        SelectNext(GetKeyState(VK_SHIFT) >= 0);
        return true;
    case VK_RETURN:
        return OfferDialogKey(this, static_cast<WORD>(msg.wParam));
    case VK_ESCAPE:
        if (OfferDialogKey(this, VK_ESCAPE)) return true;
        // A modal dialog box without a cancel button still closes on Escape, as cancel.
        if (modal_ && borderStyle_ == bsDialog) {
            ModalResult = mrCancel;
            return true;
        }
        return false;
    default:
        return false;
    }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DPICHANGED:
        DpiChanged(HIWORD(wp), *reinterpret_cast<const RECT*>(lp));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) {
            // Remember where the focus was, for whoever restores it on reactivation.
            if (TWinControl* focused = FocusedControlOf(handle_)) {
                activeControl_ = focused;
                FreeNotification(focused);
            }
        } else if (FocusedControlOf(handle_)) {
            // The focus was already put on one of our controls (by a hook of
            // the window): the default handling would move it to the form.
            return 0;
        } else if (activeControl_ && !IsIconic(handle_) && activeControl_->CanFocus()) {
            // Back to the control that had the focus, or was given it while
            // the form was not active.
            activeControl_->SetFocus();
            return 0;
        }
        return TCustomControl::WndProc(msg, wp, lp);
    case WM_CLOSE:
        Close();
        return 0;
    case WM_SYSCOMMAND:
        // Windows reads any SC_MOVE with a hit-test code in its low bits as a
        // move with the mouse; Wine moves only for the caption's code.
        if ((wp & 0xFFF0) == SC_MOVE && (wp & 0xF) != 0 && (wp & 0xF) != HTCAPTION)
            return TCustomControl::WndProc(msg, SC_MOVE | HTCAPTION, lp);
        return TCustomControl::WndProc(msg, wp, lp);
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_MEASUREITEM:
    case WM_DRAWITEM:
    case WM_MENUCHAR:
    case WM_MENUSELECT:
    case WM_COMMAND: {
        // The form owns its menus' pop-ups: their items measure, paint and run here.
        LRESULT result = 0;
        if (DispatchMenuMessage(handle_, msg, wp, lp, result)) return result;
        return TCustomControl::WndProc(msg, wp, lp);
    }
    default:
        return TCustomControl::WndProc(msg, wp, lp);
    }
}

bool TForm::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "BorderStyle")
        SetBorderStyle(static_cast<TBorderStyle>(
            r.Enum(v, {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"})));
    else if (name == "FormStyle")
        SetFormStyle(static_cast<TFormStyle>(r.Enum(v, {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"})));
    else if (name == "Position")
        Position = static_cast<TPosition>(r.Enum(v, {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly",
                                                     "poScreenCenter", "poDesktopCenter", "poMainFormCenter",
                                                     "poOwnerFormCenter"}));
    else if (name == "KeyPreview") KeyPreview = r.Bool(v);
    else if (name == "Menu") {
        r.Reference(v, [this](TComponent* c) {
            auto* menu = dynamic_cast<TMainMenu*>(c);
            if (!menu) throw Exception(c->Name() + " is not a main menu");
            SetMenu(menu);
        });
    }
    else if (name == "OnCreate") r.Event(v, OnCreate);
    else if (name == "OnDestroy") r.Event(v, OnDestroy);
    else if (name == "OnShow") r.Event(v, OnShow);
    else if (name == "OnPaint") r.Event(v, OnPaint);
    else if (name == "OnClose") r.Event(v, OnClose);
    else if (name == "Visible") {
        // A form becomes visible when shown, not while it is read.
        if (r.Bool(v)) placed_ = false;
    } else return TCustomControl::ReadProperty(name, v, r);
    return true;
}
