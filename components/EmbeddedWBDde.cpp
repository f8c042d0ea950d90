// The browser host's DDE switch: the command names read at construction and
// the hidden window that would take the shell's DDE conversations. The
// service stays off unless EnableDDE is set; even then it only answers the
// conversation's opening and closing and declines commands.
#include <dde.h>

#include "EmbeddedWB.h"

namespace {
constexpr const char* kDdeWindowClass = "Tovira.DdeWindow";
constexpr UINT kDdeAckTimeoutMs = 1000;

// The default value of `root`\`path`: empty when the key or value is
// missing; false (stop reading) when the value cannot be read as text.
bool ReadDefault(HKEY root, const char* path, std::string& out) {
    out.clear();
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
    char buffer[1024];
    DWORD type = 0, size = sizeof buffer - 1;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc == ERROR_FILE_NOT_FOUND) return true;
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    buffer[size] = '\0';
    out = buffer;
    return true;
}
}  // namespace

TDdeNames ReadDdeNames(HKEY root) noexcept {
    TDdeNames names;
    try {
        std::string command;
        if (!ReadDefault(root, "htmlfile\\shell\\open\\ddeexec\\application", names.HtmlApplication)) return names;
        if (!ReadDefault(root, "htmlfile\\shell\\open\\ddeexec\\topic", names.HtmlTopic)) return names;
        if (!ReadDefault(root, "Folder\\shell\\open\\ddeexec\\application", names.FolderApplication)) return names;
        if (!ReadDefault(root, "Folder\\shell\\open\\ddeexec\\topic", names.FolderTopic)) return names;
        if (!ReadDefault(root, "Folder\\shell\\open\\ddeexec", command)) return names;
        names.FolderOpenCommand = DdeCommandName(command);
        if (!ReadDefault(root, "Folder\\shell\\explore\\ddeexec", command)) return names;
        names.FolderExploreCommand = DdeCommandName(command);
        if (!ReadDefault(root, "Directory\\shell\\find\\ddeexec", command)) return names;
        names.FindCommand = DdeCommandName(command);
    } catch (...) {
    }
    return names;
}

void TEmbeddedWB::CreateDdeWindow() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DdeWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kDdeWindowClass;
        if (!RegisterClassA(&wc)) RaiseLastOSError();
        registered = true;
    }
    ddeWindow_ = CreateWindowExA(WS_EX_TOOLWINDOW, kDdeWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    if (!ddeWindow_) RaiseLastOSError();
    SetWindowLongPtrA(ddeWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK TEmbeddedWB::DdeWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TEmbeddedWB*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!self || msg < WM_DDE_FIRST || msg > WM_DDE_LAST) return DefWindowProcA(wnd, msg, wp, lp);
    try {
        return self->DdeMessage(msg, wp, lp);
    } catch (...) {
        HandleCallbackException();
        return 0;
    }
}

LRESULT TEmbeddedWB::DdeMessage(UINT msg, WPARAM wp, LPARAM lp) {
    HWND client = reinterpret_cast<HWND>(wp);
    if (msg == WM_DDE_INITIATE) {
        if (!EnableDDE) return DefWindowProcA(ddeWindow_, msg, wp, lp);
        char app[256] = {}, topic[256] = {};
        GlobalGetAtomNameA(LOWORD(lp), app, sizeof app);
        GlobalGetAtomNameA(HIWORD(lp), topic, sizeof topic);
        auto matches = [&](const std::string& a, const std::string& t) {
            return !a.empty() && lstrcmpiA(app, a.c_str()) == 0 && lstrcmpiA(topic, t.c_str()) == 0;
        };
        if (matches(ddeNames_.HtmlApplication, ddeNames_.HtmlTopic) ||
            matches(ddeNames_.FolderApplication, ddeNames_.FolderTopic)) {
            ATOM a = GlobalAddAtomA(app), t = GlobalAddAtomA(topic);
            // Bounded: a client that stops answering must not hold up this thread.
            DWORD_PTR answer = 0;
            if (!SendMessageTimeoutA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(ddeWindow_), MAKELPARAM(a, t),
                                     SMTO_ABORTIFHUNG, kDdeAckTimeoutMs, &answer) ||
                !answer) {
                GlobalDeleteAtom(a);
                GlobalDeleteAtom(t);
            }
        }
        return 0;
    }
    if (!EnableDDE) return DefWindowProcA(ddeWindow_, msg, wp, lp);
    if (msg == WM_DDE_EXECUTE) {
        // Commands are declined: a negative acknowledgement hands the data back.
        LPARAM ack = PackDDElParam(WM_DDE_ACK, 0, static_cast<UINT_PTR>(lp));
        if (!PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(ddeWindow_), ack)) FreeDDElParam(WM_DDE_ACK, ack);
        return 0;
    }
    if (msg == WM_DDE_TERMINATE) PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(ddeWindow_), 0);
    return 0;
}
