// The three windows laid out for the screen's resolution: child bounds,
// fonts, pictures and icons against the scaled layout, and WM_DPICHANGED.
// The suite runs at the prefix's resolution (96 dpi in the test prefixes);
// tests/e2e/dpi.sh runs it again with LogPixels 120, 144 and 192 and
// TOVIRA_TEST_DPI naming the resolution it set.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "Buttons.h"
#include "ComCtrls.h"
#include "CoolTrayIcon.h"
#include "Dpi.h"
#include "PictureView.h"
#include "ProgramUnderTest.h"
#include "ExtCtrls.h"
#include "StdCtrls.h"
#include "TestApplication.h"
#include "UnixCommand.h"
#include "Wait.h"
#include "WineTray.h"
#include "XPMenu.h"
#include "about.h"
#include "fjnButton.h"
#include "main.h"
#include "setreg.h"

[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

namespace {

int ExpectedDpi() {
    const char* value = std::getenv("TOVIRA_TEST_DPI");
    return value ? std::atoi(value) : 96;
}

struct Bounds {
    int left, top, width, height;
};
bool operator==(const Bounds& a, const Bounds& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
std::ostream& operator<<(std::ostream& out, const Bounds& b) {
    return out << "(" << b.left << ", " << b.top << ", " << b.width << ", " << b.height << ")";
}

// The object's bounds and, for a windowed control, its window's place in
// its parent, which must agree.
Bounds BoundsOf(TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w->HandleAllocated()) {
        RECT r;
        GetWindowRect(w->Handle(), &r);
        MapWindowPoints(nullptr, GetParent(w->Handle()), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((Bounds{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (Bounds{c->Left(), c->Top(), c->Width(), c->Height()}))
            << c->Name();
    }
    return Bounds{c->Left(), c->Top(), c->Width(), c->Height()};
}

SIZE ClientSize(HWND wnd) {
    RECT r;
    GetClientRect(wnd, &r);
    return SIZE{r.right, r.bottom};
}

// The height of the font a control's window draws with.
int WindowFontHeight(TWinControl* c) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(c->Handle(), WM_GETFONT, 0, 0));
    LOGFONTA lf{};
    if (!font || !GetObjectA(font, sizeof lf, &lf)) return 0;
    return lf.lfHeight;
}

// The layouts' values at each resolution, worked out by hand from the 96-dpi
// layouts (edges scaled, halves away from zero).
struct Expected {
    SIZE mainClient;
    Bounds pageControl, minimizeButton, exitButton;
    int formFont, noticeFont, glyph;
    SIZE aboutClient;
    Bounds aboutOk;
    int aboutImageLeft;
    SIZE aboutImage;
    int aboutTitleFont;
    SIZE rescueClient;
    Bounds groupBox, checkBox1, applyButton;
    int titleBarHeight, titleFont;
    int separatorHeight, menuImage;
};
const std::map<int, Expected> kExpected = {
    {96, {{678, 457}, {12, 36, 653, 373}, {408, 419, 137, 28}, {552, 419, 105, 28}, -11, -19, 16,
          {396, 233}, {288, 184, 75, 25}, 11, {156, 213}, -29,
          {424, 242}, {16, 40, 393, 129}, {24, 24, 174, 17}, {336, 199, 65, 24}, 29, -13, 4, 16}},
    {120, {{848, 571}, {15, 45, 816, 466}, {510, 524, 171, 35}, {690, 524, 131, 35}, -14, -24, 20,
           {495, 291}, {360, 230, 94, 31}, 14, {195, 266}, -36,
           {530, 303}, {20, 50, 491, 161}, {30, 30, 218, 21}, {420, 249, 81, 30}, 36, -16, 5, 20}},
    {144, {{1017, 686}, {18, 54, 980, 560}, {612, 629, 206, 42}, {828, 629, 158, 42}, -17, -29, 24,
           {594, 350}, {432, 276, 113, 38}, 17, {234, 320}, -44,
           {636, 363}, {24, 60, 590, 194}, {36, 36, 261, 26}, {504, 299, 98, 36}, 44, -20, 6, 24}},
    {192, {{1356, 914}, {24, 72, 1306, 746}, {816, 838, 274, 56}, {1104, 838, 210, 56}, -22, -38, 32,
           {792, 466}, {576, 368, 150, 50}, 22, {312, 426}, -58,
           {848, 484}, {32, 80, 786, 258}, {48, 48, 348, 34}, {672, 398, 130, 48}, 58, -26, 8, 32}},
};

// Shows the form and lets its paints through.
void ShowAndSettle(TForm* form) {
    form->Show();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    WaitFor([&] {
        Application->ProcessMessages();
        return IsWindowVisible(form->Handle()) != FALSE;
    });
    // The X side maps the window a moment after Windows shows it: let the
    // pending paints through before reading the screen.
    for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 25, QS_ALLINPUT);
    }
}

// With TOVIRA_DPI_SHOTS naming a Unix folder (tests/e2e/dpi.sh sets it),
// the form is shown and the screen saved there as <name>-<dpi>dpi.png.
void ScreenShot(TForm* form, const char* name) {
    const char* folder = std::getenv("TOVIRA_DPI_SHOTS");
    if (!folder) return;
    ShowAndSettle(form);
    const std::string file = std::string(folder) + "/" + name + "-" + std::to_string(ExpectedDpi()) + "dpi.png";
    EXPECT_TRUE(RunUnixCommand("import -window root '" + file + "'"));
}

// The same for a menu dropped from `form`'s menu bar: the shot is taken when
// the menu's loop first goes idle (WM_ENTERIDLE, its items painted), then the
// menu is closed. A timer ends a menu that never goes idle.
WNDPROC formProcBeforeShot = nullptr;
std::string pendingMenuShot;
constexpr UINT_PTR kMenuShotTimeout = 0x5d01;

LRESULT CALLBACK ShootWhenMenuIdle(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ENTERIDLE && wp == MSGF_MENU && !pendingMenuShot.empty()) {
        const std::string file = pendingMenuShot;
        pendingMenuShot.clear();
        EXPECT_TRUE(RunUnixCommand("import -window root '" + file + "'"));
        EndMenu();
    } else if (msg == WM_TIMER && wp == kMenuShotTimeout) {
        ADD_FAILURE() << "the dropped menu never went idle";
        pendingMenuShot.clear();
        EndMenu();
        return 0;
    }
    return CallWindowProcA(formProcBeforeShot, wnd, msg, wp, lp);
}

