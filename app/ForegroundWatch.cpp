#include "ForegroundWatch.h"

namespace {

HWINEVENTHOOK hook = nullptr;
HWND lastOther = nullptr;

// A window worth going back to: another program's, and not the desktop
// behind everything.
bool IsOtherProgramsWindow(HWND wnd) {
    return wnd && !IsOwnWindow(wnd) && wnd != GetDesktopWindow() && wnd != GetShellWindow();
}

void CALLBACK ForegroundChanged(HWINEVENTHOOK, DWORD, HWND wnd, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_WINDOW && IsOtherProgramsWindow(wnd)) lastOther = wnd;
}

}  // namespace

bool IsOwnWindow(HWND wnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    return process == GetCurrentProcessId();
}

void NoteForegroundWindow() {
    HWND now = GetForegroundWindow();
    if (IsOtherProgramsWindow(now)) lastOther = now;
}

void StartForegroundWatch() {
    if (hook) return;
    NoteForegroundWindow();
    // Without the hook the program still works: a pick then finds only the
    // compose windows.
    hook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, ForegroundChanged, 0, 0,
                           WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
}

void StopForegroundWatch() {
    if (hook) UnhookWinEvent(hook);
    hook = nullptr;
    lastOther = nullptr;
}

HWND LastOtherForegroundWindow() { return lastOther; }
