// The notification area as Wine shows it without a desktop tray: its own
// small top-level window "Wine System Tray" (in Wine's desktop process),
// one child window per visible icon, left to right.
#pragma once
#include <windows.h>

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
