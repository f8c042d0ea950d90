// Reaching the running program without the mouse: the global hotkey and the
// request of a second start to show the window. Both arrive at one
// message-only window that a second start finds by its class.
#pragma once
#include <windows.h>

#include <string>

#include "Events.h"

class TObject;

// The message a second start posts to the running copy's reach window.
UINT ShowRequestMessage();
// The class of the reach window.
constexpr char kReachWindowClass[] = "Tovira.Reach";

class TGlobalHotkey {
public:
    // Makes the reach window (no hotkey yet).
    TGlobalHotkey();
    ~TGlobalHotkey();
    TGlobalHotkey(const TGlobalHotkey&) = delete;
    TGlobalHotkey& operator=(const TGlobalHotkey&) = delete;

    HWND Handle() const { return window_; }

    // Registers the option value `setting` (see HotkeyText.h) as this
    // session's hotkey, replacing an earlier one. Returns the notice for the
    // user when it cannot be parsed or the combination is held elsewhere
    // (the program then has no hotkey); empty when registered, or when the
    // value is empty (no hotkey wanted).
    std::string Register(const std::string& setting);
    bool Registered() const { return registered_; }

    // The hotkey was pressed; the argument is the window that was in front
    // at that moment (taken before anything else can take the front).
    TEvent<HWND> OnHotkey;
    // A second start asked to show the window.
    TNotifyEvent OnShowRequest;
    // What came while the slots were still empty (the program is starting)
    // goes to them now, once; the last press or request counts.
    void DeliverEarlyInput();

private:
    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
    void Unregister();

    HWND window_ = nullptr;
    bool registered_ = false;
    bool earlyPress_ = false;
    HWND earlyPressFront_ = nullptr;
    bool earlyShowRequest_ = false;
};
