// Writing the clipboard: holding it open, and handing it bytes. Every
// failure raises EOSError; the clipboard is closed on every way out.
#pragma once
#include <windows.h>

#include <cstddef>

// Holds the clipboard open (no owner window); closes it unchecked when an
// error leaves early.
class OpenedClipboard {
public:
    OpenedClipboard();
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    ~OpenedClipboard();
    // The normal way out, where a failed close is reported like any other step.
    void Close();

private:
    bool open_ = true;
};

// Copies `size` bytes into movable global memory and hands it to the open
// clipboard under `format`; the clipboard owns it from then on.
void SetClipboardBytes(UINT format, const void* bytes, size_t size);
