#include "SingleInstance.h"

#include "GlobalHotkey.h"

namespace {

constexpr char kMutexName[] = "Local\\Tovira.Running";
// How long a second start waits for a copy that holds the mutex but no
// longer has its window (it is ending).
constexpr DWORD kEndingCopyWaitMs = 5000;

// The reach window of another process, or null.
HWND OtherReachWindow(HWND own) {
    HWND found = nullptr;
    while ((found = FindWindowExA(HWND_MESSAGE, found, kReachWindowClass, nullptr)))
        if (found != own) {
            DWORD pid = 0;
            GetWindowThreadProcessId(found, &pid);
            if (pid != GetCurrentProcessId()) return found;
        }
    return nullptr;
}

}  // namespace

TSingleInstance::~TSingleInstance() {
    if (!mutex_) return;
    if (owned_) ReleaseMutex(mutex_);
    CloseHandle(mutex_);
}

bool TSingleInstance::Claim(HWND ownReachWindow) {
    // Owned from the start by the copy that creates it; the reach window was
    // made before, so whoever finds the mutex held also finds the window.
    mutex_ = CreateMutexA(nullptr, TRUE, kMutexName);
    if (!mutex_) return true;  // no way to tell: run rather than refuse
    if (GetLastError() != ERROR_ALREADY_EXISTS) {
        owned_ = true;
        return true;
    }
    if (HWND running = OtherReachWindow(ownReachWindow)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(running, &pid);
        // This copy was just started by the user and may take the front;
        // the running one may then too.
        AllowSetForegroundWindow(pid);
        PostMessageA(running, ShowRequestMessage(), 0, 0);
        return false;
    }
    const DWORD waited = WaitForSingleObject(mutex_, kEndingCopyWaitMs);
    owned_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    return owned_;
}
