// The picture view as a picker, from outside the real Tovira.exe: a library
// tab of animated smileys that animates on screen while shown, the
// processor time the program takes in the tray and while that tab shows
// (printed, measured with GetProcessTimes over 10 s each), the pictures read
// through oleacc from this process, and the keyboard: the view has the
// focus when the window comes up, Right and Enter pick, typed letters find a
// picture, Ctrl+Tab and Ctrl+Shift+Tab switch tabs, Ctrl+X still exits.
// With TOVIRA_SHOT_DIR set, two screenshots a frame delay apart are kept
// there (anim-1.png, anim-2.png).
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ComApartment.h"
#include "ClipboardPayload.h"
#include "IconPageText.h"
#include "PictureAccess.h"
#include "EndToEndChecks.h"
#include "ProgramUnderTest.h"
#include "ScreenShot.h"
#include "clip_peer.h"

namespace {

using clip_test::ComposePeer;

// Processor time (user + kernel) so far of the program started from
// `exe`, in milliseconds. Wine's GetProcessTimes gives 0 for another
// process, so the kernel's count for the Unix process is read.
double ProcessorMs(const std::string& exe) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return -1;
    const std::wstring wide(exe.begin(), exe.end());
    char* unixExe = unixName(wide.c_str());
    if (!unixExe) return -1;
    const std::string target = unixExe;
    HeapFree(GetProcessHeap(), 0, unixExe);
    const std::string stem = "/tmp/" + UniqueUnixTempName("cpu");
    // The Unix process of a Wine program is named after the exe and works
    // in the folder the program was started in.
    const std::string script =
        "hz=$(getconf CLK_TCK)\n"
        "folder=$(dirname \"$(readlink -f \"$1\")\")\n"
        "for p in /proc/[0-9]*; do\n"
        "  if [ \"$(cat \"$p/comm\" 2>/dev/null)\" = Tovira.exe ] && [ \"$(readlink -f \"$p/cwd\")\" = \"$folder\" ]; then\n"
        "    awk -v hz=\"$hz\" '{print ($14 + $15) * 1000 / hz}' \"$p/stat\"\n"
        "  fi\n"
        "done\n"
        "exit 0\n";
    HANDLE file = CreateFileA(WinePath(stem + ".sh").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    CloseHandle(file);
    if (!RunUnixCommand("sh " + stem + ".sh '" + target + "' > " + stem + ".txt 2>/dev/null")) {
        std::printf("cpu script failed\n");
        return -1;
    }
    const std::string text = TempFolder::ReadFile(WinePath(stem + ".txt"));
    DeleteFileA(WinePath(stem + ".sh").c_str());
    DeleteFileA(WinePath(stem + ".txt").c_str());
    return text.empty() ? -1 : std::atof(text.c_str());
}

// The processor time the program takes over the next 10 seconds.
double ProcessorMsOver10s(const std::string& exe) {
    const double before = ProcessorMs(exe);
    Sleep(10000);  // the measuring interval, not a wait for something
    const double after = ProcessorMs(exe);
    return before < 0 || after < 0 ? -1 : after - before;
}

}  // namespace

TEST(PickerEndToEnd, AnimatesWhileShownCostsNothingInTheTrayAndWorksFromTheKeyboard) {
    TempFolder app;
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    app.MakeFolder("images\\zoo");
    const std::string blink = e2e::TestPicture("blink.gif"), bounce = e2e::TestPicture("bounce.gif");
    for (int i = 0; i < 12; ++i) {
        char name[40];
        wsprintfA(name, "images\\general\\a%02d.gif", i);
        app.WriteFile(name, i % 2 ? bounce : blink);
    }
    app.WriteFile("images\\general\\plum.jpg", e2e::TestPicture("blue.jpg"));
    app.WriteFile("images\\general\\pear.bmp", e2e::TestPicture("red.bmp"));
    app.WriteFile("images\\zoo\\cat.bmp", e2e::TestPicture("red.bmp"));
    app.WriteFile("images\\zoo\\dog.png", e2e::TestPicture("alpha.png"));
    const std::string general = ForwardSlashPath(app.Path()) + "/images/general/";

    ComposePeer note("ATH_Note", "Compose");
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.Start());

    // In the tray: nothing is shown, nothing animates.
    const double trayMs = ProcessorMsOver10s(app / "Tovira.exe");

    ASSERT_TRUE(program.Reveal());
    HWND view = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (view = ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView")); }));
    // The first smiley blinks: what the screen shows there changes.
    RECT blinker{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, 1, blinker); }));
    std::vector<DWORD> first;
    ASSERT_TRUE(WaitFor([&] {
        first = ScreenPixels(blinker);
        return std::count(first.begin(), first.end(), 0x00FFD800u) > 100;  // the yellow face is drawn
    }));
    RECT window;
    GetWindowRect(program.Main(), &window);
    const char* shots = std::getenv("TOVIRA_SHOT_DIR");
    if (shots) SaveScreenPng(window, std::string(shots) + "\\anim-1.png");
    ASSERT_TRUE(WaitFor([&] { return ScreenPixels(blinker) != first; }, 5000));
    if (shots) SaveScreenPng(window, std::string(shots) + "\\anim-2.png");

    const double shownMs = ProcessorMsOver10s(app / "Tovira.exe");
    std::printf("processor time of Tovira.exe over 10 s: %.0f ms in the tray, %.0f ms with a tab of 12 animated "
                "smileys shown\n",
                trayMs, shownMs);
    EXPECT_GE(trayMs, 0);  // measured at all
    EXPECT_GE(shownMs, 0);

    // The view has the focus; Right and Enter pick the second smiley.
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    program.PressKeys({VK_RIGHT});
    program.PressKeys({VK_RETURN});
    ASSERT_TRUE(note.WaitForPastes(1));
    EXPECT_EQ(note.Pastes().back(), BuildHtmlClipboardPayload("", general + "a01.gif") + '\0');
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));

    // Back from the tray the focus is on the view again; "p" finds plum.jpg.
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    program.PressKeys({'P'});
    program.PressKeys({VK_RETURN});
    ASSERT_TRUE(note.WaitForPastes(2));
    EXPECT_EQ(note.Pastes().back(), BuildHtmlClipboardPayload("", general + "plum.jpg") + '\0');

    // Ctrl+Tab to the next tab, whose view takes the focus; Ctrl+Shift+Tab back.
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    program.PressKeys({VK_CONTROL, VK_TAB});
    HWND zoo = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        zoo = ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView");
        return zoo && zoo != view && FocusOf(program.Main()) == zoo;
    }));
    program.PressKeys({VK_CONTROL, VK_SHIFT, VK_TAB});
    ASSERT_TRUE(WaitFor([&] {
        return ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView") == view &&
               FocusOf(program.Main()) == view;
    }));

    // The main window's short-cut still reaches it: Ctrl+X exits.
    program.PressKeys({VK_CONTROL, 'X'});
    EXPECT_TRUE(program.WaitForExit());
    EXPECT_EQ(note.Pastes().size(), 2u);
}