void DroppedMenuShot(TForm* form, TMenuItem* menu, const char* name) {
    const char* folder = std::getenv("TOVIRA_DPI_SHOTS");
    if (!folder) return;
    ShowAndSettle(form);
    HWND wnd = form->Handle();
    pendingMenuShot = std::string(folder) + "/" + name + "-" + std::to_string(ExpectedDpi()) + "dpi.png";
    formProcBeforeShot = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ShootWhenMenuIdle)));
    SetTimer(wnd, kMenuShotTimeout, 20000, nullptr);
    POINT at{dpi::Scale(40, ExpectedDpi()), 0};
    ClientToScreen(wnd, &at);
    TrackPopupMenu(menu->Handle(), TPM_LEFTALIGN | TPM_TOPALIGN, at.x, at.y, 0, wnd, nullptr);
    KillTimer(wnd, kMenuShotTimeout);
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(formProcBeforeShot));
    EXPECT_TRUE(pendingMenuShot.empty()) << "no shot of the dropped menu";
    pendingMenuShot.clear();
}

const Expected& Values() {
    auto it = kExpected.find(ExpectedDpi());
    if (it == kExpected.end()) {
        ADD_FAILURE() << "no expected values for " << ExpectedDpi() << " dpi";
        return kExpected.at(96);
    }
    return it->second;
}

}  // namespace

