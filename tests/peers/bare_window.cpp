// The least a tray program can do, as a yardstick for start-up figures:
// registers a window class, creates one hidden window, puts an icon in the
// notification area and runs a message loop. Ends on WM_CLOSE (taking its
// icon away) or after --lifetime SECONDS (default 120).
//
//   bare_window [--lifetime SECONDS]
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;
NOTIFYICONDATAA icon{};

LRESULT CALLBACK BareWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_TIMER:
            if (wp == kLifetimeTimer) DestroyWindow(wnd);
            return 0;
        case WM_CLOSE:
            DestroyWindow(wnd);
            return 0;
        case WM_DESTROY:
            Shell_NotifyIconA(NIM_DELETE, &icon);
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    unsigned lifetimeSeconds = 120;
    for (int i = 1; i + 1 < __argc; ++i)
        if (std::strcmp(__argv[i], "--lifetime") == 0) lifetimeSeconds = std::strtoul(__argv[++i], nullptr, 10);

    WNDCLASSA wc{};
    wc.lpfnWndProc = BareWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "ToviraBareWindow";
    if (!RegisterClassA(&wc)) return 1;
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               320, 200, nullptr, nullptr, instance, nullptr);
    if (!wnd) return 1;
    SetTimer(wnd, kLifetimeTimer, lifetimeSeconds * 1000, nullptr);

    icon.cbSize = sizeof icon;
    icon.hWnd = wnd;
    icon.uID = 1;
    icon.uFlags = NIF_ICON;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    Shell_NotifyIconA(NIM_ADD, &icon);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
