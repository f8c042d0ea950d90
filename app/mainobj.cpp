#include "mainobj.h"

#include <mmsystem.h>

#include <iterator>
#include <memory>

#include "ClipboardWrite.h"
#include "Exceptions.h"
#include "ExtCtrls.h"
#include "main.h"

// ===========================================================================
// Clipboard
// ===========================================================================

void PutHtmlOnClipboard(const std::string& prefix, const std::string& path) {
    const UINT htmlFormat = RegisterClipboardFormatA("HTML Format");
    OpenedClipboard clipboard;
    struct Entry {
        UINT format;
        std::string text;
    };
    // Plain text is deliberately offered empty, which leaves it off the clipboard.
    const Entry entries[] = {{htmlFormat, BuildHtmlClipboardPayload(prefix, path)}, {CF_TEXT, ""}};
    if (!EmptyClipboard()) RaiseLastOSError();
    for (const Entry& entry : entries)
        if (!entry.text.empty()) SetClipboardBytes(entry.format, entry.text.c_str(), entry.text.size() + 1);
    clipboard.Close();
}

// ===========================================================================
// Compose window targeting and paste
// ===========================================================================

HWND LastComposeWindow = nullptr;
std::string AppFolder;

// Only the file: a missing or unreadable one plays nothing (not the
// system's default sound), and a name that is also a sound alias is still
// the file.
static void PlaySoundFile(const char* file) { PlaySoundA(file, nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT); }
SoundPlayer PickSoundPlayer = PlaySoundFile;

namespace {

constexpr unsigned char kVkAlt = VK_MENU, kVkCtrl = VK_CONTROL;

// The second key of "Alt+O, then ..." that switches a client to HTML
// editing; 0 for kinds that need no switch.
unsigned char HtmlSwitchKey(int kind) {
    switch (kind) {
        case 1: return 'R';
        case 2: return 'H';
        default: return 0;
    }
}

// The keyboard focus of the window's thread is the window or inside it.
bool ThreadFocusIn(HWND wnd) {
    const DWORD thread = GetWindowThreadProcessId(wnd, nullptr);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!thread || !GetGUIThreadInfo(thread, &info)) return false;
    return info.hwndFocus && (info.hwndFocus == wnd || IsChild(wnd, info.hwndFocus));
}

