#include "GlobalHotkey.h"

#include "Controls.h"
#include "HotkeyText.h"

namespace {
constexpr int kHotkeyId = 1;
}

UINT ShowRequestMessage() {
    static const UINT message = RegisterWindowMessageA("Tovira.ShowWindow");
    return message;
}

TGlobalHotkey::TGlobalHotkey() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kReachWindowClass;
    RegisterClassExA(&wc);
    window_ = CreateWindowExA(0, kReachWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (window_) SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TGlobalHotkey::~TGlobalHotkey() {
    Unregister();
    if (window_) {
        SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

void TGlobalHotkey::Unregister() {
    if (registered_) UnregisterHotKey(window_, kHotkeyId);
    registered_ = false;
}

std::string TGlobalHotkey::Register(const std::string& setting) {
    Unregister();
    const hotkey::Parsed parsed = hotkey::Parse(setting);
    if (parsed.reading == hotkey::Reading::None) return "";
    if (parsed.reading == hotkey::Reading::Invalid)
        return "The hotkey \"" + setting +
               "\" in Tovira.ini is not a key combination: write Ctrl, Alt, Shift or Win joined with \"+\", then "
               "one key (A to Z, 0 to 9, F1 to F24 or Space), for example " +
               hotkey::kDefault + ". Tovira runs without a hotkey.";
    // Held down, the combination shows the window once, not once per repeat.
    if (RegisterHotKey(window_, kHotkeyId, parsed.combination.modifiers | MOD_NOREPEAT, parsed.combination.key)) {
        registered_ = true;
        return "";
    }
    return "The hotkey \"" + setting +
           "\" is already taken by another program. Tovira runs without a hotkey; choose another one in "
           "Tovira.ini (section Options, key Hotkey).";
}

void TGlobalHotkey::DeliverEarlyInput() {
    if (earlyPress_ && OnHotkey) {
        earlyPress_ = false;
        OnHotkey(earlyPressFront_);
    }
    if (earlyShowRequest_ && OnShowRequest) {
        earlyShowRequest_ = false;
        OnShowRequest(nullptr);
    }
}

LRESULT CALLBACK TGlobalHotkey::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TGlobalHotkey*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(wnd, msg, wp, lp);
    try {
        // Either can come while the main window is still being made.
        if (msg == WM_HOTKEY && wp == kHotkeyId) {
            const HWND front = GetForegroundWindow();
            if (self->OnHotkey) {
                self->OnHotkey(front);
            } else {
                self->earlyPress_ = !self->earlyPress_;  // a second press takes the first back
                self->earlyPressFront_ = front;
            }
            return 0;
        }
        if (msg == ShowRequestMessage()) {
            if (self->OnShowRequest) self->OnShowRequest(nullptr);
            else self->earlyShowRequest_ = true;
            return 0;
        }
    } catch (...) {
        HandleCallbackException();  // no exception crosses the window procedure
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}
