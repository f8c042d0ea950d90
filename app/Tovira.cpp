// The program body.
#include <windows.h>

#include "Forms.h"
#include "main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    try {
        Application->Initialize();
        Application->SetTitle("Tovira 1.0");
        frmMain = Application->CreateForm<TfrmMain>(Application);
    } catch (const std::exception& e) {
        Application->HandleException(e);
        return 1;
    }
    Application->Run();
    return 0;
}
