// The program body.
#include <windows.h>
#include <ole2.h>

#include "Forms.h"
#include "GlobalHotkey.h"
#include "SingleInstance.h"
#include "main.h"

namespace {
int RunApplication() {
    // A second start hands over to the running copy before it makes or
    // writes anything (no window, no tray icon, no options file).
    TGlobalHotkey reach;
    TSingleInstance instance;
    if (!instance.Claim(reach.Handle())) return 0;

    // Registered before the window is made: a press while the program starts
    // is kept until the window is there.
    const std::string notice = reach.Register(TfrmMain::ReadHotkeyOption());

    TApplication application;
    try {
        Application->Initialize();
        Application->SetTitle("Tovira 1.0");
        CheckAppFolder();
        frmMain = Application->CreateForm<TfrmMain>(Application);
    } catch (const std::exception& e) {
        Application->HandleException(e);
        return 1;
    }
    reach.OnHotkey = TEvent<HWND>::Bind<TfrmMain, &TfrmMain::HotkeyPressed>(frmMain);
    reach.OnShowRequest = TNotifyEvent::Bind<TfrmMain, &TfrmMain::ShowRequested>(frmMain);
    // A value that cannot be used is told once; the program runs without a hotkey.
    if (!notice.empty()) Application->ShowException(notice);
    reach.DeliverEarlyInput();
    Application->Run();
    // The forms go with the application object, before the reach window.
    reach.OnHotkey.Clear();
    reach.OnShowRequest.Clear();
    reach.Register("");
    return 0;
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // OLE for the window thread before anything that may use it (the shell
    // calls, the browser pages), whether or not a browser page is ever made;
    // ended after the application and everything it owned are gone.
    const HRESULT ole = OleInitialize(nullptr);
    const int result = RunApplication();
    if (SUCCEEDED(ole)) OleUninitialize();
    return result;
}
