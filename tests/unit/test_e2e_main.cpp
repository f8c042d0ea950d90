// The real Tovira.exe, started from a temporary application folder.
#include <gtest/gtest.h>

#include "ProgramUnderTest.h"

namespace {
void MakeLibrary(const TempFolder& app, std::initializer_list<const char*> categories) {
    app.MakeFolder("images");
    for (const char* c : categories) app.MakeFolder(std::string("images\\") + c);
}
}  // namespace

TEST(ProgramEndToEnd, ShowsItsWindowWithTabsThroughTheTrayAndExitsOnCtrlX) {
    TempFolder app;
    MakeLibrary(app, {"additional", "animals", "general"});
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());

    RECT client;
    GetClientRect(program.Main(), &client);
    EXPECT_EQ(client.right, 678);
    EXPECT_EQ(client.bottom, 457);
    HWND tabs = ProgramUnderTest::FindChild(program.Main(), "SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    std::vector<std::string> expected{"   general   ", "   additional   ", "   animals   "};
    EXPECT_EQ(program.TabTexts(tabs), expected);

    program.PressKeys({VK_CONTROL, 'X'});
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(TempFolder::ReadFile(app / "Tovira.ini"), "[Options]\r\nDoMinimize=1\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n");
}

TEST(ProgramEndToEnd, AReadOnlyOptionsFileIsReportedAndTheWindowStaysUntilExit) {
    TempFolder app;
    MakeLibrary(app, {"general"});
    std::string ini = app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\n");
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());

    // The close box: the error report appears and the window stays open.
    EXPECT_EQ(program.CloseAnsweringTheWriteReport(), "Unable to write to " + ini + ".");
    EXPECT_TRUE(program.Running());
    EXPECT_TRUE(IsWindowVisible(program.Main()));

    // Exit: closing raises again, so the program terminates without a report.
    HWND exitButton = ProgramUnderTest::FindChild(program.Main(), "Button", "Exit");
    ASSERT_NE(exitButton, nullptr);
    PostMessageA(exitButton, BM_CLICK, 0, 0);
    ASSERT_TRUE(program.WaitForExit());
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::ReadFile(ini), "[Options]\r\nDoMinimize=0\r\n");
}
