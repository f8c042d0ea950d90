// A window procedure bound to one object: a few bytes of machine code that
// put the object in place of the window handle and jump to a static entry.
// Lets a component replace a window's procedure (SetWindowLongA) with one of
// its own while several instances hook the same window.
#pragma once
#include <windows.h>

class TWndProcStub {
public:
    // `entry` is called with `target` in place of the window handle.
    using Entry = LRESULT(CALLBACK*)(HWND target, UINT msg, WPARAM wp, LPARAM lp);

    TWndProcStub(void* target, Entry entry);
    ~TWndProcStub();
    TWndProcStub(const TWndProcStub&) = delete;
    TWndProcStub& operator=(const TWndProcStub&) = delete;

    WNDPROC Proc() const { return reinterpret_cast<WNDPROC>(code_); }

private:
    unsigned char* code_ = nullptr;
};
