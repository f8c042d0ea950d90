#include "CoolTrayIcon.h"

#include "Dpi.h"

#include <shellapi.h>

#include <cstring>

#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "Menus.h"
#include "TrayIconLogic.h"
#include "WndProcStub.h"

// Components never run inside a form designer in this toolkit, so the
// designer-only paths of the tray calls (preview forcing) reduce to the
// run-time ones: every tray call goes to the shell.

UINT TaskbarCreatedMessage = 0;

namespace {
// No "Tovira." prefix: the toolkit reads such windows' user data as controls.
constexpr char kTrayWindowClass[] = "TCoolTrayIcon.TrayWindow";
constexpr UINT kIconId = 1;
}  // namespace

TCoolTrayIcon::TCoolTrayIcon(TComponent* owner) : TComponent(owner) {
    TaskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
    try {
        iconRecord_.cbSize = sizeof iconRecord_;
        CreateTrayWindow();
        iconRecord_.uID = kIconId;
        iconRecord_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
        iconRecord_.uCallbackMessage = TrayCallbackMessage;

        cycleTimer_ = new TTimer(this, false);
        cycleTimer_->SetInterval(cycleInterval_);
        cycleTimer_->OnTimer = EVENT(TNotifyEvent, TCoolTrayIcon, CycleTimerTick, this);

        AttachApplicationHook();
        AttachOwnerHook();
    } catch (...) {
        DetachOwnerHook();
        DetachApplicationHook();
        if (iconRecord_.hWnd) DestroyWindow(iconRecord_.hWnd);
        throw;
    }
}

TCoolTrayIcon::~TCoolTrayIcon() {
    // Out of the notification area while the tray window still exists.
    SetIconVisible(false);
    icon_.Clear();
    if (HWND wnd = iconRecord_.hWnd) {
        SetWindowLongPtrA(wnd, GWLP_USERDATA, 0);
        DestroyWindow(wnd);
        iconRecord_.hWnd = nullptr;
    }
    delete cycleTimer_;
    cycleTimer_ = nullptr;
    DetachApplicationHook();
    DetachOwnerHook();
}

void TCoolTrayIcon::CreateTrayWindow() {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = TrayWindowEntry;
        wc.hInstance = instance;
        wc.lpszClassName = kTrayWindowClass;
        if (!RegisterClassExA(&wc)) RaiseLastOSError();
        registered = true;
    }
    // Hidden and never shown; WM_NCCREATE stores it in the icon record.
    if (!CreateWindowExA(WS_EX_TOOLWINDOW, kTrayWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                         this))
        RaiseLastOSError();
}

// ------------------------------------------------------------------ properties

void TCoolTrayIcon::SetDesignPreview(bool value) {
    designPreview_ = value;
    previewForcing_ = true;
    try {
        if (value) AddToTray();
        else RemoveFromTray();
    } catch (...) {
        previewForcing_ = false;
        throw;
    }
    previewForcing_ = false;
}

void TCoolTrayIcon::SetIconList(TImageList* list) {
    iconList_ = list;
    if (list) FreeNotification(list);
    SetIconIndex(0);
}

void TCoolTrayIcon::SetCycleIcons(bool value) {
    cycleIcons_ = value;
    if (value) SetIconIndex(0);
    cycleTimer_->SetEnabled(value);
}

void TCoolTrayIcon::SetCycleInterval(unsigned milliseconds) {
    cycleInterval_ = milliseconds;
    cycleTimer_->SetInterval(milliseconds);
}

void TCoolTrayIcon::SetHint(const std::string& hint) {
    hint_ = hint;
    RefreshTrayIcon();
}

void TCoolTrayIcon::SetShowHint(bool value) {
    showHint_ = value;
    RefreshTrayIcon();
}

void TCoolTrayIcon::SetIcon(const TIcon& icon) {
    icon_.Assign(icon);
    RefreshTrayIcon();
}

void TCoolTrayIcon::SetIconVisible(bool value) {
    if (value) AddToTray();
    else RemoveFromTray();
}

void TCoolTrayIcon::SetIconIndex(int index) {
    if (iconList_) {
        int count = iconList_->Count();
        iconIndex_ = trayicon::StoredIconIndex(index, count, true);
        if (count > 0) iconList_->GetIcon(iconIndex_, icon_);
    } else {
        iconIndex_ = 0;
    }
    RefreshTrayIcon();
}

void TCoolTrayIcon::SetPopupMenu(TPopupMenu* menu) {
    popupMenu_ = menu;
    if (menu) FreeNotification(menu);
}

void TCoolTrayIcon::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == iconList_) SetIconList(nullptr);
    if (component == popupMenu_) popupMenu_ = nullptr;
}

