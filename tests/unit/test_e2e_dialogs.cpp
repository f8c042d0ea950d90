// The rescue and about dialogs of the real Tovira.exe, opened from its main
// window with the real pointer and watched from outside. One program
// instance serves every case (window teardown under Wine is slow).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "KeySecurity.h"
#include "SharedProgramTest.h"
#include "ShellHandler.h"

namespace {

constexpr char kSystemPolicy[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// A screenshot of the whole display into the build folder, for people to look at.
void Screenshot(const char* name) {
    std::string build = TOVIRA_EXE_UNIX;
    build = build.substr(0, build.rfind("/app/"));
    RunUnixCommand("import -window root " + build + "/" + name);
}

// What the screen shows at a point.
COLORREF ScreenPixel(POINT p) {
    HDC dc = GetDC(nullptr);
    COLORREF c = GetPixel(dc, p.x, p.y);
    ReleaseDC(nullptr, dc);
    return c;
}

POINT ClientPoint(HWND wnd, int x, int y) {
    POINT p{x, y};
    ClientToScreen(wnd, &p);
    return p;
}

void PressKey(WORD key) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = key;
        i.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
    }
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

bool Centred(HWND wnd) {
    RECT r, area;
    GetWindowRect(wnd, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    return r.left == area.left + (area.right - area.left - (r.right - r.left)) / 2 &&
           r.top == area.top + (area.bottom - area.top - (r.bottom - r.top)) / 2;
}

class DialogsEndToEnd : public SharedProgramTest<DialogsEndToEnd> {
public:
    static constexpr bool kStartShown = true;

protected:
    void SetUp() override {
        SharedProgramTest::SetUp();
        if (HasFatalFailure()) return;
        // A case before may have sent the window to the tray.
        if (!IsWindowVisible(program->Main())) {
            ASSERT_TRUE(program->Reveal());
        }
    }
    static HWND Button(const char* text) { return ProgramUnderTest::FindChild(program->Main(), "Button", text); }
    // Clicks a window's centre with the real pointer.
    static bool ClickCentre(HWND wnd) {
        RECT r;
        GetWindowRect(wnd, &r);
        return ClickAtScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    }
    static HWND WaitForDialog(const char* cls, const char* title) {
        HWND found = nullptr;
        WaitFor([&] { return (found = program->FindOwnWindow(cls, title)) != nullptr; });
        return found;
    }
    static bool WaitUntilGone(HWND wnd) {
        return WaitFor([&] { return !IsWindow(wnd) || !IsWindowVisible(wnd); }) &&
               WaitFor([&] { return IsWindowEnabled(program->Main()) != FALSE; });
    }
    // The rescue dialog through its hidden button, made visible from outside.
    static HWND OpenRescue() {
        HWND rescue = Button("IE Rescue");
        if (!rescue) return nullptr;
        SetWindowPos(rescue, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        WaitFor([&] { return IsWindowVisible(rescue) != FALSE; });
        if (!ClickCentre(rescue)) return nullptr;
        HWND dialog = WaitForDialog("Tovira.TfrmPro", "Tovira Pro");
        ShowWindow(rescue, SW_HIDE);
        return dialog;
    }
    static HWND OpenAbout() {
        if (!ClickCentre(Button("About"))) return nullptr;
        return WaitForDialog("Tovira.TfrmAbout", "About");
    }
};

TEST_F(DialogsEndToEnd, RescueDialogFromTheHiddenButtonKeysAndARefusedWrite) {
    HWND dialog = OpenRescue();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Centred(dialog));
    EXPECT_FALSE(IsWindowEnabled(program->Main())) << "modal over the main window";
    ASSERT_TRUE(WaitFor([&] { return ScreenPixel(ClientPoint(dialog, 1, 120)) == RGB(0, 0, 255); }));
    Screenshot("rescue-dialog.png");

    // Keys: the first check box has the focus; Space ticks, Tab goes round the four boxes only.
    HWND boxes[4] = {ProgramUnderTest::FindChild(dialog, "Button", "Set MainPage to blank page"),
                     ProgramUnderTest::FindChild(dialog, "Button", "Unlock MainPage setup"),
                     ProgramUnderTest::FindChild(dialog, "Button", "Restore normal IE caption"),
                     ProgramUnderTest::FindChild(dialog, "Button", "Unlock registry")};
    for (HWND b : boxes) ASSERT_NE(b, nullptr);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(dialog) == boxes[0]; }, 5000));
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(boxes[0], BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));
    for (int i = 1; i <= 4; ++i) {
        PressKey(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return FocusOf(dialog) == boxes[i % 4]; }, 5000)) << i;
    }
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return SendMessageA(boxes[0], BM_GETCHECK, 0, 0) == BST_UNCHECKED; }, 5000));
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    PressKey(VK_TAB);
    ASSERT_TRUE(WaitFor([&] { return FocusOf(dialog) == boxes[3]; }, 5000));
    PressKey(VK_SPACE);
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(boxes[3], BM_GETCHECK, 0, 0) == BST_CHECKED; }, 5000));

    // "Unlock registry" onto a key that everyone may only read: the standard
    // error report, and the dialog stays.
    HWND box = nullptr;
    {
        ReadOnlyKey locked(HKEY_CURRENT_USER, kSystemPolicy);
        ASSERT_TRUE(locked.Ok());
        ASSERT_TRUE(ClickAtScreen(ClientPoint(dialog, 368, 211)));  // "Apply"
        box = WaitForDialog("#32770", "Tovira 1.0");
    }
    ASSERT_NE(box, nullptr);
    // No full stop added: the quote sorts before ".".
    EXPECT_EQ(MessageBoxText(box), "Failed to set data for 'DisableRegistryTools'");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // The cross closes it; the main window is usable again.
    ASSERT_TRUE(ClickAtScreen(ClientPoint(dialog, 409, 15)));
    EXPECT_TRUE(WaitUntilGone(dialog));
}

