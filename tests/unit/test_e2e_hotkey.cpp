// Reaching the real Tovira.exe without the mouse: the global hotkey pressed
// on the X keyboard (xdotool) over a stand-in editor, Esc, the notice for a
// hotkey that cannot be had, a second start handing over to the running
// copy, and "Start with Windows" in this prefix's registry.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ComApartment.h"
#include "EndToEndChecks.h"
#include "KeySecurity.h"
#include "StartWithWindows.h"

namespace {

using clip_test::ComposePeer;

// Presses keys on the X server's keyboard (xdotool names) with the pointer
// resting on `over`: without a window manager the X keyboard goes to the
// window under the pointer, and Wine delivers plain keys only when that is
// the foreground program's window. The hotkey is seen by Wine's server
// whichever of its windows the keys come through.
bool PressOnKeyboard(const std::string& keys, HWND over) {
    RECT r{};
    GetWindowRect(over, &r);
    POINT at{}, centre{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (!(GetCursorPos(&at) && PtInRect(&r, at)) && !ProgramUnderTest::MovePointer(centre)) return false;
    return RunUnixCommand("xdotool key " + keys);
}

constexpr char kDefaultHotkey[] = "super+shift+e";  // Win+Shift+E

// "general": a broken picture first, then three good ones (ids 2 to 4).
void WithLibrary(TempFolder& app) {
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    app.WriteFile("images\\general\\0broken.gif", "GIF89a, but nothing else");
    app.WriteFile("images\\general\\square.gif", e2e::TestPicture("square.gif"));
    app.WriteFile("images\\general\\blue.jpg", e2e::TestPicture("blue.jpg"));
    app.WriteFile("images\\general\\red.bmp", e2e::TestPicture("red.bmp"));
}

// The picture (from 1) of `view` with the keyboard focus, read through oleacc; 0 for none.
long FocusedPicture(HWND view) {
    e2e::ViewAccess access(view);
    for (long id = 1, n = access.Count(); id <= n; ++id)
        if (access.State(id) & STATE_SYSTEM_FOCUSED) return id;
    return 0;
}

bool InTrayCorner(HWND wnd) {
    RECT area{}, r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(wnd, &r);
    return r.right == area.right && r.bottom == area.bottom;
}

// Shown, in front, in the tray icon's place, with picture `id` of the shown
// tab taking the keyboard.
void ExpectShownForTheKeyboard(const ProgramUnderTest& program, long id) {
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(program.Main()) != FALSE; }));
    EXPECT_TRUE(InTrayCorner(program.Main()));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.Main(); }));
    HWND view = e2e::ShownView(program);
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    EXPECT_TRUE(WaitFor([&] { return FocusedPicture(view) == id; }, 5000)) << "focused: " << FocusedPicture(view);
}

void ExpectHiddenWithTheFrontAt(const ProgramUnderTest& program, HWND front) {
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == front; }));
}

// A notice of the program (a message box titled with its title): its text,
// once OK was pressed.
std::string AnswerNotice(const ProgramUnderTest& program) {
    HWND box = nullptr;
    if (!WaitFor([&] { return (box = program.FindOwnWindow("#32770", "Tovira 1.0")) != nullptr; })) return "(none)";
    const std::string text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitFor([&] { return !IsWindow(box); });
    return text;
}

}  // namespace

// The program started in the tray, a stand-in editor (no mail client's
// class) in front.
class ProgramOverAnEditor : public ::testing::Test {
protected:
    ProgramOverAnEditor() : editor("ToviraTestEditor", "Editor"), program((WithLibrary(app), app)) {}
    void SetUp() override {
        ASSERT_TRUE(program.Start());
        ASSERT_TRUE(editor.BringToFront());
    }
    TempFolder app;
    ComposePeer editor;
    ProgramUnderTest program;
};

TEST_F(ProgramOverAnEditor, TheHotkeyShowsInFrontForTheKeyboardEscAndTheHotkeyGiveTheFrontBack) {

    // The first picture that can be picked takes the keyboard; Esc gives the front back.
    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectShownForTheKeyboard(program, 2);
    ASSERT_TRUE(PressOnKeyboard("Escape", program.Main()));
    ExpectHiddenWithTheFrontAt(program, editor.Window());

    // A pick from the keyboard; the next time that picture takes the keyboard.
    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectShownForTheKeyboard(program, 2);
    ASSERT_TRUE(PressOnKeyboard("Right", program.Main()));
    HWND view = e2e::ShownView(program);
    ASSERT_TRUE(WaitFor([&] { return FocusedPicture(view) == 3; }, 5000));
    ASSERT_TRUE(PressOnKeyboard("Return", program.Main()));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectShownForTheKeyboard(program, 3);

    // The hotkey again hides the window and gives the front back.
    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectHiddenWithTheFrontAt(program, editor.Window());

    // Shown through the tray icon, Esc hides it too.
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == program.Main(); }));
    ASSERT_TRUE(PressOnKeyboard("Escape", program.Main()));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));

    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(e2e::CloseAndWait(program));
    // The keyboard's pick follows in the section Recent.
    const std::string ini = TempFolder::ReadFile(app / "Tovira.ini");
    EXPECT_EQ(ini.rfind("[Options]\r\nDoMinimize=1\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\n"
                        "PasteAnywhere=1\r\n[Recent]\r\n1=",
                        0),
              0u)
        << ini;
}

