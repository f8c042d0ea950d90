#include "ClipboardWrite.h"

#include "Exceptions.h"

OpenedClipboard::OpenedClipboard() {
    if (!OpenClipboard(nullptr)) RaiseLastOSError();
}

OpenedClipboard::~OpenedClipboard() {
    if (open_) CloseClipboard();
}

void OpenedClipboard::Close() {
    open_ = false;
    if (!CloseClipboard()) RaiseLastOSError();
}

void SetClipboardBytes(UINT format, const void* bytes, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
    if (!memory) RaiseLastOSError();
    void* target = GlobalLock(memory);
    if (!target) {
        const DWORD code = GetLastError();
        GlobalFree(memory);
        RaiseOSError(code);
    }
    CopyMemory(target, bytes, size);
    GlobalUnlock(memory);
    // Until SetClipboardData succeeds the memory is still ours to free.
    if (!SetClipboardData(format, memory)) {
        const DWORD code = GetLastError();
        GlobalFree(memory);
        RaiseOSError(code);
    }
}