TEST_F(DialogsEndToEnd, RescueApplyWritesTheTickedRepair) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\Main", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    char previous[512] = {};
    DWORD size = sizeof previous - 1, type = 0;
    bool had = RegQueryValueExA(key, "Start Page", nullptr, &type, reinterpret_cast<BYTE*>(previous), &size) ==
               ERROR_SUCCESS;
    RegSetValueExA(key, "Start Page", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4);

    HWND dialog = OpenRescue();
    ASSERT_NE(dialog, nullptr);
    HWND first = ProgramUnderTest::FindChild(dialog, "Button", "Set MainPage to blank page");
    ASSERT_TRUE(ClickCentre(first));
    ASSERT_TRUE(WaitFor([&] { return SendMessageA(first, BM_GETCHECK, 0, 0) == BST_CHECKED; }));
    ASSERT_TRUE(ClickAtScreen(ClientPoint(dialog, 368, 211)));
    EXPECT_TRUE(WaitUntilGone(dialog));
    char now[512] = {};
    size = sizeof now - 1;
    EXPECT_EQ(RegQueryValueExA(key, "Start Page", nullptr, &type, reinterpret_cast<BYTE*>(now), &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(now, "about:blank");
    if (had) RegSetValueExA(key, "Start Page", 0, type, reinterpret_cast<BYTE*>(previous), size);
    else RegDeleteValueA(key, "Start Page");
    RegCloseKey(key);
}

TEST_F(DialogsEndToEnd, AboutDialogLinksAndEveryWayToCloseIt) {
    ShellHandler handler(WinePath(PEERS_DIR_UNIX "/shell_handler_peer.exe"), {"http", "mailto"});
    HWND dialog = OpenAbout();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(Centred(dialog));
    RECT client;
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 396);
    EXPECT_EQ(client.bottom, 233);
    // The picture: face A yellow, the paper plane blue.
    ASSERT_TRUE(WaitFor([&] {
        COLORREF face = ScreenPixel(ClientPoint(dialog, 63, 71));
        return GetRValue(face) > 220 && GetBValue(face) < 60;
    }));
    COLORREF plane = ScreenPixel(ClientPoint(dialog, 91, 196));
    EXPECT_GT(GetBValue(plane), 170);
    EXPECT_LT(GetRValue(plane), 40);

    // The web link under the pointer turns blue.
    POINT web = ClientPoint(dialog, 200, 123);
    ASSERT_TRUE(ProgramUnderTest::MovePointer(web));
    auto bluePixels = [&] {
        int n = 0;
        for (int y = 117; y < 130; ++y)
            for (int x = 190; x < 300; ++x) n += ScreenPixel(ClientPoint(dialog, x, y)) == RGB(0, 0, 255);
        return n;
    };
    EXPECT_TRUE(WaitFor([&] { return bluePixels() > 20; }));
    Screenshot("about-dialog.png");

    // Both links open through the shell; the dialog stays.
    ASSERT_TRUE(ClickAtScreen(web));
    ASSERT_TRUE(ClickAtScreen(ClientPoint(dialog, 200, 139)));
    EXPECT_TRUE(WaitFor([&] {
        std::string log = handler.Log();
        return std::count(log.begin(), log.end(), '\n') >= 2;
    }));
    std::string log = handler.Log();
    EXPECT_NE(log.find("http://www.tovira.example\n"), std::string::npos) << log;
    EXPECT_NE(log.find("mailto:support@tovira.example?subject=Tovira1.0_Support\n"), std::string::npos) << log;
    EXPECT_TRUE(IsWindowVisible(dialog));
    ASSERT_TRUE(ProgramUnderTest::MovePointer(POINT{5, 1000}));
    EXPECT_TRUE(WaitFor([&] { return bluePixels() == 0; }));

    // Escape.
    SetForegroundWindow(dialog);
    PressKey(VK_ESCAPE);
    ASSERT_TRUE(WaitUntilGone(dialog));
    // Enter (the OK button has the focus).
    dialog = OpenAbout();
    ASSERT_NE(dialog, nullptr);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitUntilGone(dialog));
    // The close box.
    dialog = OpenAbout();
    ASSERT_NE(dialog, nullptr);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(WaitUntilGone(dialog));
    // "OK" with the pointer; the main window takes the next click.
    dialog = OpenAbout();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(ClickCentre(ProgramUnderTest::FindChild(dialog, "Button", "OK")));
    ASSERT_TRUE(WaitUntilGone(dialog));
    ASSERT_TRUE(ClickCentre(Button("Minimize to tray")));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program->Main()); }));
}

}  // namespace
