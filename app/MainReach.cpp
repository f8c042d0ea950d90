// The main window reached without the mouse: the global hotkey, a second
// start of the program, Esc, and the option "Start with Windows".
#include <windows.h>

#include "ComCtrls.h"
#include "CoolTrayIcon.h"
#include "IconPageText.h"
#include "Menus.h"
#include "PictureView.h"
#include "StartWithWindows.h"
#include "main.h"
#include "mainobj.h"

namespace {

bool OwnWindow(HWND wnd) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    return pid == GetCurrentProcessId();
}

// While a dialog of the program is up, the main window waits for it: the
// dialog comes to the front instead.
bool DialogUp(HWND main) {
    if (IsWindowEnabled(main)) return false;
    if (HWND popup = GetLastActivePopup(Application->Handle())) SetForegroundWindow(popup);
    return true;
}

// The picture that takes the keyboard: the last pick when it is on this
// page, else the first picture that can be picked (read as far as needed).
void FocusStartPicture(TPictureView& view) {
    if (!LastPickedPicture.empty())
        for (int i = 0; i < view.Count(); ++i)
            if (lstrcmpiA(ForwardSlashPath(view.File(i)).c_str(), LastPickedPicture.c_str()) == 0) {
                view.SetFocusIndex(i);
                if (view.FocusIndex() == i) return;
                break;
            }
    for (int i = 0; i < view.Count(); ++i) {
        view.SetFocusIndex(i);
        if (view.FocusIndex() == i) return;
    }
}

}  // namespace

void TfrmMain::HotkeyPressed(HWND front) {
    if (DialogUp(Handle())) return;
    if (Visible()) {
        HideGivingFrontBack();
        return;
    }
    HotkeyTarget = front && !OwnWindow(front) ? front : nullptr;
    ShowForKeyboard();
}

void TfrmMain::ShowRequested(TObject*) {
    if (DialogUp(Handle())) return;
    HotkeyTarget = nullptr;
    ShowForKeyboard();
}

void TfrmMain::doescapeExecute(TObject*) { HideGivingFrontBack(); }

void TfrmMain::ShowForKeyboard() {
    // Where the tray icon shows it: on the taskbar's monitor, wherever the pointer is.
    RECT taskbar{};
    const HWND tray = FindWindowA("Shell_TrayWnd", nullptr);
    const bool found = tray && GetWindowRect(tray, &taskbar);
    const POINT trayCentre{(taskbar.left + taskbar.right) / 2, (taskbar.top + taskbar.bottom) / 2};
    ShowInTrayCorner(found ? &trayCentre : nullptr);
    // Revealing a hidden window brings it to the front; one already shown
    // is brought there here.
    SetForegroundWindow(Application->Handle());
    SetForegroundWindow(Handle());
    FocusPictures();
}

void TfrmMain::HideGivingFrontBack() {
    HideToTray();
    if (HotkeyTarget && IsWindow(HotkeyTarget)) SetForegroundWindow(HotkeyTarget);
}

void TfrmMain::FocusPictures() {
    TTabSheet* tab = PageControl1->ActivePage();
    if (!tab) return;
    for (int i = 0; i < tab->ComponentCount(); ++i) {
        auto* page = dynamic_cast<ticonbox*>(tab->Components(i));
        if (!page) continue;
        TWinControl* target = page;  // the browser, where it shows the page
        if (TPictureView* view = page->NativeView()) {
            view->HandleNeeded();
            FocusStartPicture(*view);
            target = view;
        }
        // Focused now when the window is active, else when it is activated.
        SetActiveControl(target);
        if (GetForegroundWindow() == Handle() && target->CanFocus()) target->SetFocus();
        return;
    }
}

void TfrmMain::StartwithWindows1Click(TObject*) {
    const bool on = !StartwithWindows1->Checked();
    SetStartWithWindows(ExecutablePath(), on);  // a refusal raises: the check mark stays
    StartwithWindows1->SetChecked(on);
}
