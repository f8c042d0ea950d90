// The real Tovira.exe: the menus dropped from its tool bar are painted by the
// themed-menu component. Clicks with the real pointer (xdotool); the pictures
// are read back from the screen.
#include <gtest/gtest.h>

#include <vector>

#include "Picture.h"
#include "ProgramUnderTest.h"
#include "XPMenuLogic.h"

namespace {

// A copy of a screen rectangle, 24 bits per pixel.
class ScreenShot {
public:
    explicit ScreenShot(const RECT& r) : origin_{r.left, r.top} {
        picture_.SetSize(r.right - r.left, r.bottom - r.top);
        HDC screen = GetDC(nullptr);
        BitBlt(picture_.Canvas().Handle(), 0, 0, picture_.Width(), picture_.Height(), screen, r.left, r.top, SRCCOPY);
        ReleaseDC(nullptr, screen);
    }
    int Width() const { return picture_.Width(); }
    int Height() const { return picture_.Height(); }
    // Screen coordinates.
    COLORREF At(int x, int y) const { return picture_.Pixel(x - origin_.x, y - origin_.y); }
    POINT Origin() const { return origin_; }

private:
    TBitmap picture_;
    POINT origin_;
};

struct Pixel {
    int x, y;
    COLORREF colour;
};

// The non-see-through pixels of one 16 x 16 image of the menu image strip.
std::vector<Pixel> MenuImage(int index) {
    TBitmap strip;
    strip.LoadFromResourceName(GetModuleHandleA(nullptr), "IMAGELIST6");
    std::vector<Pixel> out;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            COLORREF c = strip.Pixel(index * 16 + x, y);
            if (c != RGB(255, 0, 255)) out.push_back({x, y, c});
        }
    return out;
}

// Top-left screen point where `image` (colours mapped by `shade`) lies in the shot, or {-1, -1}.
template <class Shade>
POINT FindImage(const ScreenShot& shot, const std::vector<Pixel>& image, Shade shade) {
    const POINT o = shot.Origin();
    for (int y = o.y; y < o.y + shot.Height() - 16; ++y)
        for (int x = o.x; x < o.x + shot.Width() - 16; ++x) {
            bool all = true;
            for (const Pixel& p : image)
                if (shot.At(x + p.x, y + p.y) != shade(p.colour)) {
                    all = false;
                    break;
                }
            if (all) return POINT{x, y};
        }
    return POINT{-1, -1};
}

// Drawn check boxes: a 10 x 10 frame in the highlight colour, filled, with the black tick.
int CheckBoxes(const ScreenShot& shot) {
    const COLORREF frame = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF fill = xpmenu::Lighten(frame, 80), hotFill = xpmenu::Lighten(frame, 50);
    const POINT o = shot.Origin();
    int n = 0;
    for (int y = o.y; y < o.y + shot.Height() - 10; ++y)
        for (int x = o.x; x < o.x + shot.Width() - 10; ++x)
            if (shot.At(x, y) == frame && shot.At(x + 9, y) == frame && shot.At(x, y + 9) == frame &&
                shot.At(x + 9, y + 9) == frame && (shot.At(x + 2, y + 2) == fill || shot.At(x + 2, y + 2) == hotFill) &&
                shot.At(x + 1, y + 5) == RGB(0, 0, 0))
                ++n;
    return n;
}

class MenuSession {
public:
    explicit MenuSession(ProgramUnderTest& program) : program_(program) {}

    // Clicks tool-bar button `index` (File, Options, Help) and waits for its menu.
    HWND Drop(int index) {
        HWND bar = ProgramUnderTest::FindChild(program_.Main(), "ToolbarWindow32");
        if (!bar) return nullptr;
        RECT r{};
        GetWindowRect(bar, &r);
        const int centres[] = {15, 56, 100};
        if (!ClickAtScreen(POINT{r.left + centres[index], r.top + 10})) return nullptr;
        HWND menu = nullptr;
        WaitFor([&] { return (menu = program_.FindOwnWindow("#32768", nullptr)) != nullptr; }, 10000);
        return menu;
    }
    bool Close(HWND menu) {
        RunUnixCommand("xdotool key Escape");
        return WaitFor([&] { return !IsWindowVisible(menu); }, 10000);
    }

private:
    ProgramUnderTest& program_;
};

RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

}  // namespace

TEST(MenusEndToEnd, DroppedMenusArePaintedByTheThemedMenuComponent) {
    TempFolder app;
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.StartShown());
    MenuSession session(program);
    const COLORREF column = xpmenu::Lighten(GetSysColor(COLOR_BTNFACE), 16);
    const COLORREF background = xpmenu::Lighten(GetSysColor(COLOR_BTNFACE), 86);

    // File: the icon column, and Exit's image faded 30 % in it.
    HWND file = session.Drop(0);
    ASSERT_NE(file, nullptr);
    const std::vector<Pixel> exitImage = MenuImage(3);
    ASSERT_GT(exitImage.size(), 20u);
    auto faded = [](COLORREF c) { return xpmenu::Lighten(c, 30); };
    auto full = [](COLORREF c) { return c; };
    POINT at{-1, -1};
    ASSERT_TRUE(
        WaitFor([&] { return (at = FindImage(ScreenShot(WindowRect(file)), exitImage, faded)).x >= 0; }, 10000));
    {
        ScreenShot shot(WindowRect(file));
        // The column runs 3 pixels left of the image to 5 right of it; the background beyond.
        EXPECT_EQ(shot.At(at.x - 2, at.y - 2), column);
        EXPECT_EQ(shot.At(at.x + 19, at.y + 8), column);
        EXPECT_EQ(shot.At(at.x + 40, at.y - 2), background);
        EXPECT_LT(FindImage(shot, exitImage, full).x, 0);
    }
    // Pointing at Exit lifts its image, in full colour, by one pixel.
    ASSERT_TRUE(ProgramUnderTest::MovePointer(POINT{at.x + 60, at.y + 8}));
    POINT lifted{-1, -1};
    EXPECT_TRUE(
        WaitFor([&] { return (lifted = FindImage(ScreenShot(WindowRect(file)), exitImage, full)).x >= 0; }, 10000));
    EXPECT_EQ(lifted.x, at.x - 1);
    EXPECT_EQ(lifted.y, at.y - 1);
    ASSERT_TRUE(session.Close(file));

    // Options: three drawn check boxes ("Paste into other programs" the
    // last); two after unticking the first option.
    HWND options = session.Drop(1);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(WaitFor([&] { return CheckBoxes(ScreenShot(WindowRect(options))) == 3; }, 10000));
    RECT r = WindowRect(options);
    ASSERT_TRUE(ClickAtScreen(POINT{r.left + 60, r.top + 14}));
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(options); }, 10000));
    options = session.Drop(1);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(WaitFor([&] { return CheckBoxes(ScreenShot(WindowRect(options))) == 2; }, 10000));
    ASSERT_TRUE(session.Close(options));

    program.PressKeys({VK_CONTROL, 'X'});
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(TempFolder::ReadFile(app / "Tovira.ini"),
              "[Options]\r\nDoMinimize=0\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n");
}