// What the platform reports; printed so that runs under Wine say what it does.
TEST(DpiLayout, TheProcessSeesTheScreensResolution) {
    TestApplication();
    using GetAwarenessFn = DPI_AWARENESS_CONTEXT(WINAPI*)();
    using AwarenessOfFn = DPI_AWARENESS(WINAPI*)(DPI_AWARENESS_CONTEXT);
    HMODULE user32 = GetModuleHandleA("user32.dll");
    auto getContext = reinterpret_cast<GetAwarenessFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
    auto awarenessOf = reinterpret_cast<AwarenessOfFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
    const int awareness = getContext && awarenessOf ? static_cast<int>(awarenessOf(getContext())) : -1;
    std::printf("dpi: system %d, expected %d, awareness %d, SM_CXSMICON %d (%d for the dpi), SM_CXICON %d (%d for the dpi)\n",
                SystemDpi(), ExpectedDpi(), awareness, GetSystemMetrics(SM_CXSMICON),
                SystemMetricForDpi(SM_CXSMICON, SystemDpi()), GetSystemMetrics(SM_CXICON),
                SystemMetricForDpi(SM_CXICON, SystemDpi()));
    EXPECT_EQ(SystemDpi(), ExpectedDpi());
    // The manifest asks for per-monitor awareness (v2 where offered): an
    // unaware process would be shown 96 dpi and stretched.
    EXPECT_GE(awareness, static_cast<int>(DPI_AWARENESS_SYSTEM_AWARE));
}

TEST(DpiLayout, MainWindowFollowsTheScaledLayout) {
    TestApplication();
    const Expected& e = Values();
    TfrmMain* form = Application->CreateForm<TfrmMain>(nullptr);
    const SIZE client = ClientSize(form->Handle());
    EXPECT_EQ(client.cx, e.mainClient.cx);
    EXPECT_EQ(client.cy, e.mainClient.cy);
    EXPECT_EQ(BoundsOf(form->PageControl1), e.pageControl);
    EXPECT_EQ(BoundsOf(form->BitBtn2), e.minimizeButton);
    EXPECT_EQ(BoundsOf(form->BitBtn3), e.exitButton);
    EXPECT_EQ(form->Font().Height(), e.formFont);
    EXPECT_EQ(WindowFontHeight(form->BitBtn2), e.formFont);
    EXPECT_EQ(WindowFontHeight(form->PageControl1), e.formFont);
    auto* toolBar = dynamic_cast<TWinControl*>(form->FindComponent("ToolBar1"));
    ASSERT_NE(toolBar, nullptr);
    EXPECT_EQ(WindowFontHeight(toolBar), e.formFont);
    EXPECT_EQ(form->Panel2->Font().Height(), e.noticeFont);  // a panel of our own class draws with its Font
    EXPECT_EQ(form->BitBtn2->Glyph().Width(), e.glyph);
    EXPECT_EQ(form->BitBtn2->Glyph().Height(), e.glyph);
    // The tray icon takes the small-icon size of the resolution.
    auto* tray = dynamic_cast<TCoolTrayIcon*>(form->FindComponent("CoolTrayIcon1"));
    ASSERT_NE(tray, nullptr);
    EXPECT_EQ(tray->Icon().Width(), SystemMetricForDpi(SM_CXSMICON, ExpectedDpi()));
    EXPECT_EQ(tray->Icon().Width(), GetSystemMetrics(SM_CXSMICON));
    ScreenShot(form, "window");

    // Menu items measured at the scale: the separator, and an item with an
    // image (at least the scaled image plus 6, and its text's height and 3/4).
    auto* menus = dynamic_cast<TXPMenu*>(form->FindComponent("XPMenu1"));
    auto* exit = dynamic_cast<TMenuItem*>(form->FindComponent("Exit1"));
    auto* separator = dynamic_cast<TMenuItem*>(form->FindComponent("N1"));
    ASSERT_TRUE(menus && exit && separator);
    HDC screen = GetDC(nullptr);
    {
        TCanvas canvas(screen);
        int width = 0, height = 0;
        menus->MeasureMenuItem(separator, canvas, width, height);
        EXPECT_EQ(height, e.separatorHeight);
        width = height = 0;
        menus->MeasureMenuItem(exit, canvas, width, height);
        std::printf("menu item height at %d dpi: %d\n", ExpectedDpi(), height);
        EXPECT_GE(height, e.menuImage + 6);
        const int textHeight = canvas.TextHeight("Exit");
        EXPECT_GE(height, textHeight + textHeight * 3 / 4);
        // The menu font is the system's at this resolution.
        const NONCLIENTMETRICSA metrics = NonClientMetricsForDpi(ExpectedDpi());
        EXPECT_EQ(canvas.Font.Height(), metrics.lfMenuFont.lfHeight);
    }
    ReleaseDC(nullptr, screen);
    delete form;
}

