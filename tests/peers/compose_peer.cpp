// A stand-in mail compose window for the paste tests.
//
//   compose_peer --class NAME --title TITLE --log FILE [--ready FILE]
//                [--hold-clipboard] [--close-on-activate] [--hang-on-activate SECONDS]
//                [--lifetime SECONDS] [--stamps]
//
// Opens a visible top-level window of class NAME titled TITLE and appends one
// line per event to FILE, flushed at once:
//   key <down|up> <sys|plain> <vk>     every WM_(SYS)KEYDOWN / WM_(SYS)KEYUP;
//                                      vk in decimal ("sys" for WM_SYSKEY*)
//   html <size> <hex>                  on Ctrl+V: the clipboard's "HTML Format"
//                                      memory, all <size> bytes (GlobalSize) as
//                                      lower-case hex, terminating zero included
//   html none | html locked            on Ctrl+V without that format / unreadable
//   clipboard held                     with --hold-clipboard, once it is open
//   activate on|off, focus on|off      WM_ACTIVATE / WM_SETFOCUS / WM_KILLFOCUS
// --stamps: each key line ends in one more field, the moment the window
//   procedure got the message: QueryPerformanceCounter in microseconds, a
//   clock all processes of the machine share (for latency figures).
// --ready FILE: written (window handle in decimal) once the window exists and,
//   with --hold-clipboard, the clipboard is held.
// --hold-clipboard: keeps the clipboard open from start to end, as a busy
//   program would.
// --lifetime: ends by itself after that many seconds (default 120), so a
//   failed test cannot leave it behind.
// --bounds X,Y,W,H: where the window goes (default 100,100,320,200).
// --close-on-activate: once it has lost the activation it had at start,
//   closes the moment it is activated again (logging "closing"), as a
//   compose window that the user sends or closes right when a paste brings
//   it to the front.
// --hang-on-activate SECONDS: the same moment, stops answering instead
//   (logging "hanging"): its thread sleeps that long, as a compose window
//   whose program hangs.
// The window also shows what it received (key strokes, the pasted fragment),
// so a screenshot tells the story.
// The window ends on WM_CLOSE. Alt key combinations never start menu mode
// here, so every key stroke reaches the window procedure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>

#include "peer_common.h"

namespace {

FILE* logFile = nullptr;
bool stamps = false;
bool closeOnActivate = false;
unsigned hangSeconds = 0;
bool armed = false;  // closes (or hangs) at the next activation
constexpr UINT_PTR kLifetimeTimer = 1;

// What the window shows: the key strokes received so far on one line, then
// the last pasted fragment.
std::string shownKeys;
std::string shownPaste;

std::string KeyName(WPARAM vk) {
    switch (vk) {
        case VK_CONTROL: return "Ctrl";
        case VK_MENU: return "Alt";
        case VK_SHIFT: return "Shift";
        default:
            if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return std::string(1, static_cast<char>(vk));
            return "#" + std::to_string(static_cast<unsigned>(vk));
    }
}

// The part of an "HTML Format" payload between its fragment markers.
std::string FragmentOf(const std::string& payload) {
    const std::string start = "<!--StartFragment-->", end = "<!--EndFragment-->";
    const size_t from = payload.find(start);
    if (from == std::string::npos) return payload;
    const size_t to = payload.find(end, from);
    return payload.substr(from + start.size(), to == std::string::npos ? std::string::npos : to - from - start.size());
}

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    InflateRect(&r, -8, -8);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    const std::string text = "Keys received: " + (shownKeys.empty() ? std::string("none") : shownKeys) +
                             "\r\n\r\nPasted HTML fragment:\r\n" +
                             (shownPaste.empty() ? std::string("none") : shownPaste);
    DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(dc, old);
    EndPaint(wnd, &ps);
}

