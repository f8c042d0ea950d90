// Where a pick goes: the decision, made once per pick from facts about the
// windows, with no window of its own. No windows.h here.
#pragma once
#include <string>

// How a pick delivers its picture.
enum class PickRoute {
    Compose,  // a mail compose window: the "HTML Format" fragment, the HTML switch, Ctrl+V
    Picture,  // any other program: the picture itself ("PNG" and a bitmap), Ctrl+V
    Notice,   // nowhere: the fragment stays on the clipboard, the notice shows
};

// Which window the pick goes to.
enum class PickWindow {
    None,
    Hotkey,          // HotkeyTarget: the window in front when the hotkey showed the main window
    Compose,         // the compose window found by the class table or the fallback
    LastForeground,  // the last other program's window in front before the main window showed
};

struct PickDecision {
    PickRoute route = PickRoute::Notice;
    PickWindow window = PickWindow::None;
    // The client kind for the Compose route: 1..3 by the class table, 0 for
    // the fallback window.
    int kind = 0;
};

// The compose-window class table: the class of client kind k (1..3) is
// ComposeClasses[k - 1]; looked for in this order.
extern const char* const ComposeClasses[3];
// Looked for only when no window of the table exists; its kind is 0.
constexpr const char* kFallbackComposeClass = "AfxFrameOrView42";
constexpr const char* kFallbackComposeTitle = "New Message";

// The client kind of a window of this class and title: 1 "ATH_Note",
// 2 "rctrl_renwnd32", 3 "MozillaWindowClass", 0 for the fallback window
// ("AfxFrameOrView42" titled exactly "New Message"), -1 for any other.
int ComposeKindOf(const std::string& className, const std::string& title);

// What is known about the windows at the moment of the pick.
struct PickFacts {
    // The main window was shown by the hotkey and its target still exists
    // (and belongs to another program).
    bool hotkeyTargetExists = false;
    // ComposeKindOf the hotkey target.
    int hotkeyTargetKind = -1;
    // The class table and the fallback found a compose window, of this kind.
    bool composeFound = false;
    int composeKind = 0;
    // The option "Paste into other programs".
    bool pasteAnywhere = true;
    // The last other program's window in front before the main window was
    // shown still exists, is visible and is not this program's.
    bool lastForegroundUsable = false;
};

// Shown by the hotkey: its target, if it still exists (the compose path when
// it is a compose window; the picture when it is another program's and the
// option is on). Otherwise, as through the tray icon: the compose window of
// the class table or the fallback; failing that, with the option on, the last
// other window that was in front; failing that, the notice.
PickDecision DecidePickTarget(const PickFacts& facts) noexcept;
