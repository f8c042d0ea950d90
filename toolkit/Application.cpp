// The application object: its owner window, message loop, key routing and
// the standard error report; and the one catch every callback ends in.
#include "Forms.h"

#include <commctrl.h>

#include <algorithm>

#include "Dpi.h"
#include "Menus.h"

TApplication* Application = nullptr;

void HandleCallbackException() noexcept {
    try {
        throw;
    } catch (const std::exception& e) {
        try {
            if (Application) Application->HandleException(e);
        } catch (...) {
        }
    } catch (...) {
        try {
            if (Application) Application->ShowException("Unknown error");
        } catch (...) {
        }
    }
}

// ------------------------------------------------------------ TApplication

TApplication::TApplication() : TComponent(nullptr) { Application = this; }

TApplication::~TApplication() {
    MarkDestroying();
    DestroyComponents();
    FreeReleased();
    if (handle_) {
        SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
    if (Application == this) Application = nullptr;
}

void TApplication::Initialize() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES |
                                             ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (handle_) return;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hIcon = ProgramIcon(false);
    wc.hIconSm = ProgramIcon(true);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpszClassName = "Tovira.TApplication";
    RegisterClassExA(&wc);
    if (title_.empty()) {
        char path[MAX_PATH];
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string name = path;
        name = name.substr(name.find_last_of("\\/") + 1);
        title_ = name.substr(0, name.find_last_of('.'));
    }
    // Zero size, in the middle of the screen; it only carries the taskbar button.
    handle_ = CreateWindowExA(0, wc.lpszClassName, title_.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0, nullptr,
                              nullptr, wc.hInstance, nullptr);
    if (!handle_) RaiseLastOSError();
    SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TForm* TApplication::ActiveForm() const {
    return dynamic_cast<TForm*>(TWinControl::FromHandle(GetActiveWindow()));
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_) SetWindowTextA(handle_, title.c_str());
}

LRESULT CALLBACK TApplication::WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TApplication*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    try {
        return self->AppWndProc(msg, wp, lp);
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
}

LRESULT TApplication::AppWndProc(UINT msg, WPARAM wp, LPARAM lp) {
    for (auto& hook : std::vector<WindowHook>(hooks_)) {
        LRESULT result = 0;
        if (hook(msg, wp, lp, result)) return result;
    }
    switch (msg) {
    case WM_SIZE:
        if (wp == SIZE_MINIMIZED) OnMinimize(this);
        else if (wp == SIZE_RESTORED) OnRestore(this);
        break;
    case WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        return 0;
    case WM_ACTIVATEAPP:
        break;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) == SC_RESTORE && mainForm_) {
            DefWindowProcA(handle_, msg, wp, lp);
            if (mainForm_->Visible()) SetForegroundWindow(mainForm_->Handle());
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(handle_, msg, wp, lp);
}

void TApplication::Minimize() {
    if (handle_) ShowWindow(handle_, SW_MINIMIZE);
}

void TApplication::Restore() {
    if (handle_ && IsIconic(handle_)) ShowWindow(handle_, SW_RESTORE);
}

void TApplication::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}

bool TApplication::RouteKeyMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
    // The focused control first (a hosted browser translates its accelerators).
    if (TWinControl* focused = TWinControl::FindControl(msg.hwnd))
        for (TWinControl* c = focused; c; c = c->Parent())
            if (c->PreProcessMessage(msg)) return true;
    TWinControl* control = TWinControl::FindControl(msg.hwnd);
    TForm* form = nullptr;
    for (TWinControl* c = control; c; c = c->Parent())
        if (auto* f = dynamic_cast<TForm*>(c)) form = f;
    if (!form) return false;
    if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        TShortCut sc = static_cast<TShortCut>(msg.wParam & 0xFF);
        if (GetKeyState(VK_SHIFT) < 0) sc |= scShift;
        if (GetKeyState(VK_CONTROL) < 0) sc |= scCtrl;
        if (GetKeyState(VK_MENU) < 0) sc |= scAlt;
        if (form->IsShortCut(sc)) return true;
    }
    return form->DialogKey(msg);
}

bool TApplication::ProcessMessage(MSG& msg) {
    try {
        if (RouteKeyMessage(msg)) return true;
    } catch (...) {
        HandleCallbackException();
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return true;
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the outer loop
            return;
        }
        ProcessMessage(msg);
    }
    FreeReleased();
}

void TApplication::HandleMessage() {
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) {
        terminated_ = true;
        return;
    }
    ProcessMessage(msg);
    FreeReleased();
}

void TApplication::Run() {
    if (mainForm_ && ShowMainForm) {
        ShowWindow(handle_, SW_SHOWNORMAL);
        mainForm_->Show();
    }
    while (!terminated_) HandleMessage();
}

void TApplication::ShowException(const std::string& message) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = handle_;
    MessageBoxA(owner, ErrorReportText(message).c_str(), title_.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void TApplication::HandleException(const std::exception& error) {
    if (auto* e = dynamic_cast<const Exception*>(&error)) ShowException(e->Message());
    else ShowException(error.what());
}

void TApplication::ReleaseLater(TForm* form) {
    if (std::find(released_.begin(), released_.end(), form) == released_.end()) released_.push_back(form);
    if (handle_) PostMessageA(handle_, WM_NULL, 0, 0);
}

void TApplication::FreeReleased() {
    while (!released_.empty()) {
        TForm* form = released_.back();
        released_.pop_back();
        delete form;
    }
}
