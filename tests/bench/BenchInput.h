// Input for the benchmark: pointer moves through the X server (xdotool, as
// a user's mouse; not timed) and left clicks injected with SendInput at the
// pointer, so that the moment of the click is known on this side.
#pragma once
#include <windows.h>

#include "ProgramUnderTest.h"

// A left press and release where the pointer is now.
inline bool ClickHere() {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

// Moves the pointer (the X server's, which Wine follows) and waits until
// this side sees it there.
inline bool PointTo(POINT p) { return ProgramUnderTest::MovePointer(p); }

inline POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