void TCoolTrayIcon::Loaded() {
    TComponent::Loaded();
    if (StartMinimized && Application) {
        Application->ShowMainForm = false;
        if (Application->Handle()) ShowWindow(Application->Handle(), SW_HIDE);
    }
    SetIconVisible(iconVisible_);
}

// ------------------------------------------------------------------ tray calls

bool TCoolTrayIcon::PrepareIconRecord() {
    iconRecord_.hIcon = icon_.Handle();
    std::memset(iconRecord_.szTip, 0, sizeof iconRecord_.szTip);
    std::string tip = trayicon::TipText(hint_, showHint_);
    std::memcpy(iconRecord_.szTip, tip.data(), tip.size());
    return true;
}

bool TCoolTrayIcon::CallShell(DWORD message) {
    if (!PrepareIconRecord()) return false;
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(&iconRecord_)) != FALSE;
}

bool TCoolTrayIcon::AddToTray() {
    if (!previewForcing_) iconVisible_ = true;
    const bool added = CallShell(NIM_ADD);
    inTray_ = inTray_ || added;
    return added;
}

bool TCoolTrayIcon::RemoveFromTray() {
    if (!previewForcing_) iconVisible_ = false;
    inTray_ = false;
    return CallShell(NIM_DELETE);
}

// An icon this program has not added cannot change: no call to the shell
// (each is a round trip to another process), e.g. for every property read
// from the layout before the icon is added.
bool TCoolTrayIcon::RefreshTrayIcon() {
    if (!inTray_) {
        PrepareIconRecord();
        return false;
    }
    return CallShell(NIM_MODIFY);
}

// ------------------------------------------------------------ showing, hiding

void TCoolTrayIcon::RevealMainForm() {
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return;
    ShowWindow(Application->Handle(), SW_RESTORE);
    main->Show();
}

void TCoolTrayIcon::ConcealMainForm() {
    TForm* main = Application ? Application->MainForm() : nullptr;
    if (!main) return;
    main->Hide();
    ShowWindow(Application->Handle(), SW_HIDE);
}

void TCoolTrayIcon::SendToTray() {
    ConcealMainForm();
    // The shell refuses a second add, so the one icon stays.
    SetIconVisible(true);
}

// -------------------------------------------------------------------- dispatch

void TCoolTrayIcon::DoClick() { OnClick(this); }
void TCoolTrayIcon::DoDblClick() { OnDblClick(this); }

void TCoolTrayIcon::DoCycle() {
    int count = iconList_ ? iconList_->Count() : 0;
    OnCycle(this, trayicon::NextCycleIndex(iconIndex_, count, iconList_ != nullptr));
}

void TCoolTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseDown(this, button, shift, x, y);
}

void TCoolTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    OnMouseUp(this, button, shift, x, y);
}

void TCoolTrayIcon::DoMouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }

// --------------------------------------------------------------------- cycling

void TCoolTrayIcon::CycleTimerTick(TObject*) {
    if (!iconList_) return;
    int count = iconList_->Count();
    if (iconIndex_ < count) iconList_->GetIcon(iconIndex_, icon_);
    DoCycle();
    RefreshTrayIcon();
    if (!iconList_) return;  // a handler may have taken the list away
    SetIconIndex(trayicon::NextCycleIndex(iconIndex_, iconList_->Count(), true));
}

// ---------------------------------------------------------------- mouse, menu

