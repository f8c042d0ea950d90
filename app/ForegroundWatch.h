// Follows which window is in front, so a pick can go back to the program the
// user was in before Tovira's window showed. An out-of-context event hook:
// the system tells the thread's message loop when the foreground changes;
// nothing runs while nothing changes.
#pragma once
#include <windows.h>

// Starts following (once; later calls do nothing). The calling thread must
// run a message loop.
void StartForegroundWatch();
void StopForegroundWatch();

// Notes the window in front now, if it is another program's: called as this
// program's window is about to show. (Wine, for one, raises no foreground
// events for other programs' windows, so the hook alone would miss them.)
void NoteForegroundWindow();

// The last window of another program that came to the front (or was in
// front when the watch started); null when none yet. It may have closed
// since.
HWND LastOtherForegroundWindow();

// Whether `wnd` belongs to this process.
bool IsOwnWindow(HWND wnd);