// The stand-in editor that decodes what it is pasted (the pixel at (1, 0))
// in front, and the program over red.bmp (20 x 16, opaque red) and
// translucent.png (5 x 3; its pixel (1, 0) green at alpha 128), shown in that
// order: the hotkey, the arrow to the second picture and Enter paste that
// picture itself, as "PNG" and CF_DIBV5, with Ctrl+V alone.
TEST(HotkeyEndToEnd, OverTheEditorEnterPastesTheFocusedPictureItselfAndEscPastesNothing) {
    TempFolder app;
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    app.WriteFile("images\\general\\red.bmp", e2e::TestPicture("red.bmp"));
    app.WriteFile("images\\general\\translucent.png", e2e::TestPicture("translucent.png"));
    ComposePeer editor("ToviraTestEditor", "Editor", "--pixel 1,0", "editor_peer.exe");
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(editor.BringToFront());

    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectShownForTheKeyboard(program, 1);
    ASSERT_TRUE(PressOnKeyboard("Escape", program.Main()));
    ExpectHiddenWithTheFrontAt(program, editor.Window());

    ASSERT_TRUE(PressOnKeyboard(kDefaultHotkey, editor.Window()));
    ExpectShownForTheKeyboard(program, 1);
    ASSERT_TRUE(PressOnKeyboard("Right", program.Main()));
    ASSERT_TRUE(WaitFor([&] { return FocusedPicture(e2e::ShownView(program)) == 2; }, 5000));
    const size_t keysBefore = editor.Keys().size();
    ASSERT_TRUE(PressOnKeyboard("Return", program.Main()));
    ASSERT_TRUE(WaitFor([&] { return editor.CountLinesStartingWith("paste done") >= 1; }));
    ExpectHiddenWithTheFrontAt(program, editor.Window());

    const auto last = [&](const std::string& head) {
        const std::vector<std::string> lines = editor.LinesStartingWith(head);
        return lines.empty() ? std::string("(none)") : lines.back();
    };
    EXPECT_EQ(editor.CountLinesStartingWith("paste done"), 1u);  // none at Esc
    const std::string formats = last("formats");
    EXPECT_NE(formats.find(" PNG"), std::string::npos) << formats;
    EXPECT_NE(formats.find(" CF_DIBV5"), std::string::npos) << formats;
    EXPECT_EQ(formats.find("HTML Format"), std::string::npos) << formats;
    EXPECT_EQ(last("png"), "png 5 3 8000ff00");
    EXPECT_EQ(last("dibv5"), "dibv5 5 3 32 3 8000ff00");
    EXPECT_EQ(last("html"), "html none");
    std::vector<std::string> sent = editor.Keys();
    sent.erase(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(keysBefore));
    EXPECT_EQ(sent, (std::vector<std::string>{"down 17", "down 86", "up 86", "up 17"}));
    ASSERT_TRUE(e2e::CloseAndWait(program));
}

namespace {

// Starts the program on `ini` and answers the notice it gives at start; then
// checks that it still shows through the tray icon and closes. The notice's
// text, and what the options file holds after.
std::string NoticeAtStart(const std::string& ini, std::string& written) {
    TempFolder app;
    WithLibrary(app);
    app.WriteFile("Tovira.ini", ini);
    ProgramUnderTest program(app);
    if (!program.Start()) return "(did not start)";
    const std::string notice = AnswerNotice(program);
    EXPECT_TRUE(program.Reveal());
    EXPECT_TRUE(e2e::Answers(program.Main()));
    EXPECT_TRUE(e2e::CloseAndWait(program));
    written = TempFolder::ReadFile(app / "Tovira.ini");
    return notice;
}

}  // namespace

// Junk, and a combination another program holds: one notice naming the
// value each; the program runs on without a hotkey and keeps the value.
TEST(HotkeyEndToEnd, AHotkeyThatCannotBeHadIsToldByNameAndTheProgramRunsOn) {
    std::string written;
    std::string notice = NoticeAtStart("[Options]\r\nHotkey=Ctrl+Junk\r\n", written);
    EXPECT_NE(notice.find("\"Ctrl+Junk\""), std::string::npos) << notice;
    EXPECT_NE(notice.find("not a key combination"), std::string::npos) << notice;
    EXPECT_EQ(written, "[Options]\r\nHotkey=Ctrl+Junk\r\nDoMinimize=1\r\nDoSetHtml=1\r\nSound On=1\r\nPasteAnywhere=1\r\n");

    ASSERT_TRUE(RegisterHotKey(nullptr, 1, MOD_CONTROL | MOD_SHIFT, VK_F9));
    notice = NoticeAtStart("[Options]\r\nHotkey = ctrl + shift + f9\r\n", written);
    UnregisterHotKey(nullptr, 1);
    EXPECT_NE(notice.find("\"ctrl + shift + f9\""), std::string::npos) << notice;
    EXPECT_NE(notice.find("already taken"), std::string::npos) << notice;
}