TShiftState TCoolTrayIcon::CurrentShiftState() {
    TShiftState shift = 0;
    if (GetAsyncKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetAsyncKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetAsyncKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

void TCoolTrayIcon::HandleTrayNotification(UINT mouseMessage) {
    if (!Enabled) return;
    TShiftState shift = 0;
    POINT at{};
    // Shift first, then the pointer: where it is now, not where the shell saw it.
    auto take = [&](TShiftState button) {
        shift = CurrentShiftState() | button;
        GetCursorPos(&at);
    };
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        take(0);
        DoMouseMove(shift, at.x, at.y);
        break;
    case WM_LBUTTONDOWN:
        take(ssLeft);
        DoMouseDown(mbLeft, shift, at.x, at.y);
        clickPending_ = true;
        if (LeftPopup) PopupMenuAtCursor();
        break;
    case WM_LBUTTONUP:
        take(ssLeft);
        if (clickPending_) {
            clickPending_ = false;
            DoClick();
        }
        DoMouseUp(mbLeft, shift, at.x, at.y);
        break;
    case WM_LBUTTONDBLCLK:
        DoDblClick();
        RunDefaultItem();
        break;
    case WM_RBUTTONDOWN:
        take(ssRight);
        DoMouseDown(mbRight, shift, at.x, at.y);
        PopupMenuAtCursor();
        break;
    case WM_RBUTTONUP:
        take(ssRight);
        DoMouseUp(mbRight, shift, at.x, at.y);
        break;
    case WM_MBUTTONDOWN:
        take(ssMiddle);
        DoMouseDown(mbMiddle, shift, at.x, at.y);
        break;
    case WM_MBUTTONUP:
        take(ssMiddle);
        DoMouseUp(mbMiddle, shift, at.x, at.y);
        break;
    default:  // right double-clicks and anything else: nothing
        break;
    }
}

void TCoolTrayIcon::RunDefaultItem() {
    if (!popupMenu_ || !popupMenu_->AutoPopup || LeftPopup) return;
    // From the last item up, so the default item nearest the top wins.
    TMenuItem* root = popupMenu_->Items();
    TMenuItem* chosen = nullptr;
    for (int i = root->Count() - 1; i >= 0; --i)
        if (root->Items(i)->Default()) chosen = root->Items(i);
    if (chosen) chosen->Click();
}

void TCoolTrayIcon::PopupMenuAtCursor() {
    POINT at{};
    if (!popupMenu_ || !popupMenu_->AutoPopup || !GetCursorPos(&at)) return;
    if (Application) Application->ProcessMessages();
    if (!popupMenu_) return;  // freed while the waiting messages ran
    // Without a window for an owner the menu is anchored to the tray window.
    HWND owner = OwnerWindow();
    if (!owner) owner = TrayWindow();
    // A menu of a window in the foreground closes when the user clicks elsewhere.
    SetForegroundWindow(owner);
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(at.x, at.y);
    // Makes the switch to the menu's window complete before the next click.
    PostMessageA(owner, WM_NULL, 0, 0);
}

// -------------------------------------------------------------------- windows

HWND TCoolTrayIcon::OwnerWindow() const {
    auto* window = dynamic_cast<TWinControl*>(Owner());
    return window ? window->Handle() : nullptr;
}

LRESULT CALLBACK TCoolTrayIcon::TrayWindowEntry(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* creating = static_cast<TCoolTrayIcon*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        creating->iconRecord_.hWnd = wnd;
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creating));
    }
    auto* self = reinterpret_cast<TCoolTrayIcon*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    try {
        return self->TrayWindowProc(msg, wp, lp);
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
}

LRESULT TCoolTrayIcon::TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TrayCallbackMessage) {
        // wParam is the icon's identifier; there is only one.
        HandleTrayNotification(static_cast<UINT>(lp));
        return 0;
    }
    // Never hold up a log-off or shut-down.
    if (msg == WM_QUERYENDSESSION) return 1;
    // "TaskbarCreated" included: the application window's hook re-adds the icon.
    return DefWindowProcA(TrayWindow(), msg, wp, lp);
}

void TCoolTrayIcon::AttachApplicationHook() {
    if (!Application || !Application->Handle()) return;
    applicationWindow_ = Application->Handle();
    savedApplicationProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(applicationWindow_, GWLP_WNDPROC));
    applicationHookStub_ = std::make_unique<TWndProcStub>(this, ApplicationHookEntry);
    SetWindowLongPtrA(applicationWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(applicationHookStub_->Proc()));
}

void TCoolTrayIcon::AttachOwnerHook() {
    HWND owner = OwnerWindow();
    if (!owner) return;
    ownerWindow_ = owner;
    savedOwnerProc_ = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner, GWLP_WNDPROC));
    ownerHookStub_ = std::make_unique<TWndProcStub>(this, OwnerHookEntry);
    SetWindowLongPtrA(owner, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ownerHookStub_->Proc()));
}

void TCoolTrayIcon::DetachApplicationHook() {
    if (savedApplicationProc_ && IsWindow(applicationWindow_))
        SetWindowLongPtrA(applicationWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedApplicationProc_));
    applicationHookStub_.reset();
    savedApplicationProc_ = nullptr;
    applicationWindow_ = nullptr;
}

void TCoolTrayIcon::DetachOwnerHook() {
    if (savedOwnerProc_ && IsWindow(ownerWindow_))
        SetWindowLongPtrA(ownerWindow_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedOwnerProc_));
    ownerHookStub_.reset();
    savedOwnerProc_ = nullptr;
    ownerWindow_ = nullptr;
}

LRESULT CALLBACK TCoolTrayIcon::ApplicationHookEntry(HWND self, UINT msg, WPARAM wp, LPARAM lp) {
    return reinterpret_cast<TCoolTrayIcon*>(self)->ApplicationHookProc(msg, wp, lp);
}

LRESULT CALLBACK TCoolTrayIcon::OwnerHookEntry(HWND self, UINT msg, WPARAM wp, LPARAM lp) {
    return reinterpret_cast<TCoolTrayIcon*>(self)->OwnerHookProc(msg, wp, lp);
}