void LogLine(const std::string& line) {
    if (!logFile) return;
    std::fputs(line.c_str(), logFile);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

std::string ReadHtmlFormat(HWND wnd) {
    const UINT format = RegisterClipboardFormatA("HTML Format");
    if (!OpenClipboard(wnd)) return "html locked";
    std::string line = "html none";
    if (HANDLE data = GetClipboardData(format)) {
        const SIZE_T size = GlobalSize(data);
        if (const auto* bytes = static_cast<const unsigned char*>(GlobalLock(data))) {
            shownPaste = FragmentOf(std::string(reinterpret_cast<const char*>(bytes), strnlen(
                reinterpret_cast<const char*>(bytes), size)));
            line = "html " + std::to_string(size) + " ";
            char hex[3];
            for (SIZE_T i = 0; i < size; ++i) {
                std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
                line += hex;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return line;
}

void LogKey(UINT msg, WPARAM vk, double arrivedUs) {
    const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    const bool sys = msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP;
    std::string line = std::string("key ") + (down ? "down " : "up ") + (sys ? "sys " : "plain ") +
                       std::to_string(static_cast<unsigned>(vk));
    if (stamps) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, " %.1f", arrivedUs);
        line += stamp;
    }
    LogLine(line);
}

LRESULT CALLBACK PeerWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const double arrivedUs = stamps ? peer::NowMicroseconds() : 0;
    switch (msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            LogKey(msg, wp, arrivedUs);
            if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
                shownKeys += (shownKeys.empty() ? "" : " ") + KeyName(wp);
                InvalidateRect(wnd, nullptr, TRUE);
            }
            if (msg == WM_KEYDOWN && wp == 'V' && GetKeyState(VK_CONTROL) < 0) LogLine(ReadHtmlFormat(wnd));
            return 0;
        case WM_ACTIVATE:
            LogLine(LOWORD(wp) == WA_INACTIVE ? "activate off" : "activate on");
            if ((closeOnActivate || hangSeconds) && LOWORD(wp) == WA_INACTIVE) armed = true;
            if (armed && LOWORD(wp) != WA_INACTIVE && hangSeconds) {
                armed = false;
                LogLine("hanging");
                Sleep(hangSeconds * 1000);
                break;
            }
            if (armed && LOWORD(wp) != WA_INACTIVE) {
                LogLine("closing");
                DestroyWindow(wnd);
                return 0;
            }
            break;
        case WM_SETFOCUS:
            LogLine("focus on");
            return 0;
        case WM_KILLFOCUS:
            LogLine("focus off");
            return 0;
        case WM_PAINT:
            Paint(wnd);
            return 0;
        case WM_SYSCHAR:
            return 0;  // no menu to drop down, and no beep
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
            break;
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

struct Options {
    std::string className = "ComposePeer";
    std::string title = "Compose";
    std::string log;
    std::string ready;
    bool holdClipboard = false;
    bool stamps = false;
    bool closeOnActivate = false;
    unsigned lifetimeSeconds = 120;
    unsigned hangSeconds = 0;
    RECT bounds{100, 100, 320, 200};  // left, top, width, height
};

Options ParseArgs() {
    Options options;
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        if (arg == "--hold-clipboard" || arg == "--stamps") {
            (arg == "--stamps" ? options.stamps : options.holdClipboard) = true;
            continue;
        }
        if (arg == "--close-on-activate") {
            options.closeOnActivate = true;
            continue;
        }
        if (i + 1 >= __argc) break;
        const char* value = __argv[++i];
        if (arg == "--class") options.className = value;
        else if (arg == "--title") options.title = value;
        else if (arg == "--log") options.log = value;
        else if (arg == "--ready") options.ready = value;
        else if (arg == "--bounds")
            std::sscanf(value, "%ld,%ld,%ld,%ld", &options.bounds.left, &options.bounds.top, &options.bounds.right,
                        &options.bounds.bottom);
        else if (arg == "--hang-on-activate") options.hangSeconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
        else if (arg == "--lifetime") options.lifetimeSeconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    }
    return options;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const Options options = ParseArgs();
    if (!options.log.empty()) logFile = std::fopen(options.log.c_str(), "a");
    stamps = options.stamps;

    WNDCLASSA wc{};
    wc.lpfnWndProc = PeerWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.className.c_str();
    if (!RegisterClassA(&wc)) return 1;

    HWND wnd = CreateWindowExA(0, options.className.c_str(), options.title.c_str(), WS_OVERLAPPEDWINDOW,
                               options.bounds.left, options.bounds.top, options.bounds.right, options.bounds.bottom, nullptr, nullptr, instance, nullptr);
    if (!wnd) return 1;
    closeOnActivate = options.closeOnActivate;
    hangSeconds = options.hangSeconds;
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    SetTimer(wnd, kLifetimeTimer, options.lifetimeSeconds * 1000, nullptr);

    if (options.holdClipboard) {
        if (!OpenClipboard(wnd)) return 1;
        LogLine("clipboard held");
    }
    peer::WriteReadyFile(options.ready, wnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (options.holdClipboard) CloseClipboard();
    if (logFile) std::fclose(logFile);
    return 0;
}
