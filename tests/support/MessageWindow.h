// A message-only window of the calling thread for a test's mailbox or probe:
// its messages go to `proc`, which finds `owner` in the window's user data.
#pragma once
#include <windows.h>

inline HWND MakeMessageWindow(const char* className, WNDPROC proc, void* owner) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);  // a second registration fails harmlessly
    HWND window = CreateWindowA(className, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
    return window;
}