LRESULT TCoolTrayIcon::ApplicationHookProc(UINT msg, WPARAM wp, LPARAM lp) {
    // The window's own procedure runs whatever happens here.
    try {
        // Before the application window handles its minimising itself.
        if (msg == WM_SIZE && wp == SIZE_MINIMIZED && MinimizeToTray) SendToTray();
        if (msg == WM_WINDOWPOSCHANGED && firstPositionPending_ && Application && Application->MainForm()) {
            if (Application->MainForm()->FormStyle() == fsMDIForm && StartMinimized)
                ShowWindow(applicationWindow_, SW_HIDE);
            firstPositionPending_ = false;
        }
        if (TaskbarCreatedMessage != 0 && msg == TaskbarCreatedMessage && iconVisible_) AddToTray();
    } catch (...) {
        HandleCallbackException();
    }
    return CallWindowProcA(savedApplicationProc_, applicationWindow_, msg, wp, lp);
}

LRESULT TCoolTrayIcon::OwnerHookProc(UINT msg, WPARAM wp, LPARAM lp) {
    try {
        if (msg == WM_ACTIVATE && (LOWORD(wp) == WA_ACTIVE || LOWORD(wp) == WA_CLICKACTIVE)) {
            // Back to the control that had the focus, unless activation comes
            // from the very window that holds it.
            TForm* active = Application ? Application->ActiveForm() : nullptr;
            TWinControl* focused = active ? active->ActiveControl() : nullptr;
            if (focused && focused->HandleAllocated()) {
                TWinControl* parent = focused->Parent();
                HWND holder = parent && parent->HandleAllocated() ? parent->Handle() : focused->Handle();
                if (holder != reinterpret_cast<HWND>(lp)) ::SetFocus(focused->Handle());
            }
        }
        if (msg == WM_SHOWWINDOW && wp == 1 && lp == 0 && Application) {
            // Shown by a ShowWindow call: the taskbar button comes back with it.
            ShowWindow(Application->Handle(), SW_RESTORE);
            SetForegroundWindow(Application->Handle());
            SetForegroundWindow(ownerWindow_);
        }
    } catch (...) {
        HandleCallbackException();
    }
    return CallWindowProcA(savedOwnerProc_, ownerWindow_, msg, wp, lp);
}

// ----------------------------------------------------------------- stored settings

bool TCoolTrayIcon::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "DesignPreview") SetDesignPreview(r.Bool(v));
    else if (name == "IconList") {
        r.Reference(v, [this](TComponent* c) {
            auto* list = dynamic_cast<TImageList*>(c);
            if (!list) throw Exception(c->Name() + " is not an image list");
            SetIconList(list);
        });
    } else if (name == "CycleIcons") SetCycleIcons(r.Bool(v));
    else if (name == "CycleInterval") {
        int ms = r.Int(v);
        if (ms < 0) throw Exception("interval must not be negative");
        SetCycleInterval(static_cast<unsigned>(ms));
    } else if (name == "Enabled") Enabled = r.Bool(v);
    else if (name == "Hint") SetHint(r.Str(v));
    else if (name == "ShowHint") SetShowHint(r.Bool(v));
    else if (name == "Icon") {
        // A picture by resource name: an ICON resource of the program, its
        // image for the notification area's size at the system resolution.
        TIcon icon;
        const int size = SystemMetricForDpi(SM_CXSMICON, SystemDpi());
        icon.LoadFromResourceName(GetModuleHandleA(nullptr), r.Str(v).c_str(), size, size);
        SetIcon(icon);
    } else if (name == "IconVisible") SetIconVisible(r.Bool(v));
    else if (name == "IconIndex") SetIconIndex(r.Int(v));
    else if (name == "PopupMenu") {
        r.Reference(v, [this](TComponent* c) {
            auto* menu = dynamic_cast<TPopupMenu*>(c);
            if (!menu) throw Exception(c->Name() + " is not a popup menu");
            SetPopupMenu(menu);
        });
    } else if (name == "LeftPopup") LeftPopup = r.Bool(v);
    else if (name == "StartMinimized") StartMinimized = r.Bool(v);
    else if (name == "MinimizeToTray") MinimizeToTray = r.Bool(v);
    else if (name == "OnClick") r.Event(v, OnClick);
    else if (name == "OnDblClick") r.Event(v, OnDblClick);
    else if (name == "OnMouseDown") r.Event(v, OnMouseDown);
    else if (name == "OnMouseUp") r.Event(v, OnMouseUp);
    else if (name == "OnMouseMove") r.Event(v, OnMouseMove);
    else if (name == "OnCycle") r.Event(v, OnCycle);
    else return false;
    return true;
}