// A checked pop-up item drawn at the resolution: its check box, the box's
// frame, the check mark's strokes and the selection frame at the scaled
// geometry (worked out by hand: 10 px box, 24 px column, 1 px lines).
TEST(DpiLayout, CheckedMenuItemIsDrawnAtTheScale) {
    struct CheckAt {
        int dpi, givenHeight;
        int left, top, side, line;
        POINT shortStrokeStart, longStrokeStart;
    };
    const std::array<CheckAt, 4> table{{{96, 23, 7, 7, 10, 1, {8, 12}, {11, 14}},
                                        {120, 29, 8, 8, 13, 1, {9, 14}, {13, 17}},
                                        {144, 35, 10, 10, 15, 2, {12, 18}, {16, 20}},
                                        {192, 46, 14, 13, 20, 2, {16, 23}, {22, 27}}}};
    const CheckAt* e = nullptr;
    for (const CheckAt& row : table)
        if (row.dpi == ExpectedDpi()) e = &row;
    if (!e) GTEST_SKIP() << "no values for " << ExpectedDpi() << " dpi";

    TestApplication();
    TfrmMain* form = Application->CreateForm<TfrmMain>(nullptr);
    auto* menus = dynamic_cast<TXPMenu*>(form->FindComponent("XPMenu1"));
    auto* item = dynamic_cast<TMenuItem*>(form->FindComponent("Minimizewhenclickaimage1"));
    ASSERT_TRUE(menus && item);
    const bool wasChecked = item->Checked();
    item->SetChecked(true);
    const RECT given{0, 0, 300, e->givenHeight};

    TBitmap plain;
    plain.SetSize(300, e->givenHeight + 2, RGB(1, 2, 3));
    menus->DrawMenuItem(item, plain.Canvas(), given, false);
    const int L = e->left, T = e->top, R = L + e->side, B = T + e->side, w = e->line;
    const COLORREF border = plain.Pixel(L, T);
    EXPECT_EQ(plain.Pixel(R - 1, B - 1), border);
    EXPECT_EQ(plain.Pixel(L, B - 1), border);
    EXPECT_EQ(plain.Pixel(L + w - 1, T + w - 1), border);  // the frame's lines are w thick
    EXPECT_NE(plain.Pixel(L - 1, T + e->side / 2), border);
    EXPECT_NE(plain.Pixel(R, B - 1), border);
    EXPECT_NE(plain.Pixel(L + w, T + 2 * w), border);  // the fill inside
    EXPECT_NE(plain.Pixel(L + w, T + 2 * w), RGB(0, 0, 0));
    EXPECT_EQ(plain.Pixel(e->shortStrokeStart.x, e->shortStrokeStart.y), RGB(0, 0, 0));
    EXPECT_EQ(plain.Pixel(e->longStrokeStart.x, e->longStrokeStart.y), RGB(0, 0, 0));

    TBitmap selected;
    selected.SetSize(300, e->givenHeight + 2, RGB(1, 2, 3));
    menus->DrawMenuItem(item, selected.Canvas(), given, true);
    const COLORREF frame = selected.Pixel(100, w);  // the bar starts a line down
    EXPECT_NE(selected.Pixel(100, w - 1), frame);
    EXPECT_EQ(selected.Pixel(100, 2 * w - 1), frame);
    EXPECT_NE(selected.Pixel(100, 2 * w), frame);
    EXPECT_EQ(selected.Pixel(w - 1, T - 1), frame);
    EXPECT_NE(selected.Pixel(w, T - 1), frame);

    auto* options = dynamic_cast<TMenuItem*>(form->FindComponent("Options1"));
    ASSERT_NE(options, nullptr);
    DroppedMenuShot(form, options, "options-menu");

    item->SetChecked(wasChecked);
    delete form;
}

