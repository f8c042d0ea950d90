// The real Tovira.exe and its tray icon, driven with the real pointer: one
// program instance for the whole scenario (start, reveal, minimise, a new
// taskbar, exit), as closing windows under Wine is slow.
#include <gtest/gtest.h>

#include "SharedProgramTest.h"

namespace {

class TrayEndToEnd : public SharedProgramTest<TrayEndToEnd> {
protected:
    static RECT WorkArea() {
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        return area;
    }
    static bool InTheCorner() {
        RECT r{}, area = WorkArea();
        GetWindowRect(program->Main(), &r);
        return r.right == area.right && r.bottom == area.bottom;
    }
    static void Click(const char* caption) {
        HWND button = ProgramUnderTest::FindChild(program->Main(), "Button", caption);
        ASSERT_NE(button, nullptr) << caption;
        PostMessageA(button, BM_CLICK, 0, 0);
    }
    // Sends "TaskbarCreated" to every top-level window and returns once all
    // have handled it.
    static void BroadcastTaskbarCreated() {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0, SMTO_ABORTIFHUNG, 10000,
                            &result);
    }
};

TEST_F(TrayEndToEnd, AtStartOnlyTheIconShows) {
    RestartUnlessFresh();
    ASSERT_TRUE(started);
    EXPECT_TRUE(program->VisibleWindows().empty());
    EXPECT_FALSE(IsWindowVisible(program->ApplicationWindow()));
    EXPECT_EQ(WineTrayIconCount(), 1);
}

TEST_F(TrayEndToEnd, APointerMoveOverTheIconShowsTheWindowInTheWorkAreaCorner) {
    ASSERT_TRUE(program->Reveal());
    EXPECT_TRUE(InTheCorner());
    // The taskbar button is back with it.
    EXPECT_TRUE(IsWindowVisible(program->ApplicationWindow()));
    EXPECT_FALSE(IsIconic(program->ApplicationWindow()));
    EXPECT_EQ(WineTrayIconCount(), 1);

    // Moved away, it comes back to the corner with the next move over the icon.
    SetWindowPos(program->Main(), nullptr, 40, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([] { return !InTheCorner(); }));
    ASSERT_TRUE(program->Reveal());
    EXPECT_TRUE(WaitFor(InTheCorner));
}

TEST_F(TrayEndToEnd, MinimizeToTrayHidesTheWindowAndTheTaskbarButtonAndKeepsOneIcon) {
    ASSERT_TRUE(program->Reveal());
    Click("Minimize to tray");
    EXPECT_TRUE(WaitFor([] { return program->VisibleWindows().empty(); }));
    EXPECT_FALSE(IsWindowVisible(program->ApplicationWindow()));
    EXPECT_EQ(WineTrayIconCount(), 1);

    // And from the tray once more.
    ASSERT_TRUE(program->Reveal());
    EXPECT_TRUE(InTheCorner());
}

TEST_F(TrayEndToEnd, ANewTaskbarGetsTheIconBackOnce) {
    BroadcastTaskbarCreated();
    EXPECT_EQ(WineTrayIconCount(), 1);

    // The taskbar loses the icon, as when the shell restarts.
    NOTIFYICONDATAA gone{};
    gone.cbSize = 488;
    gone.hWnd = program->FindOwnWindow("TCoolTrayIcon.TrayWindow", nullptr, false);
    gone.uID = 1;
    ASSERT_NE(gone.hWnd, nullptr);
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &gone));
    ASSERT_TRUE(WaitFor([] { return WineTrayIconCount() == 0; }));

    BroadcastTaskbarCreated();
    EXPECT_TRUE(WaitFor([] { return WineTrayIconCount() == 1; }));
    BroadcastTaskbarCreated();
    EXPECT_EQ(WineTrayIconCount(), 1);
    // The icon that came back answers the pointer.
    SetWindowPos(program->Main(), nullptr, 40, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([] { return !InTheCorner(); }));
    ASSERT_TRUE(program->Reveal());
    EXPECT_TRUE(WaitFor(InTheCorner));
}

TEST_F(TrayEndToEnd, ExitTakesTheIconAway) {
    ASSERT_TRUE(program->Reveal());
    Click("Exit");
    ASSERT_TRUE(program->WaitForExit());
    EXPECT_TRUE(WaitFor([] { return WineTrayIconCount() == 0; }));
}

}  // namespace
