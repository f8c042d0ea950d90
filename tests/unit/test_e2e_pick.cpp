// The program's main job from outside: the real Tovira.exe with a crafted
// library and a stand-in compose window; real pointer clicks (xdotool) on
// pictures of the native picture view paste them into the compose window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "IconPageText.h"
#include "PictureAccess.h"
#include "ProgramUnderTest.h"
#include "clip_peer.h"
#include "PayloadLiterals.h"

namespace {

using clip_test::ComposePeer;

// A picture of the tests' own (tests/data/pictures), as bytes.
std::string TestPicture(const std::string& name) {
    return TempFolder::ReadFile(WinePath(std::string(TEST_DATA_DIR) + "/pictures/" + name));
}

// The middle of picture `index` of `view` on the screen, asked through
// oleacc; waits until the view has placed it.
POINT PictureCentre(HWND view, int index) {
    RECT r{};
    EXPECT_TRUE(WaitFor([&] { return PictureOnScreen(view, index + 1, r); })) << "picture " << index;
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

TEST(PickEndToEnd, ClickedPicturesArePastedIntoTheComposeWindow) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc asks the view where its pictures are
    TempFolder app;
    const std::string smile = TestPicture("smile.gif");  // 24 x 24
    const std::string general = app.MakeFolder("images") + "\\general";
    app.MakeFolder("images\\general");
    app.WriteFile("images\\general\\a&b smile.gif", smile);
    app.WriteFile("images\\general\\Bob's smile.gif", smile);
    app.WriteFile("images\\general\\broken.gif", "GIF89a this is not a picture");
    app.WriteFile("images\\general\\wink.png", TestPicture("wink.png"));
    // A tab with more pictures than fit: it scrolls.
    app.MakeFolder("images\\many");
    for (int i = 0; i < 400; ++i) {
        char name[32];
        wsprintfA(name, "images\\many\\m%03d.gif", i);
        app.WriteFile(name, smile);
    }
    ComposePeer note("ATH_Note", "Compose");
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());

    HWND view = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (view = ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView")); }));
    const std::string folder = ForwardSlashPath(general);
    auto expectPaste = [&](size_t number, const std::string& name) {
        ASSERT_TRUE(note.WaitForPastes(number)) << name;
        EXPECT_EQ(note.Pastes().back(), literal::PlainFragment(folder + "/" + name));
        // DoMinimize is on by default: the window goes back to the tray.
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    };

    // A name with an ampersand, then one with an apostrophe, then the same again.
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 0)));
    expectPaste(1, "a&b smile.gif");
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 1)));
    expectPaste(2, "Bob's smile.gif");
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 1)));
    expectPaste(3, "Bob's smile.gif");
    // The window was switched to HTML once, before the first paste.
    const std::vector<std::string> switchAndPaste = {"down 18", "down 79", "up 79", "up 18", "down 82", "up 82",
                                                     "down 17", "down 86", "up 86", "up 17"};
    std::vector<std::string> keys = note.Keys();
    ASSERT_GE(keys.size(), switchAndPaste.size());
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 10), switchAndPaste);
    EXPECT_EQ(keys.size(), 10u + 2 * 4u);

    // The second tab scrolls: a picture below its visible part comes into
    // view with the wheel, and a click picks the picture under the pointer.
    ASSERT_TRUE(program.Reveal());
    HWND tabs = ProgramUnderTest::FindChild(program.Main(), "SysTabControl32");
    ASSERT_NE(tabs, nullptr);
    RECT tab = program.TabRect(tabs, 1);
    ASSERT_TRUE(ClickAtScreen(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2}));
    HWND many = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        many = ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView");
        return many && many != view;
    }));
    EXPECT_TRUE(WaitFor([&] { return (GetWindowLongA(many, GWL_STYLE) & WS_VSCROLL) != 0; }));
    RECT visible;
    GetClientRect(many, &visible);
    MapWindowPoints(many, nullptr, reinterpret_cast<POINT*>(&visible), 2);
    constexpr int kTarget = 250;  // rows below the first screen
    RECT where{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(many, kTarget + 1, where); }));
    EXPECT_GT(where.top, visible.bottom);
    // A press in the page's margin picks nothing; the view has the focus then,
    // whatever took it with the tab, and the wheel goes to it.
    ASSERT_TRUE(ClickAtScreen(POINT{visible.left + 3, visible.top + 3}));
    const POINT middle{(visible.left + visible.right) / 2, (visible.top + visible.bottom) / 2};
    ASSERT_TRUE(MovePointerTo(middle));
    ASSERT_TRUE(WaitFor([&] {
        if (PictureOnScreen(many, kTarget + 1, where) && where.top >= visible.top && where.bottom <= visible.bottom)
            return true;
        RunUnixCommand("xdotool click 5");  // one notch down
        return false;
    }, 60000));
    ASSERT_TRUE(ClickAtScreen(POINT{(where.left + where.right) / 2, (where.top + where.bottom) / 2}));
    char name[16];
    wsprintfA(name, "m%03d.gif", kTarget);
    ASSERT_TRUE(note.WaitForPastes(4));
    EXPECT_EQ(note.Pastes().back(),
              literal::PlainFragment(ForwardSlashPath(app.Path()) + "/images/many/" + name));
    EXPECT_TRUE(program.Running());
}
