// The program body.
#include <windows.h>
#include <ole2.h>

#include "Forms.h"
#include "main.h"

namespace {
int RunApplication() {
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
    Application->Run();
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