TEST(DpiLayout, AboutDialogFollowsTheScaledLayout) {
    TestApplication();
    const Expected& e = Values();
    auto* dialog = new TfrmAbout(nullptr);
    dialog->AfterConstruction();
    const SIZE client = ClientSize(dialog->Handle());
    EXPECT_EQ(client.cx, e.aboutClient.cx);
    EXPECT_EQ(client.cy, e.aboutClient.cy);
    EXPECT_EQ(BoundsOf(dialog->Button1), e.aboutOk);
    // The picture sizes itself: the about picture at the scale.
    EXPECT_EQ(BoundsOf(dialog->Image2), (Bounds{e.aboutImageLeft, e.aboutImageLeft, e.aboutImage.cx, e.aboutImage.cy}));
    EXPECT_EQ(dialog->Image2->Picture().Width(), e.aboutImage.cx);
    EXPECT_EQ(dialog->Label1->Font().Height(), e.aboutTitleFont);
    EXPECT_EQ(WindowFontHeight(dialog->Button1), e.formFont);
    ScreenShot(dialog, "about");
    delete dialog;
}

TEST(DpiLayout, RescueDialogFollowsTheScaledLayout) {
    TestApplication();
    const Expected& e = Values();
    auto* dialog = new TfrmPro(nullptr);
    dialog->AfterConstruction();
    const SIZE client = ClientSize(dialog->Handle());
    EXPECT_EQ(client.cx, e.rescueClient.cx);
    EXPECT_EQ(client.cy, e.rescueClient.cy);
    EXPECT_EQ(BoundsOf(dialog->GroupBox1), e.groupBox);
    EXPECT_EQ(BoundsOf(dialog->CheckBox1), e.checkBox1);
    EXPECT_EQ(BoundsOf(dialog->Button1), e.applyButton);
    EXPECT_EQ(dialog->Image3->Height(), e.titleBarHeight);  // the title bar's pictures, at the scale
    EXPECT_EQ(dialog->Label4->Font().Height(), e.titleFont);
    EXPECT_EQ(WindowFontHeight(dialog->CheckBox1), e.formFont);
    // The region covers the whole scaled window (its top corners rounded).
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(dialog->Handle(), region), ERROR);
    RECT box;
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(box.right - box.left, e.rescueClient.cx);
    EXPECT_EQ(box.bottom, e.rescueClient.cy);
    ScreenShot(dialog, "rescue");
    delete dialog;
}

