// The picture view as a picker, from outside the real Tovira.exe: a library
// tab of animated smileys that animates on screen while shown (what that
// costs in processor time, and in the tray, is measured by ./tovira bench),
// the pictures read through oleacc from this process, and the keyboard: the view has the
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
#include "PayloadLiterals.h"

namespace {

using clip_test::ComposePeer;

}  // namespace

TEST(PickerEndToEnd, AnimatesWhileShownAndWorksFromTheKeyboard) {
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


    // The view has the focus; Right and Enter pick the second smiley.
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    program.PressKeys({VK_RIGHT});
    program.PressKeys({VK_RETURN});
    ASSERT_TRUE(note.WaitForPastes(1));
    EXPECT_EQ(note.Pastes().back(), literal::PlainFragment(general + "a01.gif"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));

    // Back from the tray the focus is on the view again; "p" finds plum.jpg.
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(WaitFor([&] { return FocusOf(program.Main()) == view; }));
    program.PressKeys({'P'});
    program.PressKeys({VK_RETURN});
    ASSERT_TRUE(note.WaitForPastes(2));
    EXPECT_EQ(note.Pastes().back(), literal::PlainFragment(general + "plum.jpg"));

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
