// Looks at windows from outside, for shell scripts that drive the real
// program (the headless run, end-to-end scripts). A console program: it
// prints what it finds on standard output, one fact a line, and exits 0 when
// it found what it was asked for.
//
//   window_probe tray                      "icon L T R B" for every icon in
//                                          Wine's own tray window
//   window_probe window TITLE [CLASS]      "workarea L T R B", "window L T R B
//                                          VISIBLE" for the top-level window
//                                          titled TITLE, and with CLASS
//                                          "child L T R B" for its first
//                                          visible descendant of that class
//   window_probe titles CLASS              "title TEXT" for every visible
//                                          top-level window of that class
//   window_probe tabs TITLE                "tab TEXT" for every tab of the
//                                          first tab control of that window,
//                                          shown or not
//   window_probe close TITLE               posts WM_CLOSE to the top-level
//                                          window titled TITLE
//   window_probe fonts NAME...             "font NAME -> FACE" for each font
//                                          name: the face GDI really selects
//                                          for it; exits 1 when one differs
// Rectangles are in screen pixels, right and bottom excluded.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void PrintRect(const char* what, const RECT& r, const char* tail = "") {
    std::printf("%s %ld %ld %ld %ld%s\n", what, r.left, r.top, r.right, r.bottom, tail);
}

// The first descendant of that class; only a visible one unless `any`.
HWND FindDescendant(HWND parent, const char* className, bool any = false) {
    HWND child = nullptr;
    while ((child = FindWindowExA(parent, child, nullptr, nullptr))) {
        if (!any && !IsWindowVisible(child)) continue;
        char cls[128];
        GetClassNameA(child, cls, sizeof cls);
        if (std::strcmp(cls, className) == 0) return child;
        if (HWND inner = FindDescendant(child, className, any)) return inner;
    }
    return nullptr;
}

int Tray() {
    HWND tray = FindWindowA("__winex11_standalone_tray", "Wine System Tray");
    if (!tray || !IsWindowVisible(tray)) return 1;
    int icons = 0;
    HWND child = nullptr;
    while ((child = FindWindowExA(tray, child, nullptr, nullptr))) {
        RECT r;
        if (!IsWindowVisible(child) || !GetWindowRect(child, &r)) continue;
        PrintRect("icon", r);
        ++icons;
    }
    return icons > 0 ? 0 : 1;
}

int Window(const char* title, const char* childClass) {
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    PrintRect("workarea", work);
    HWND wnd = FindWindowA(nullptr, title);
    if (!wnd) return 1;
    RECT r{};
    GetWindowRect(wnd, &r);
    PrintRect("window", r, IsWindowVisible(wnd) ? " 1" : " 0");
    if (!childClass) return 0;
    HWND child = FindDescendant(wnd, childClass);
    if (!child) return 1;
    GetWindowRect(child, &r);
    PrintRect("child", r);
    return 0;
}

// The tab texts of a tab control in another process: the item and its text
// buffer have to live in that process's memory.
int Tabs(const char* title) {
    HWND wnd = FindWindowA(nullptr, title);
    HWND tabs = wnd ? FindDescendant(wnd, WC_TABCONTROLA, true) : nullptr;
    if (!tabs) return 1;
    DWORD pid = 0;
    GetWindowThreadProcessId(tabs, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return 1;
    constexpr SIZE_T kText = 256;
    char* remote =
        static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(TCITEMA) + kText, MEM_COMMIT, PAGE_READWRITE));
    const int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; remote && i < count; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = remote + sizeof(TCITEMA);
        item.cchTextMax = kText;
        WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(remote));
        char text[kText] = {};
        ReadProcessMemory(process, remote + sizeof(TCITEMA), text, kText - 1, nullptr);
        std::printf("tab %s\n", text);
    }
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return count > 0 ? 0 : 1;
}

BOOL CALLBACK PrintTitleIfClass(HWND wnd, LPARAM className) {
    char cls[128], text[256];
    GetClassNameA(wnd, cls, sizeof cls);
    if (IsWindowVisible(wnd) && std::strcmp(cls, reinterpret_cast<const char*>(className)) == 0) {
        GetWindowTextA(wnd, text, sizeof text);
        std::printf("title %s\n", text);
    }
    return TRUE;
}

int Titles(const char* className) {
    EnumWindows(PrintTitleIfClass, reinterpret_cast<LPARAM>(className));
    return 0;
}

int Close(const char* title) {
    HWND wnd = FindWindowA(nullptr, title);
    return wnd && PostMessageA(wnd, WM_CLOSE, 0, 0) ? 0 : 1;
}

// The face that GDI selects for a font name: the name itself when the font
// is installed, another face when it is substituted or missing.
int Fonts(int count, char** names) {
    int substituted = 0;
    HDC dc = CreateCompatibleDC(nullptr);
    for (int i = 0; i < count; ++i) {
        LOGFONTA lf{};
        lf.lfHeight = -11;
        lf.lfCharSet = std::strcmp(names[i], "Marlett") == 0 ? SYMBOL_CHARSET : DEFAULT_CHARSET;
        lstrcpynA(lf.lfFaceName, names[i], LF_FACESIZE);
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc, font);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, LF_FACESIZE, face);
        SelectObject(dc, old);
        DeleteObject(font);
        std::printf("font %s -> %s\n", names[i], face);
        if (lstrcmpiA(face, names[i]) != 0) ++substituted;
    }
    DeleteDC(dc);
    return substituted ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    int result = 2;
    if (command == "tray") result = Tray();
    else if (command == "window" && argc > 2) result = Window(argv[2], argc > 3 ? argv[3] : nullptr);
    else if (command == "titles" && argc > 2) result = Titles(argv[2]);
    else if (command == "tabs" && argc > 2) result = Tabs(argv[2]);
    else if (command == "close" && argc > 2) result = Close(argv[2]);
    else if (command == "fonts" && argc > 2) result = Fonts(argc - 2, argv + 2);
    else std::fprintf(stderr, "usage: window_probe tray | window TITLE [CLASS] | titles CLASS | tabs TITLE | close TITLE | fonts NAME...\n");
    std::fflush(stdout);
    return result;
}