// The picture view draws at the scale: margins, gaps and the picture's box
// (24 x 24 at 96 dpi), which the highlight, focus frame and assistive
// technology take too.
TEST(DpiLayout, PictureViewPlacesPicturesAtTheScale) {
    TestApplication();
    // left margin, top margin, side of the 24-pixel picture
    const std::map<int, std::array<int, 3>> expected = {
        {96, {10, 15, 24}}, {120, {13, 19, 30}}, {144, {15, 23, 36}}, {192, {20, 30, 48}}};
    ASSERT_TRUE(expected.count(ExpectedDpi()));
    const auto [left, top, side] = expected.at(ExpectedDpi());
    TfrmMain* form = Application->CreateForm<TfrmMain>(nullptr);
    auto* view = new TPictureView(form);
    view->SetParent(form);
    view->SetBounds(0, 0, 300, 200);
    view->SetFiles({WinePath(std::string(TEST_DATA_DIR) + "/pictures/blink.gif")});
    form->Show();  // pictures are measured when they come into sight
    EXPECT_TRUE(WaitFor([&] {
        Application->ProcessMessages();
        return view->MeasuredCount() == view->Count() && !view->Busy();
    }));
    const RECT box = view->PictureRect(0);
    EXPECT_EQ(box.left, left);
    EXPECT_EQ(box.top, top);
    EXPECT_EQ(box.right - box.left, side);
    EXPECT_EQ(box.bottom - box.top, side);
    // A scroll line is 20 pixels at 96 dpi, scaled like the rest.
    const std::map<int, int> line = {{96, 20}, {120, 25}, {144, 30}, {192, 40}};
    view->SetBounds(0, 0, 300, side / 2);  // lower than the page
    SendMessageA(view->Handle(), WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(view->ScrollPos(), line.at(ExpectedDpi()));
    delete form;
}

// The system moves the window to a monitor of another resolution: the
// window takes the suggested rectangle, its controls and fonts follow, and
// coming back restores the layout exactly.
TEST(DpiLayout, DpiChangedTakesTheSuggestedRectangleAndRescales) {
    if (ExpectedDpi() != 96) GTEST_SKIP() << "run from 96 dpi";
    TestApplication();
    TfrmMain* form = Application->CreateForm<TfrmMain>(nullptr);
    RECT suggested{40, 30, 40 + 1040, 30 + 760};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(form->Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    EXPECT_EQ(form->Dpi(), 144);
    EXPECT_EQ(BoundsOf(form->BitBtn2), kExpected.at(144).minimizeButton);
    EXPECT_EQ(BoundsOf(form->PageControl1), kExpected.at(144).pageControl);
    EXPECT_EQ(WindowFontHeight(form->BitBtn2), -17);
    EXPECT_EQ(form->Panel2->Font().Height(), -29);
    EXPECT_EQ(form->BitBtn2->Glyph().Width(), 24);
    RECT back{531, 499, 531 + 690, 499 + 490};
    SendMessageA(form->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(BoundsOf(form->BitBtn2), kExpected.at(96).minimizeButton);
    EXPECT_EQ(BoundsOf(form->PageControl1), kExpected.at(96).pageControl);
    EXPECT_EQ(WindowFontHeight(form->BitBtn2), -11);
    EXPECT_EQ(form->BitBtn2->Glyph().Width(), 16);
    delete form;
}

// The borderless rescue dialog on a monitor of twice the resolution: its
// rounded region and its controls follow the rectangle the system suggests.
TEST(DpiLayout, RescueDialogReshapesOnDpiChanged) {
    if (ExpectedDpi() != 96) GTEST_SKIP() << "run from 96 dpi";
    TestApplication();
    auto* dialog = new TfrmPro(nullptr);
    dialog->AfterConstruction();
    // (5, 1) lies inside the 12-pixel corner of 96 dpi, outside the 24-pixel one.
    auto insideRegion = [&](int x, int y) {
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        const bool inside = GetWindowRgn(dialog->Handle(), shape) != ERROR && PtInRegion(shape, x, y);
        DeleteObject(shape);
        return inside;
    };
    EXPECT_TRUE(insideRegion(5, 1));
    RECT suggested{100, 80, 100 + 848, 80 + 484};
    SendMessageA(dialog->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(BoundsOf(dialog->GroupBox1), kExpected.at(192).groupBox);
    EXPECT_EQ(dialog->Label4->Font().Height(), kExpected.at(192).titleFont);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(dialog->Handle(), region), ERROR);
    RECT box;
    GetRgnBox(region, &box);
    DeleteObject(region);
    EXPECT_EQ(box.right - box.left, 848);
    EXPECT_EQ(box.bottom, 484);
    EXPECT_FALSE(insideRegion(5, 1));
    delete dialog;
}
