// Test helpers for pop-up menus: a thread hook that records every pop-up
// menu as it opens and, once the menu loop is idle, lets the test act on it
// (read it, send it keys) and closes it. No sleeping: the menu loop itself
// tells us when the menu is up (WM_ENTERIDLE to its owner).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "Forms.h"
#include "TestApplication.h"
#include "Wait.h"

struct MenuEntry {
    std::string text;
    UINT type = 0;
    UINT state = 0;
    UINT id = 0;
    ULONG_PTR data = 0;
    HMENU subMenu = nullptr;
};

// The entries of a Win32 menu, read back with GetMenuItemInfo.
inline std::vector<MenuEntry> ReadMenu(HMENU menu) {
    std::vector<MenuEntry> entries;
    int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[256] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text - 1;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info)) continue;
        entries.push_back(MenuEntry{text, info.fType, info.fState, info.wID, info.dwItemData, info.hSubMenu});
    }
    return entries;
}

// Sees every message sent to a window of this thread (WH_CALLWNDPROC), the
// menu loop's included; one watcher at a time. Derived classes say what they
// do with the messages.
class ThreadMessageWatcher {
public:
    ThreadMessageWatcher() {
        instance_ = this;
        hook_ = SetWindowsHookExA(WH_CALLWNDPROC, Proc, nullptr, GetCurrentThreadId());
    }
    ThreadMessageWatcher(const ThreadMessageWatcher&) = delete;
    ThreadMessageWatcher& operator=(const ThreadMessageWatcher&) = delete;
    virtual ~ThreadMessageWatcher() {
        UnhookWindowsHookEx(hook_);
        instance_ = nullptr;
    }
    bool Hooked() const { return hook_ != nullptr; }

protected:
    virtual void Watch(const CWPSTRUCT&) {}
    // The watcher of this moment (there is one at a time).
    static ThreadMessageWatcher* Current() { return instance_; }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        if (code == HC_ACTION && instance_) {
            try {
                instance_->Watch(*reinterpret_cast<CWPSTRUCT*>(lp));
            } catch (...) {
                HandleCallbackException();
            }
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }

    static inline ThreadMessageWatcher* instance_ = nullptr;
    HHOOK hook_ = nullptr;
};

class PopupProbe : public ThreadMessageWatcher {
public:
    struct Shown {
        HMENU menu = nullptr;
        HWND window = nullptr;      // the pop-up's own window
        RECT windowRect{};          // where it appeared, in screen coordinates
        std::vector<MenuEntry> entries;
    };

    // Called once per pop-up when it is idle; return true to leave it open
    // (the action has sent it something that closes or changes it).
    std::function<bool(const Shown&)> onIdle;

    PopupProbe() {
        // A menu that never goes idle or ignores what it was sent still closes.
        watchdog_ = SetTimer(nullptr, 0, 5000, Watchdog);
    }
    ~PopupProbe() override { KillTimer(nullptr, watchdog_); }

    // An action left the menu as it was (it went idle again unchanged).
    bool ActionIgnored() const { return ignored_; }
    // The watchdog had to close a menu.
    bool TimedOut() const { return timedOut_; }
    const std::vector<Shown>& History() const { return shown_; }

private:
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR, DWORD) {
        // Only a probe sets this timer, and it is the watcher while it does.
        if (auto* probe = static_cast<PopupProbe*>(Current())) probe->timedOut_ = true;
        EndMenu();
    }

    void Watch(const CWPSTRUCT& m) override {
        if (m.message == WM_INITMENUPOPUP) {
            pending_ = reinterpret_cast<HMENU>(m.wParam);
        } else if (m.message == WM_ENTERIDLE && m.wParam == MSGF_MENU && !pending_ && acted_) {
            // Idle again after the action without a new pop-up: it was ignored.
            acted_ = false;
            ignored_ = true;
            EndMenu();
        } else if (m.message == WM_ENTERIDLE && m.wParam == MSGF_MENU && pending_) {
            Shown shown;
            shown.menu = pending_;
            pending_ = nullptr;
            shown.window = reinterpret_cast<HWND>(m.lParam);
            if (shown.window) GetWindowRect(shown.window, &shown.windowRect);
            shown.entries = ReadMenu(shown.menu);
            shown_.push_back(shown);
            acted_ = onIdle && onIdle(shown_.back());
            if (!acted_) EndMenu();
        }
    }

    HMENU pending_ = nullptr;
    UINT_PTR watchdog_ = 0;
    bool acted_ = false;
    bool ignored_ = false;
    bool timedOut_ = false;
    std::vector<Shown> shown_;
};

