// A small assistive-technology client for the accessibility tests: it looks
// at a window of another process through oleacc, as a screen reader does.
//
//   msaa_peer walk HWND OUT [SELECT]
//     AccessibleObjectFromWindow(HWND, OBJID_CLIENT) and a walk over its
//     children; with SELECT, accSelect(take selection) on that child id
//     first. Writes OUT (through OUT.part, renamed when complete):
//       object <hresult>
//       self <role> <name>
//       count <n>
//       child <id> <role> <state hex> <location hresult> <left> <top> <width> <height> <name>
//       focus <vt> <value>
//       selection <vt> <value>
//       hit <vt> <value>        accHitTest at the middle of child 1
//       done
//   msaa_peer events PID OUT
//     Listens to focus and selection events of process PID (out of
//     context) and appends one line per event, flushed at once:
//       ready
//       event <focus|selection> <child id> <name>   (the name through
//                                                   AccessibleObjectFromEvent)
//     Ends after 60 seconds or when OUT.stop exists.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Narrow(BSTR text) {
    if (!text) return "";
    const int n = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, out.data(), n, nullptr, nullptr);
    out.resize(out.size() - 1);
    return out;
}

VARIANT Child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string Variant(const VARIANT& v) {
    char text[64];
    std::snprintf(text, sizeof text, "%d %ld", v.vt, v.vt == VT_I4 ? v.lVal : 0L);
    return text;
}

int Walk(HWND wnd, const std::string& out, long select) {
    std::string report;
    char line[1024];
    IAccessible* acc = nullptr;
    HRESULT hr = AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                            reinterpret_cast<void**>(&acc));
    std::snprintf(line, sizeof line, "object %08lx\n", static_cast<unsigned long>(hr));
    report += line;
    if (SUCCEEDED(hr) && acc) {
        if (select > 0) acc->accSelect(SELFLAG_TAKESELECTION, Child(select));
        VARIANT self = Child(CHILDID_SELF), role;
        BSTR name = nullptr;
        acc->get_accRole(self, &role);
        acc->get_accName(self, &name);
        std::snprintf(line, sizeof line, "self %ld %s\n", role.vt == VT_I4 ? role.lVal : -1L, Narrow(name).c_str());
        report += line;
        SysFreeString(name);
        long count = -1;
        acc->get_accChildCount(&count);
        std::snprintf(line, sizeof line, "count %ld\n", count);
        report += line;
        long hitX = -1, hitY = -1;
        for (long id = 1; id <= count; ++id) {
            VARIANT child = Child(id), childRole, state;
            VariantInit(&childRole);
            VariantInit(&state);
            BSTR childName = nullptr;
            acc->get_accName(child, &childName);
            acc->get_accRole(child, &childRole);
            acc->get_accState(child, &state);
            long l = 0, t = 0, w = 0, h = 0;
            const HRESULT where = acc->accLocation(&l, &t, &w, &h, child);
            if (id == 1) {
                hitX = l + w / 2;
                hitY = t + h / 2;
            }
            std::snprintf(line, sizeof line, "child %ld %ld %lx %08lx %ld %ld %ld %ld %s\n", id,
                          childRole.vt == VT_I4 ? childRole.lVal : -1L, state.vt == VT_I4 ? state.lVal : 0L,
                          static_cast<unsigned long>(where), l, t, w, h, Narrow(childName).c_str());
            report += line;
            SysFreeString(childName);
        }
        VARIANT focus, selection, hit;
        VariantInit(&focus);
        VariantInit(&selection);
        VariantInit(&hit);
        acc->get_accFocus(&focus);
        acc->get_accSelection(&selection);
        acc->accHitTest(hitX, hitY, &hit);
        report += "focus " + Variant(focus) + "\n";
        report += "selection " + Variant(selection) + "\n";
        report += "hit " + Variant(hit) + "\n";
        acc->Release();
    }
    report += "done\n";
    const std::string part = out + ".part";
    FILE* f = std::fopen(part.c_str(), "wb");
    if (!f) return 1;
    std::fputs(report.c_str(), f);
    std::fclose(f);
    return MoveFileExA(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}

FILE* eventLog = nullptr;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
    IAccessible* acc = nullptr;
    VARIANT id;
    VariantInit(&id);
    std::string name;
    if (SUCCEEDED(AccessibleObjectFromEvent(wnd, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc, &id)) &&
        acc) {
        BSTR text = nullptr;
        if (SUCCEEDED(acc->get_accName(id, &text))) name = Narrow(text);
        SysFreeString(text);
        acc->Release();
    }
    std::fprintf(eventLog, "event %s %ld %s\n", event == EVENT_OBJECT_FOCUS ? "focus" : "selection",
                 static_cast<long>(child), name.c_str());
    std::fflush(eventLog);
}

int Events(DWORD pid, const std::string& out) {
    eventLog = std::fopen(out.c_str(), "ab");
    if (!eventLog) return 1;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, OnEvent, pid, 0,
                                         WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    std::fprintf(eventLog, hook ? "ready\n" : "nohook\n");
    std::fflush(eventLog);
    const std::string stop = out + ".stop";
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 60000 && GetFileAttributesA(stop.c_str()) == INVALID_FILE_ATTRIBUTES) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
    if (hook) UnhookWinEvent(hook);
    std::fclose(eventLog);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 2;
    if (__argc >= 4 && std::string(__argv[1]) == "walk") {
        HWND wnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoul(__argv[2], nullptr, 10)));
        result = Walk(wnd, __argv[3], __argc >= 5 ? std::strtol(__argv[4], nullptr, 10) : 0);
    } else if (__argc >= 4 && std::string(__argv[1]) == "events") {
        result = Events(static_cast<DWORD>(std::strtoul(__argv[2], nullptr, 10)), __argv[3]);
    }
    CoUninitialize();
    return result;
}
