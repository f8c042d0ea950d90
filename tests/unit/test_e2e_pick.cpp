// The program's main job from outside: the real Tovira.exe with a crafted
// library and a stand-in compose window; real pointer clicks (xdotool) on
// pictures of the native picture view paste them into the compose window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "IconPageText.h"
#include "PictureFlow.h"
#include "ProgramUnderTest.h"
#include "clip_peer.h"

namespace {

using clip_test::ComposePeer;

std::string LibraryPicture(const std::string& relative) {
    return TempFolder::ReadFile(WinePath(std::string(LIBRARY_DIR_UNIX) + "/" + relative));
}

// The screen point at the middle of picture `index` of a page whose first
// pictures all have `size` (the view's own flow, scrolled by `scrollY`).
POINT PictureCentre(HWND view, int index, flow::Size size, int scrollY = 0) {
    RECT client;
    GetClientRect(view, &client);
    flow::Layout layout(client.right);
    for (int i = 0; i <= index; ++i) layout.Add(size);
    const flow::Rect& box = layout.Box(index);
    POINT p{(box.left + box.right) / 2, (box.top + box.bottom) / 2 - scrollY};
    ClientToScreen(view, &p);
    return p;
}

bool WaitForPastes(const ComposePeer& peer, size_t count) {
    return WaitFor([&] {
        auto keys = peer.Keys();
        return peer.Pastes().size() >= count && !keys.empty() && keys.back() == "up 17";
    });
}

}  // namespace

TEST(PickEndToEnd, ClickedPicturesArePastedIntoTheComposeWindow) {
    TempFolder app;
    const std::string smile = LibraryPicture("general/smile.gif");  // 24 x 24
    const std::string general = app.MakeFolder("images") + "\\general";
    app.MakeFolder("images\\general");
    app.WriteFile("images\\general\\a&b smile.gif", smile);
    app.WriteFile("images\\general\\Bob's smile.gif", smile);
    app.WriteFile("images\\general\\broken.gif", "GIF89a this is not a picture");
    app.WriteFile("images\\general\\wink.png", LibraryPicture("general/wink.png"));
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
        ASSERT_TRUE(WaitForPastes(note, number)) << name;
        EXPECT_EQ(note.Pastes().back(), BuildHtmlClipboardPayload("", folder + "/" + name) + '\0');
        // DoMinimize is on by default: the window goes back to the tray.
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program.Main()); }));
    };

    // A name with an ampersand, then one with an apostrophe, then the same again.
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 0, {24, 24})));
    expectPaste(1, "a&b smile.gif");
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 1, {24, 24})));
    expectPaste(2, "Bob's smile.gif");
    ASSERT_TRUE(program.Reveal());
    ASSERT_TRUE(ClickAtScreen(PictureCentre(view, 1, {24, 24})));
    expectPaste(3, "Bob's smile.gif");
    // The window was switched to HTML once, before the first paste.
    const std::vector<std::string> switchAndPaste = {"down 18", "down 79", "up 79", "up 18", "down 82", "up 82",
                                                     "down 17", "down 86", "up 86", "up 17"};
    std::vector<std::string> keys = note.Keys();
    ASSERT_GE(keys.size(), switchAndPaste.size());
    EXPECT_EQ(std::vector<std::string>(keys.begin(), keys.begin() + 10), switchAndPaste);
    EXPECT_EQ(keys.size(), 10u + 2 * 4u);

    // The second tab scrolls; the wheel moves it and a click still picks the
    // picture under the pointer.
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
    // A press in the page's margin gives the view the focus (and picks
    // nothing); two wheel notches then scroll three lines of 20 pixels each.
    POINT margin{3, 3};
    ClientToScreen(many, &margin);
    ASSERT_TRUE(RunUnixCommand("xdotool mousemove " + std::to_string(margin.x) + " " + std::to_string(margin.y) +
                               " click 1 click 5 click 5"));
    const int scrolled = 2 * 3 * 20;
    // Pick a picture a few rows down, where it is now.
    RECT client;
    GetClientRect(many, &client);
    flow::Layout layout(client.right);
    int target = -1;
    for (int i = 0; i < 400; ++i) {
        layout.Add({24, 24});
        const flow::Rect& box = layout.Box(i);
        if (box.top >= scrolled + 40) {
            target = i;
            break;
        }
    }
    ASSERT_GE(target, 0);
    ASSERT_TRUE(ClickAtScreen(PictureCentre(many, target, {24, 24}, scrolled)));
    char name[16];
    wsprintfA(name, "m%03d.gif", target);
    ASSERT_TRUE(WaitForPastes(note, 4));
    EXPECT_EQ(note.Pastes().back(),
              BuildHtmlClipboardPayload("", ForwardSlashPath(app.Path()) + "/images/many/" + name) + '\0');
    EXPECT_TRUE(program.Running());
}
