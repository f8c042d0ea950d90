// The notification area as Wine shows it without a desktop tray: its own
// small top-level window "Wine System Tray" (in Wine's desktop process),
// one child window per visible icon, left to right.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <vector>

inline HWND WineTrayWindow() { return FindWindowA("__winex11_standalone_tray", "Wine System Tray"); }

// Screen rectangles of the icons shown now; none when the tray is hidden.
inline std::vector<RECT> WineTrayIcons() {
    std::vector<RECT> icons;
    HWND tray = WineTrayWindow();
    if (!tray || !IsWindowVisible(tray)) return icons;
    HWND child = nullptr;
    while ((child = FindWindowExA(tray, child, nullptr, nullptr))) {
        RECT r;
        if (IsWindowVisible(child) && GetWindowRect(child, &r)) icons.push_back(r);
    }
    return icons;
}

inline int WineTrayIconCount() { return static_cast<int>(WineTrayIcons().size()); }

// Wine shows its tray window when the first icon comes and hides it when the
// last goes, about two seconds each without a window manager. A test program
// that adds and removes icons again and again keeps one icon of its own there
// for its whole run (a global test environment), and counts the others.
class WineTrayKeeper : public ::testing::Environment {
public:
    void SetUp() override {
        icon_.cbSize = sizeof icon_;
        icon_.hWnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        icon_.uID = 99;
        icon_.uFlags = NIF_ICON;
        icon_.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        Shell_NotifyIconA(NIM_ADD, &icon_);
    }
    void TearDown() override {
        Shell_NotifyIconA(NIM_DELETE, &icon_);
        DestroyWindow(icon_.hWnd);
    }

private:
    NOTIFYICONDATAA icon_{};
};
