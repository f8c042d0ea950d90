// Live object counts of this process: GDI objects, USER objects (windows,
// menus, icons and cursors), kernel handles and the working set, counted in
// ways that work under Wine, where GetGuiResources and GetProcessHandleCount
// are stubs. How each count is made and why it is real there is told at the
// head of tests/unit/test_soak.cpp, which also checks each counter.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

struct ObjectCounts {
    int gdi = 0;
    int windows = 0;
    int menus = 0;
    int cursors = 0;  // icons and cursors
    int handles = 0;
    size_t workingSetKiB = 0;
    size_t committedKiB = 0;  // PagefileUsage

    int User() const { return windows + menus + cursors; }
    std::string Text() const {
        char text[160];
        snprintf(text, sizeof text,
                 "GDI %4d  USER %4d (windows %3d, menus %3d, cursors %2d)  handles %4d  WS %6zu KiB  "
                 "committed %6zu KiB",
                 gdi, User(), windows, menus, cursors, handles, workingSetKiB, committedKiB);
        return text;
    }
};

namespace object_counts {

inline int Gdi() {
    int n = 0;
    for (UINT_PTR index = 1; index <= 0xFFFF; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index))) ++n;
    return n;
}

constexpr UINT_PTR kFirstUserHandle = 0x20, kLastUserHandle = 0xFFEE;

inline int Menus() {
    int n = 0;
    for (UINT_PTR h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        MENUINFO info{};
        info.cbSize = sizeof info;
        if (GetMenuInfo(reinterpret_cast<HMENU>(h), &info)) ++n;
    }
    return n;
}

// Not in the SDK headers; user32 exports it on Windows and under Wine.
using FrameInfoProc = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

inline int Cursors() {
    static auto frameInfo = reinterpret_cast<FrameInfoProc>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    if (!frameInfo) return -1;
    int n = 0;
    for (UINT_PTR h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        DWORD rate = 0, steps = 0;
        if (frameInfo(reinterpret_cast<HCURSOR>(h), 0, 0, &rate, &steps)) ++n;
    }
    return n;
}

inline bool Ours(HWND wnd) {
    DWORD process = 0;
    GetWindowThreadProcessId(wnd, &process);
    return process == GetCurrentProcessId();
}

inline BOOL CALLBACK CountOne(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

// The window and all its descendants.
inline int Family(HWND wnd) {
    int n = 1;
    EnumChildWindows(wnd, CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

inline BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM counter) {
    if (Ours(wnd)) *reinterpret_cast<int*>(counter) += Family(wnd);
    return TRUE;
}

inline int Windows() {
    int n = 0;
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&n));
    for (HWND wnd = nullptr; (wnd = FindWindowExA(HWND_MESSAGE, wnd, nullptr, nullptr));)
        if (Ours(wnd)) n += Family(wnd);
    return n;
}

// Every window of this process found through the USER handle table; takes
// seconds under Wine.
inline int ScanWindowsInHandleTable() {
    int n = 0;
    for (UINT_PTR h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        HWND wnd = reinterpret_cast<HWND>(h);
        if (IsWindow(wnd) && Ours(wnd)) ++n;
    }
    return n;
}

inline int KernelHandles() {
    // A hole this long would take a thousand handles closed in a row while
    // one above them stays open.
    constexpr int kDeadRun = 1024;
    int n = 0, dead = 0;
    for (UINT_PTR value = 4; dead < kDeadRun; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++n;
            dead = 0;
        } else {
            ++dead;
        }
    }
    return n;
}

inline PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    return memory;
}

}  // namespace object_counts

inline ObjectCounts CountObjects() {
    ObjectCounts c;
    c.gdi = object_counts::Gdi();
    c.windows = object_counts::Windows();
    c.menus = object_counts::Menus();
    c.cursors = object_counts::Cursors();
    c.handles = object_counts::KernelHandles();
    const PROCESS_MEMORY_COUNTERS memory = object_counts::Memory();
    c.workingSetKiB = memory.WorkingSetSize / 1024;
    c.committedKiB = memory.PagefileUsage / 1024;
    return c;
}
