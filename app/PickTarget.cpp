#include "PickTarget.h"

#include <string>

#include "ForegroundWatch.h"
#include "main.h"

namespace {

std::string ClassOf(HWND wnd) {
    char name[256];
    const int length = GetClassNameA(wnd, name, sizeof name);
    return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

std::string TitleOf(HWND wnd) {
    char title[256];
    const int length = GetWindowTextA(wnd, title, sizeof title);
    return length > 0 ? std::string(title, static_cast<size_t>(length)) : std::string();
}

// The first window of the class table, else the fallback window; its kind.
HWND FindComposeWindow(int& kind) {
    for (int i = 0; i < 3; ++i) {
        if (HWND wnd = FindWindowA(ComposeClasses[i], nullptr)) {
            kind = i + 1;
            return wnd;
        }
    }
    kind = 0;
    return FindWindowA(kFallbackComposeClass, kFallbackComposeTitle);
}

bool OtherProgramsWindow(HWND wnd) { return wnd && IsWindow(wnd) && !IsOwnWindow(wnd); }

HWND WindowFor(PickWindow which, HWND hotkey, HWND compose, HWND last) {
    switch (which) {
        case PickWindow::Hotkey: return hotkey;
        case PickWindow::Compose: return compose;
        case PickWindow::LastForeground: return last;
        case PickWindow::None: break;
    }
    return nullptr;
}

}  // namespace

PickTarget FindPickTarget() {
    PickFacts facts;
    facts.pasteAnywhere = PasteAnywhereFlag;
    const HWND hotkey = HotkeyTarget;
    if (OtherProgramsWindow(hotkey)) {
        facts.hotkeyTargetExists = true;
        facts.hotkeyTargetKind = ComposeKindOf(ClassOf(hotkey), TitleOf(hotkey));
    }
    const HWND compose = FindComposeWindow(facts.composeKind);
    facts.composeFound = compose != nullptr;
    const HWND last = LastOtherForegroundWindow();
    facts.lastForegroundUsable = OtherProgramsWindow(last) && IsWindowVisible(last);
    PickTarget target;
    target.decision = DecidePickTarget(facts);
    target.window = WindowFor(target.decision.window, hotkey, compose, last);
    return target;
}

PickTarget FindComposeTarget() {
    PickFacts facts;
    facts.pasteAnywhere = false;
    const HWND compose = FindComposeWindow(facts.composeKind);
    facts.composeFound = compose != nullptr;
    PickTarget target;
    target.decision = DecidePickTarget(facts);
    target.window = compose;
    return target;
}