// A second start, from another folder, shows the running copy's window and
// ends without a window, a tray icon or an options file of its own.
TEST_F(ProgramOverAnEditor, ASecondStartGivesWayAndTheRunningCopyShows) {
    const size_t icons = WineTrayIcons().size();

    TempFolder other;
    WithLibrary(other);
    ProgramUnderTest second(other);
    ASSERT_TRUE(second.Launch());
    ASSERT_TRUE(second.WaitForExit(10000));
    DWORD code = 1;
    GetExitCodeProcess(second.Process(), &code);
    EXPECT_EQ(code, 0u);
    ExpectShownForTheKeyboard(program, 2);
    EXPECT_EQ(WineTrayIcons().size(), icons);
    EXPECT_EQ(GetFileAttributesA((other / "Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((app / "Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
    // Shown that way, Esc has no window to give the front back to: it only hides.
    ASSERT_TRUE(PressOnKeyboard("Escape", program.Main()));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(e2e::CloseAndWait(program));
}

namespace {

// The Run value's text, or "(none)".
std::string RunValue() {
    char text[1024];
    DWORD size = sizeof text;
    if (RegGetValueA(HKEY_CURRENT_USER, kRunKey, kRunValueName, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "(none)";
    return text;
}

void SetRunValue(const std::string& command) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValueName, REG_SZ, command.c_str(),
                    static_cast<DWORD>(command.size() + 1));
}

// Clicks "Start with Windows", the last item of the Options menu.
bool ClickStartWithWindows(const ProgramUnderTest& program) {
    HWND bar = ProgramUnderTest::FindChild(program.Main(), "ToolbarWindow32");
    if (!bar) return false;
    RECT r{};
    GetWindowRect(bar, &r);
    if (!ClickAtScreen(POINT{r.left + 56, r.top + 10})) return false;
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = program.FindOwnWindow("#32768", nullptr)) != nullptr; }, 10000)) return false;
    GetWindowRect(menu, &r);
    return ClickAtScreen(POINT{r.left + 60, r.bottom - 10}) && WaitFor([&] { return !IsWindowVisible(menu); }, 10000);
}

}  // namespace

TEST(StartWithWindowsEndToEnd, TickingWritesUntickingRemovesARefusalIsReportedAndStartShowsTheValue) {
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValueName);
    TempFolder app;
    WithLibrary(app);
    const std::string command = "\"" + app / "Tovira.exe" + "\"";
    {
        ProgramUnderTest program(app);
        ASSERT_TRUE(program.StartShown());
        ASSERT_TRUE(ClickStartWithWindows(program));
        EXPECT_TRUE(WaitFor([&] { return RunValue() == command; })) << RunValue();
        ASSERT_TRUE(ClickStartWithWindows(program));
        EXPECT_TRUE(WaitFor([&] { return RunValue() == "(none)"; })) << RunValue();
        {
            ReadOnlyKey locked(HKEY_CURRENT_USER, kRunKey);
            ASSERT_TRUE(locked.Ok());
            ASSERT_TRUE(ClickStartWithWindows(program));
            // No full stop: the report adds one only after a letter or digit.
            EXPECT_EQ(AnswerNotice(program), "Failed to set data for 'Tovira'");
            EXPECT_EQ(RunValue(), "(none)");
        }
        EXPECT_TRUE(e2e::Answers(program.Main()));
        ASSERT_TRUE(e2e::CloseAndWait(program));
    }
    // Started with the value naming it, the item is ticked: a click removes
    // it, once the registry lets it (the refusal is reported, the tick stays).
    SetRunValue(command);
    {
        ProgramUnderTest program(app);
        ASSERT_TRUE(program.StartShown());
        {
            ReadOnlyKey locked(HKEY_CURRENT_USER, kRunKey);
            ASSERT_TRUE(locked.Ok());
            ASSERT_TRUE(ClickStartWithWindows(program));
            EXPECT_EQ(AnswerNotice(program), "Failed to delete data for 'Tovira'");
            EXPECT_EQ(RunValue(), command);
        }
        ASSERT_TRUE(ClickStartWithWindows(program));
        EXPECT_TRUE(WaitFor([&] { return RunValue() == "(none)"; })) << RunValue();
        ASSERT_TRUE(e2e::CloseAndWait(program));
    }
    // Naming another copy, it is not: a click makes it name this one.
    SetRunValue("\"C:\\Elsewhere\\Tovira.exe\"");
    {
        ProgramUnderTest program(app);
        ASSERT_TRUE(program.StartShown());
        ASSERT_TRUE(ClickStartWithWindows(program));
        EXPECT_TRUE(WaitFor([&] { return RunValue() == command; })) << RunValue();
        ASSERT_TRUE(e2e::CloseAndWait(program));
    }
    RegDeleteKeyValueA(HKEY_CURRENT_USER, kRunKey, kRunValueName);
}
