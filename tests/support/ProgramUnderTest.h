// Starts the real Tovira.exe from a temporary application folder and looks
// at it from outside, as a user's tools would.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "UnixCommand.h"
#include "Wait.h"
#include "WineTray.h"

// Unix path -> the same file seen from Wine (drive Z: is the root).
inline std::string WinePath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

// The text of a message box (its first non-empty static text).
inline std::string MessageBoxText(HWND box) {
    HWND text = nullptr;
    while ((text = FindWindowExA(box, text, "Static", nullptr))) {
        char t[1024];
        GetWindowTextA(text, t, sizeof t);
        if (t[0]) return t;
    }
    return "";
}

// The window with the keyboard focus in the thread of `window`.
inline HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

class ProgramUnderTest {
public:
    explicit ProgramUnderTest(const TempFolder& folder) : folder_(folder) {
        CopyFileA(WinePath(TOVIRA_EXE_UNIX).c_str(), (folder / "Tovira.exe").c_str(), FALSE);
    }
    ~ProgramUnderTest() {
        if (process_.hProcess) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process_.hProcess, 1);
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }

    // Starts the program and waits until it sits in the tray: its main window
    // created (hidden) and its icon in the notification area (one more icon
    // than before, as a test may keep one of its own there).
    bool Start() {
        const size_t iconsBefore = WineTrayIcons().size();
        return LaunchAndWaitForWindows() && WaitFor([&] { return WineTrayIcons().size() > iconsBefore; });
    }

    // Starts the program and waits until its main window and its tray
    // icon's window exist, whether or not a tray took the icon.
    bool LaunchAndWaitForWindows() {
        return Launch() && WaitFor([&] {
            main_ = FindOwnWindow("Tovira.TfrmMain", "Tovira v2.0", false);
            return main_ && FindOwnWindow("TCoolTrayIcon.TrayWindow", nullptr, false);
        });
    }

    // Only starts the process (for callers that time the start themselves).
    bool Launch() {
        // Away from the tray, so that the icon does not appear under the pointer.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        std::string exe = folder_ / "Tovira.exe";
        std::string cmd = "\"" + exe + "\"";
        return CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder_.Path().c_str(),
                              &si, &process_) != FALSE;
    }
    // The main window once it exists (hidden or not); null before.
    HWND FindMain() { return main_ = FindOwnWindow("Tovira.TfrmMain", "Tovira v2.0", false); }
    HANDLE Process() const { return process_.hProcess; }

    // Starts the program and shows its window through the tray icon.
    bool StartShown() { return Start() && Reveal(); }

    // Moves the real pointer over the program's tray icon (the last one in
    // the tray) and waits until the main window is visible.
    bool Reveal() const {
        std::vector<RECT> icons = WineTrayIcons();
        if (icons.empty()) return false;
        // The last one is the rightmost; the tray's windows come in Z order.
        const RECT& icon = *std::max_element(icons.begin(), icons.end(),
                                             [](const RECT& a, const RECT& b) { return a.left < b.left; });
        POINT target{(icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2};
        POINT now{};
        // Only a pointer that really moves makes a notification.
        if (GetCursorPos(&now) && now.x == target.x && now.y == target.y) ++target.x;
        return MovePointer(target) && WaitFor([&] { return IsWindowVisible(main_) != FALSE; });
    }

    // Moves the X pointer (xdotool) and waits until this side sees it there.
    static bool MovePointer(POINT to) {
        return MovePointerTo(to) && WaitFor([&] {
                   POINT p{};
                   return GetCursorPos(&p) && p.x == to.x && p.y == to.y;
               }, 10000);
    }

    HWND Main() const { return main_; }
    // The application window: the owner of every form, the taskbar button.
    HWND ApplicationWindow() const { return FindOwnWindow("Tovira.TApplication", "Tovira 1.0", false); }
    // The program's visible top-level windows.
    std::vector<HWND> VisibleWindows() const {
        Search search{process_.dwProcessId, nullptr, nullptr, true, nullptr, {}};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.all;
    }
    DWORD ProcessId() const { return process_.dwProcessId; }
    bool WaitForExit(DWORD timeoutMs = 20000) const {
        return WaitFor([&] { return WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
    }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

    // Closes the main window where writing the options file must fail: the
    // text of the report that comes, once OK was pressed and it went.
    std::string CloseAnsweringTheWriteReport() const {
        PostMessageA(main_, WM_CLOSE, 0, 0);
        HWND box = nullptr;
        if (!WaitFor([&] { return (box = FindOwnWindow("#32770", "Tovira 1.0")) != nullptr; })) return "(no report)";
        const std::string text = MessageBoxText(box);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        if (!WaitFor([&] { return !IsWindow(box); })) return text + " (the report stayed)";
        return text;
    }

    // A top-level window of the program with this class and title (any title
    // when null); only a visible one unless `visibleOnly` is false.
    HWND FindOwnWindow(const char* className, const char* title, bool visibleOnly = true) const {
        Search search{process_.dwProcessId, className, title, visibleOnly, nullptr, {}};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static HWND FindChild(HWND parent, const char* className, const char* text = nullptr) {
        HWND child = nullptr;
        while ((child = FindWindowExA(parent, child, nullptr, nullptr))) {
            char cls[128], t[256];
            GetClassNameA(child, cls, sizeof cls);
            GetWindowTextA(child, t, sizeof t);
            if (strcmp(cls, className) == 0 && (!text || strcmp(t, text) == 0)) return child;
            if (HWND inner = FindChild(child, className, text)) return inner;
        }
        return nullptr;
    }

    // The tab texts of a tab control in another process, in tab order.
    std::vector<std::string> TabTexts(HWND tabs) const {
        std::vector<std::string> out;
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessId());
        if (!process) return out;
        constexpr SIZE_T kText = 256;
        char* remote = static_cast<char*>(
            VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
        int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = remote + sizeof(TCITEMA);
            item.cchTextMax = kText;
            WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
            SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote));
            char text[kText] = {};
            ReadProcessMemory(process, remote + sizeof(TCITEMA), text, kText - 1, nullptr);
            out.push_back(text);
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        return out;
    }

    // The first visible descendant of `parent` with this class, or null.
    static HWND FindVisibleChild(HWND parent, const char* className) {
        HWND child = nullptr;
        while ((child = FindWindowExA(parent, child, nullptr, nullptr))) {
            if (!IsWindowVisible(child)) continue;
            char cls[128];
            GetClassNameA(child, cls, sizeof cls);
            if (strcmp(cls, className) == 0) return child;
            if (HWND inner = FindVisibleChild(child, className)) return inner;
        }
        return nullptr;
    }

    // A tab's rectangle in screen coordinates, read from the other process.
    RECT TabRect(HWND tabs, int index) const {
        RECT r{};
        HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessId());
        if (!process) return r;
        void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
        if (SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote)))
            ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
        CloseHandle(process);
        MapWindowPoints(tabs, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // Presses a key combination on the program's window, through the real input queue.
    void PressKeys(std::initializer_list<WORD> keys) const {
        SetForegroundWindow(main_);
        WaitFor([&] { return GetForegroundWindow() == main_; }, 5000);
        std::vector<INPUT> inputs;
        for (WORD k : keys) inputs.push_back(KeyInput(k, 0));
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) inputs.push_back(KeyInput(*it, KEYEVENTF_KEYUP));
        SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    }

private:
    // Matches windows of `pid`; with no class every one is collected in `all`.
    struct Search {
        DWORD pid;
        const char* cls;
        const char* title;
        bool visibleOnly;
        HWND found;
        std::vector<HWND> all;
    };
    static BOOL CALLBACK MatchWindow(HWND w, LPARAM lp) {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != s->pid || (s->visibleOnly && !IsWindowVisible(w))) return TRUE;
        if (!s->cls) {
            s->all.push_back(w);
            return TRUE;
        }
        char cls[128], text[256];
        GetClassNameA(w, cls, sizeof cls);
        GetWindowTextA(w, text, sizeof text);
        if (strcmp(cls, s->cls) == 0 && (!s->title || strcmp(text, s->title) == 0)) {
            s->found = w;
            return FALSE;
        }
        return TRUE;
    }

    static INPUT KeyInput(WORD key, DWORD flags) {
        INPUT in{};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = key;
        in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
        in.ki.dwFlags = flags;
        return in;
    }

    const TempFolder& folder_;
    PROCESS_INFORMATION process_{};
    HWND main_ = nullptr;
};
