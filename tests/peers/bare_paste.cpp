// The least a program can do to paste a picture into a compose window, as a
// yardstick for the pick's latency: a click into its window puts the
// "HTML Format" fragment of one picture on the clipboard, brings the compose
// window forward, waits until it has the focus and synthesizes Ctrl+V with
// keybd_event, the way Tovira's pick does, and nothing else (no page, no
// sound, no hiding).
//
//   bare_paste --path PICTURE --ready FILE [--class COMPOSE_CLASS] [--picture]
//              [--bounds X,Y,W,H] [--lifetime SECONDS]
//
// PICTURE: the picture's path with forward slashes. --ready FILE: written
// (window handle in decimal) once the window is up. --class: the target
// window's class (default "ATH_Note"). --picture: the picture itself goes on
// the clipboard instead ("PNG" and CF_DIBV5, as a pick into a program that
// is no mail client gives it; encoded once at start, as the program keeps
// what it encoded). Ends on WM_CLOSE or after --lifetime (default 120)
// seconds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ClipboardPayload.h"
#include "PictureClipboard.h"
#include "peer_common.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

struct Options {
    std::string path = "C:/smile.gif";
    std::string ready;
    std::string composeClass = "ATH_Note";
    RECT bounds{60, 60, 240, 160};  // left, top, width, height
    unsigned lifetimeSeconds = 120;
    bool picture = false;
};
Options options;

bool PutOnClipboard(const std::string& payload) {
    const UINT format = RegisterClipboardFormatA("HTML Format");
    if (!OpenClipboard(nullptr)) return false;
    bool ok = false;
    if (EmptyClipboard()) {
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, payload.size() + 1)) {
            if (void* bytes = GlobalLock(memory)) {
                CopyMemory(bytes, payload.c_str(), payload.size() + 1);
                GlobalUnlock(memory);
                ok = SetClipboardData(format, memory) != nullptr;
            }
            if (!ok) GlobalFree(memory);
        }
    }
    CloseClipboard();
    return ok;
}

// As Tovira does under Wine: keys sent before the other program has taken
// the focus are dropped, so wait (bounded) until its thread holds it.
void WaitForFocusIn(HWND wnd) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD thread = GetWindowThreadProcessId(wnd, nullptr);
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!thread || !GetGUIThreadInfo(thread, &info)) return;
        if (info.hwndFocus && (info.hwndFocus == wnd || IsChild(wnd, info.hwndFocus))) return;
        if (GetTickCount() - start >= 1000) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void SendKey(BYTE vk, DWORD flags) { keybd_event(vk, static_cast<BYTE>(MapVirtualKeyA(vk, 0)), flags, 0); }

bool PutPictureOn() {
    try {
        PutPictureOnClipboard(options.path);
        return true;
    } catch (...) {
        return false;
    }
}

void Paste() {
    if (!(options.picture ? PutPictureOn() : PutOnClipboard(BuildHtmlClipboardPayload("", options.path)))) return;
    HWND target = FindWindowA(options.composeClass.c_str(), nullptr);
    if (!target) return;
    SetForegroundWindow(target);
    WaitForFocusIn(target);
    SendKey(VK_CONTROL, 0);
    SendKey('V', 0);
    SendKey('V', KEYEVENTF_KEYUP);
    SendKey(VK_CONTROL, KEYEVENTF_KEYUP);
}

LRESULT CALLBACK BarePasteWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_LBUTTONUP:
            Paste();
            return 0;
        case WM_TIMER:
            if (wp == kLifetimeTimer) DestroyWindow(wnd);
            return 0;
        case WM_CLOSE:
            DestroyWindow(wnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void ParseArgs() {
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        if (arg == "--picture") {
            options.picture = true;
            continue;
        }
        if (i + 1 >= __argc) break;
        const char* value = __argv[++i];
        if (arg == "--path") options.path = value;
        else if (arg == "--ready") options.ready = value;
        else if (arg == "--class") options.composeClass = value;
        else if (arg == "--bounds")
            std::sscanf(value, "%ld,%ld,%ld,%ld", &options.bounds.left, &options.bounds.top, &options.bounds.right,
                        &options.bounds.bottom);
        else if (arg == "--lifetime") options.lifetimeSeconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ParseArgs();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    if (options.picture) {
        try {
            EncodeClipboardPicture(options.path);
        } catch (...) {
            return 1;
        }
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = BarePasteWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = "ToviraBarePaste";
    if (!RegisterClassA(&wc)) return 1;
    HWND wnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "Bare paste", WS_OVERLAPPEDWINDOW,
                               options.bounds.left, options.bounds.top, options.bounds.right, options.bounds.bottom,
                               nullptr, nullptr, instance, nullptr);
    if (!wnd) return 1;
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    SetTimer(wnd, kLifetimeTimer, options.lifetimeSeconds * 1000, nullptr);
    peer::WriteReadyFile(options.ready, wnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
