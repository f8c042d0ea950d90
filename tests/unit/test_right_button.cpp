// The thread's mouse filter: right-button presses are discarded, releases pass.
#include <gtest/gtest.h>

#include "ProgramUnderTest.h"
#include "main.h"

namespace {
int downs = 0, ups = 0, leftDowns = 0;

LRESULT CALLBACK RecordingProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_RBUTTONDOWN) ++downs;
    if (msg == WM_RBUTTONUP) ++ups;
    if (msg == WM_LBUTTONDOWN) ++leftDowns;
    return DefWindowProcA(wnd, msg, wp, lp);
}

void Click(HWND wnd, DWORD down, DWORD up) {
    RECT r;
    GetWindowRect(wnd, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = down;
    in[1].mi.dwFlags = up;
    SendInput(2, in, sizeof(INPUT));
}
}  // namespace

TEST(RightButtonFilter, DiscardsPressesAndLetsReleasesAndLeftClicksThrough) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "RightButtonProbe";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "probe", WS_POPUP | WS_VISIBLE, 100, 100, 200, 200,
                               nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    SetForegroundWindow(wnd);

    // Without the filter the press arrives (the test can see presses at all).
    Click(wnd, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(WaitFor([] { return ups == 1; }, 10000));
    EXPECT_EQ(downs, 1);

    InstallRightButtonFilter();
    InstallRightButtonFilter();  // a second call keeps the one hook
    Click(wnd, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(WaitFor([] { return ups == 2; }, 10000));
    EXPECT_EQ(downs, 1);
    Click(wnd, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(WaitFor([] { return leftDowns == 1; }, 10000));
    DestroyWindow(wnd);
}
