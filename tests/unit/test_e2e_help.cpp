// The help file from outside: F1 and Help > Content in the real Tovira.exe
// open Tovira.chm next to it in the system's help viewer, whose window takes
// its title from the file's window definition.
#include <gtest/gtest.h>

#include <string>

#include "ProgramUnderTest.h"

namespace {

constexpr char kHelpTitle[] = "Tovira Help";

std::string BuiltHelpFile() {
    std::string exe = WinePath(TOVIRA_EXE_UNIX);
    return exe.substr(0, exe.find_last_of('\\') + 1) + "Tovira.chm";
}

HWND VisibleHelpWindow() {
    HWND w = FindWindowA(nullptr, kHelpTitle);
    return w && IsWindowVisible(w) ? w : nullptr;
}

// Closes the help viewer and waits until its window is gone.
bool CloseHelp() {
    HWND help = FindWindowA(nullptr, kHelpTitle);
    if (!help) return true;
    PostMessageA(help, WM_CLOSE, 0, 0);
    return WaitFor([] { return FindWindowA(nullptr, kHelpTitle) == nullptr; }, 30000);
}

}  // namespace

TEST(HelpEndToEnd, F1AndContentOpenTheHelpFileInItsViewer) {
    ASSERT_TRUE(CloseHelp());
    TempFolder app;
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    ASSERT_TRUE(CopyFileA(BuiltHelpFile().c_str(), (app / "Tovira.chm").c_str(), FALSE)) << BuiltHelpFile();
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());

    program.PressKeys({VK_F1});
    EXPECT_TRUE(WaitFor(VisibleHelpWindow, 30000)) << "no help window after F1";
    ASSERT_TRUE(CloseHelp());

    // Help > Content: the tool bar's third button drops the Help menu; Content
    // is its first item.
    ASSERT_TRUE(program.Reveal());
    HWND bar = ProgramUnderTest::FindChild(program.Main(), "ToolbarWindow32");
    ASSERT_NE(bar, nullptr);
    RECT r{};
    GetWindowRect(bar, &r);
    ASSERT_TRUE(ClickAtScreen(POINT{r.left + 100, r.top + 10}));  // "&Help", after "&File" and "&Options"
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = program.FindOwnWindow("#32768", nullptr)) != nullptr; }, 10000));
    RECT m{};
    GetWindowRect(menu, &m);
    ASSERT_TRUE(ClickAtScreen(POINT{m.left + 40, m.top + 10}));
    EXPECT_TRUE(WaitFor(VisibleHelpWindow, 30000)) << "no help window after Help > Content";
    EXPECT_TRUE(CloseHelp());
    EXPECT_TRUE(program.Running());
}
