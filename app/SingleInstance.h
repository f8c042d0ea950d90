// One running Tovira per user session: a named mutex in the session's
// namespace marks the running copy; a second start asks that copy to show
// its window and gives way.
#pragma once
#include <windows.h>

class TSingleInstance {
public:
    TSingleInstance() = default;
    ~TSingleInstance();
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // Claims the session for this copy, whose reach window (GlobalHotkey.h)
    // already exists. When another copy holds it, that copy is asked to show
    // its window and false comes back: this copy should end without doing
    // anything else. A copy that is just ending (its window already gone)
    // is waited for, a few seconds at most, and then this one runs.
    bool Claim(HWND ownReachWindow);

private:
    HANDLE mutex_ = nullptr;
    bool owned_ = false;
};