// Under Wine, SetForegroundWindow on another program's window takes effect
// only when that program next reads its messages, and key strokes arriving
// before are dropped. So wait, bounded, until the window's thread has the
// focus inside it; on Windows this holds at once. Messages sent to this
// thread meanwhile are answered, so the other side never waits on us. The
// focus usually moves within a few milliseconds: it is looked at every
// millisecond (a 10 ms pace made every pick wait 10 ms for nothing).
void WaitForFocusIn(HWND wnd) {
    constexpr DWORD kLimitMs = 1000;
    const DWORD start = GetTickCount();
    // The focus that thread reports can be stale: right after the click
    // that picked activated our window, it may still have to handle being
    // deactivated and then activated again, and key strokes that arrive in
    // between are garbled or lost. A message round trip comes back only
    // once it has handled everything it was sent before, the activation
    // included.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(wnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &ignored);
    for (;;) {
        if (!IsWindow(wnd) || !IsWindowVisible(wnd)) return;  // gone, or going
        if (ThreadFocusIn(wnd)) return;
        if (GetTickCount() - start >= kLimitMs) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// Still there to take key strokes. Under Wine a closing window is hidden
// first and is a window for a while longer.
bool Showing(HWND wnd) { return IsWindow(wnd) && IsWindowVisible(wnd); }

void SwitchToHtmlOnce(HWND wnd, int kind) {
    if (wnd == LastComposeWindow || !DoSetHtmlFlag) return;
    LockWindowUpdate(wnd);
    if (unsigned char key = HtmlSwitchKey(kind)) {
        SendKeyCombo(kVkAlt, 'O');
        SendKeyCombo(0, key);
    }
    LockWindowUpdate(nullptr);
    LastComposeWindow = wnd;
}

// Starts the pick's sound kPickSoundDelayMs after it was asked for, from one
// thread of its own made at the first pick (not a thread-pool timer per
// pick: the pool's threads come and go on their own schedule). Picks closer
// together than the delay play the last one's sound once; a new sound stops
// the one playing anyway.
class DelayedSound {
public:
    // Null when the timer or the thread cannot be had.
    static DelayedSound* Get() {
        // Never destroyed: its thread waits on the timer until the process ends.
        static DelayedSound* const instance = Make();
        return instance;
    }

    void PlaySoon(const std::string& file) {
        AcquireSRWLockExclusive(&lock_);
        file_ = file;
        ReleaseSRWLockExclusive(&lock_);
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(kPickSoundDelayMs) * 10000;  // relative, in 100 ns
        SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE);
    }

private:
    static DelayedSound* Make() {
        auto sound = std::make_unique<DelayedSound>();
        sound->timer_ = CreateWaitableTimerA(nullptr, FALSE, nullptr);
        if (!sound->timer_) return nullptr;
        HANDLE thread = CreateThread(nullptr, 0, Run, sound.get(), 0, nullptr);
        if (!thread) {
            CloseHandle(sound->timer_);
            return nullptr;
        }
        CloseHandle(thread);
        return sound.release();
    }

    static DWORD WINAPI Run(void* self) {
        auto* sound = static_cast<DelayedSound*>(self);
        while (WaitForSingleObject(sound->timer_, INFINITE) == WAIT_OBJECT_0) {
            AcquireSRWLockExclusive(&sound->lock_);
            std::string file;
            file.swap(sound->file_);
            ReleaseSRWLockExclusive(&sound->lock_);
            SoundPlayer play = PickSoundPlayer;
            if (play && !file.empty()) play(file.c_str());
        }
        return 0;
    }

    HANDLE timer_ = nullptr;
    SRWLOCK lock_ = SRWLOCK_INIT;
    std::string file_;
};

// Starts `file` kPickSoundDelayMs from now without holding up this thread;
// at once when no thread for it can be had.
void PlaySoundSoon(const std::string& file) {
    if (DelayedSound* sound = DelayedSound::Get()) sound->PlaySoon(file);
    else if (SoundPlayer play = PickSoundPlayer) play(file.c_str());
}

void ShowNoComposeNotice() {
    if (!NoticePanel) return;
    NoticePanel->Show();
    NoticePanel->Repaint();
    Sleep(1000);
    NoticePanel->Hide();
}

}  // namespace

int ComposeClientKind() {
    for (int i = 0; i < 3; ++i)
        if (FindWindowA(ComposeClasses[i], nullptr)) return i + 1;
    return 0;
}

void SendKeyCombo(unsigned char modifier, unsigned char key) {
    auto send = [](unsigned char code, DWORD flags) {
        keybd_event(code, static_cast<BYTE>(MapVirtualKeyA(code, 0)), flags, 0);
    };
    if (modifier != 0) send(modifier, 0);
    send(key, 0);
    send(key, KEYEVENTF_KEYUP);
    if (modifier != 0) send(modifier, KEYEVENTF_KEYUP);
}

void PasteIntoCompose() noexcept { PasteIntoTarget(FindComposeTarget()); }

void PasteIntoTarget(const PickTarget& target) noexcept {
    try {
        const HWND wnd = target.window;
        if (target.decision.route == PickRoute::Notice || !wnd) {
            ShowNoComposeNotice();
            return;
        }
        const bool compose = target.decision.route == PickRoute::Compose;
        SetForegroundWindow(wnd);
        WaitForFocusIn(wnd);
        // Keys go only into the target: a window that closed, hid, or did
        // not come to the front (or, for a compose window, whose thread did
        // not take the focus) gets none, since they would land in whatever
        // program has the focus now.
        if (!Showing(wnd) || GetForegroundWindow() != wnd || (compose && !ThreadFocusIn(wnd))) {
            ShowNoComposeNotice();
            return;
        }
        if (compose) {
            SwitchToHtmlOnce(wnd, target.decision.kind);
            if (!Showing(wnd)) return;
        }
        SendKeyCombo(kVkCtrl, 'V');
        if (SoundOnFlag) PlaySoundSoon(AppFolder + "sound.wav");
    } catch (...) {
        // Pasting is best effort; a failure here must not end the pick.
    }
}
