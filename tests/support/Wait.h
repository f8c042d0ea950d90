// Polling with a time limit instead of fixed sleeps.
#pragma once
#include <windows.h>

#include <functional>

#include "Forms.h"

// Lets this thread's messages run (through the application's loop when there
// is one) until `done` holds or `timeoutMs` passes; true when it held.
inline bool WaitFor(const std::function<bool()>& done, DWORD timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        if (Application) {
            Application->ProcessMessages();
        } else {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
}
