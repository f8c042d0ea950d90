// The window a pick goes to, found once per pick: the clipboard content and
// the key strokes both follow from it (PickDecision has the rules).
#pragma once
#include <windows.h>

#include "PickDecision.h"

struct PickTarget {
    PickDecision decision;
    HWND window = nullptr;  // null for the Notice route
};

// Looks at the windows now: the hotkey's target, the compose windows, the
// last other window in front, and the option "Paste into other programs".
PickTarget FindPickTarget();

// Only what the mail-client rules see: the compose window of the class
// table, else the fallback window, else none.
PickTarget FindComposeTarget();
