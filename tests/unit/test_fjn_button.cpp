// The flat button: its two looks pixel by pixel (drawn into a memory bitmap
// and onto a real window at once), and the mouse table on a real window.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "TestApplication.h"
#include "Wait.h"
#include "WindowCapture.h"
#include "fjnButton.h"

namespace {

constexpr COLORREF kFace = RGB(231, 223, 231);  // the rescue dialog's background
constexpr COLORREF kBlack = RGB(0, 0, 0), kGrey = RGB(128, 128, 128), kWhite = RGB(255, 255, 255);

class Host : public TForm {
public:
    Host() : TForm(nullptr) {
        SetBorderStyle(bsNone);
        SetBounds(100, 100, 200, 100);
    }
    // A fresh button and counters for each case; the window is shared.
    void Reset() {
        delete button;
        SetColor(static_cast<TColor>(kFace));
        Font().SetHeight(-11);
        button = new TfjnButton(this);
        button->SetName("Button1");
        button->SetParent(this);
        button->SetBounds(20, 30, 65, 24);
        button->OnClick = EVENT(TNotifyEvent, Host, Clicked, this);
        button->OnDoubleClick = EVENT(TNotifyEvent, Host, DoubleClicked, this);
        button->OnMouseEnter = EVENT(TNotifyEvent, Host, Entered, this);
        button->OnMouseLeave = EVENT(TNotifyEvent, Host, Left, this);
        clicks = doubleClicks = enters = leaves = 0;
        pressedAtClick = false;
        // The pointer starts outside the button.
        Send(WM_MOUSEMOVE, 150, 80);
        enters = leaves = 0;
    }
    void Clicked(TObject*) {
        ++clicks;
        pressedAtClick = button->Pressed();
    }
    void DoubleClicked(TObject*) { ++doubleClicks; }
    void Entered(TObject*) { ++enters; }
    void Left(TObject*) { ++leaves; }

    // Mouse messages as the window gets them, at points of the form.
    void Send(UINT msg, int x, int y, WPARAM keys = 0) { SendMessageA(Handle(), msg, keys, MAKELPARAM(x, y)); }

    TfjnButton* button = nullptr;
    int clicks = 0, doubleClicks = 0, enters = 0, leaves = 0;
    bool pressedAtClick = false;
};

// The button painted alone into a bitmap of its size.
TBitmap Render(TfjnButton& button) {
    TBitmap picture;
    picture.SetSize(button.Width(), button.Height(), RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, picture.Handle());
    button.PaintTo(dc);
    SelectObject(dc, old);
    DeleteDC(dc);
    return picture;
}

// The bounding box of the caption's pixels inside the bevel.
RECT TextBox(const TBitmap& p) {
    RECT box{p.Width(), p.Height(), -1, -1};
    for (int y = 2; y < p.Height() - 2; ++y)
        for (int x = 2; x < p.Width() - 2; ++x)
            if (p.Pixel(x, y) == kBlack) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x + 1);
                box.bottom = std::max<LONG>(box.bottom, y + 1);
            }
    return box;
}

class FlatButtonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        host = new Host();
        host->AfterConstruction();
        host->Show();
    }
    static void TearDownTestSuite() {
        delete host;
        host = nullptr;
    }
    void SetUp() override {
        host->Reset();
        UpdateWindow(host->Handle());
    }
    static Host* host;
};
Host* FlatButtonTest::host = nullptr;

TEST_F(FlatButtonTest, ConstructionAndFollowingTheParent) {
    TfjnButton plain(nullptr);
    EXPECT_EQ(plain.Width(), 72);
    EXPECT_EQ(plain.Height(), 24);
    EXPECT_EQ(plain.Caption(), "");
    EXPECT_FALSE(plain.Transparent());

    TfjnButton& b = *host->button;
    EXPECT_EQ(b.Color(), static_cast<TColor>(kFace));
    host->SetColor(clRed);
    EXPECT_EQ(b.Color(), clRed);
    b.SetColor(clYellow);
    host->SetColor(clGreen);
    EXPECT_EQ(b.Color(), clYellow) << "a colour of its own ends the following";

    host->Font().SetHeight(-20);
    EXPECT_EQ(b.Font().Height(), -20);
    b.Font().SetHeight(-9);
    host->Font().SetHeight(-15);
    EXPECT_EQ(b.Font().Height(), -9);
}

TEST_F(FlatButtonTest, RaisedAndSunkenLooks) {
    TfjnButton& b = *host->button;
    b.SetCaption("Apply");
    // A font of its own does not reach the drawing: the canvas default is used.
    b.Font().SetHeight(-30);
    const int w = b.Width(), h = b.Height();

    TBitmap raised = Render(b);
    EXPECT_EQ(raised.Pixel(0, 0), kWhite);
    EXPECT_EQ(raised.Pixel(0, h - 1), kWhite);
    EXPECT_EQ(raised.Pixel(w - 1, 0), kWhite);
    EXPECT_EQ(raised.Pixel(w - 1, h - 1), kBlack);
    EXPECT_EQ(raised.Pixel(w / 2, h - 1), kBlack);
    EXPECT_EQ(raised.Pixel(w - 1, h / 2), kBlack);
    EXPECT_EQ(raised.Pixel(1, 1), kGrey);
    EXPECT_EQ(raised.Pixel(w - 2, h - 2), kGrey);
    EXPECT_EQ(raised.Pixel(1, h / 2), kGrey);
    EXPECT_EQ(raised.Pixel(3, 3), kFace);
    EXPECT_EQ(raised.Pixel(w - 3, h - 3), kFace);

    b.SetPressed(true);
    TBitmap sunken = Render(b);
    EXPECT_EQ(sunken.Pixel(0, 0), kBlack);
    EXPECT_EQ(sunken.Pixel(0, h - 1), kBlack);
    EXPECT_EQ(sunken.Pixel(w - 1, 0), kBlack);
    EXPECT_EQ(sunken.Pixel(w - 1, h - 1), kWhite);
    EXPECT_EQ(sunken.Pixel(w / 2, h - 1), kWhite);
    EXPECT_EQ(sunken.Pixel(1, 1), kGrey);
    EXPECT_EQ(sunken.Pixel(3, 3), kFace);

    RECT up = TextBox(raised), down = TextBox(sunken);
    ASSERT_LT(up.left, up.right) << "the caption is drawn";
    EXPECT_LT(up.bottom - up.top, 12) << "in the 8-point default font";
    EXPECT_EQ(down.left, up.left + 2);
    EXPECT_EQ(down.top, up.top + 1);
    EXPECT_EQ(down.right - down.left, up.right - up.left);
}

TEST_F(FlatButtonTest, TransparentLeavesTheFaceAlone) {
    TfjnButton& b = *host->button;
    b.SetTransparent(true);
    TBitmap picture = Render(b);
    EXPECT_EQ(picture.Pixel(3, 3), RGB(1, 2, 3));
    EXPECT_EQ(picture.Pixel(0, 0), kWhite);
}

TEST_F(FlatButtonTest, AnEmptyCaptionShowsTheName) {
    // The window was painted once since the button was made without a caption.
    TfjnButton& b = *host->button;
    EXPECT_EQ(b.Caption(), "Button1");
    EXPECT_GT(Capture(host->Handle()).Count(kBlack, RECT{22, 32, 83, 52}), 10) << "a caption inside the bevel";

    TfjnButton alone(nullptr);
    alone.SetName("Button7");
    EXPECT_EQ(alone.Caption(), "");
    Render(alone);
    EXPECT_EQ(alone.Caption(), "Button7");
}

TEST_F(FlatButtonTest, ChangesPaintAtOnceOnTheParentWindow) {
    TfjnButton& b = *host->button;
    // No message is handled between the change and the look: it was drawn directly.
    b.SetPressed(true);
    EXPECT_EQ(Capture(host->Handle()).At(20, 30), kBlack);
    b.SetPressed(false);
    EXPECT_EQ(Capture(host->Handle()).At(20, 30), kWhite);
    b.SetCaption("A much longer caption");
    RECT text = Capture(host->Handle()).Extent(kBlack);
    EXPECT_LE(text.left, 23) << "the longer caption fills the face";
}

TEST_F(FlatButtonTest, PressLeaveReenterAndReleaseInsideClicks) {
    host->Send(WM_MOUSEMOVE, 30, 40);
    EXPECT_EQ(host->enters, 1);
    host->Send(WM_LBUTTONDOWN, 30, 40, MK_LBUTTON);
    EXPECT_TRUE(host->button->Pressed());
    EXPECT_EQ(GetCapture(), host->Handle());
    host->Send(WM_MOUSEMOVE, 150, 80, MK_LBUTTON);
    EXPECT_FALSE(host->button->Pressed());
    EXPECT_EQ(host->leaves, 1);
    host->Send(WM_MOUSEMOVE, 30, 40, MK_LBUTTON);
    EXPECT_FALSE(host->button->Pressed()) << "re-entering does not press again";
    EXPECT_EQ(host->enters, 2);
    host->Send(WM_LBUTTONUP, 30, 40);
    EXPECT_EQ(host->clicks, 1);
    EXPECT_NE(GetCapture(), host->Handle());
}

TEST_F(FlatButtonTest, ReleaseOutsideDoesNotClick) {
    host->Send(WM_LBUTTONDOWN, 30, 40, MK_LBUTTON);
    host->Send(WM_MOUSEMOVE, 150, 80, MK_LBUTTON);
    host->Send(WM_LBUTTONUP, 150, 80);
    EXPECT_EQ(host->clicks, 0);
    // A release over the button after a press elsewhere does not click either.
    host->Send(WM_LBUTTONDOWN, 150, 80, MK_LBUTTON);
    host->Send(WM_LBUTTONUP, 30, 40);
    EXPECT_EQ(host->clicks, 0);
}

TEST_F(FlatButtonTest, ClickComesBeforeTheRaisedRepaint) {
    host->Send(WM_LBUTTONDOWN, 30, 40, MK_LBUTTON);
    host->Send(WM_LBUTTONUP, 30, 40);
    EXPECT_EQ(host->clicks, 1);
    EXPECT_TRUE(host->pressedAtClick);
    EXPECT_FALSE(host->button->Pressed());
}

TEST_F(FlatButtonTest, MiddlePressDrawsSunkenWithoutClick) {
    host->Send(WM_MBUTTONDOWN, 30, 40, MK_MBUTTON);
    EXPECT_TRUE(host->button->Pressed());
    EXPECT_EQ(Capture(host->Handle()).At(20, 30), kBlack);
    host->Send(WM_MBUTTONUP, 30, 40);
    EXPECT_FALSE(host->button->Pressed());
    EXPECT_EQ(host->clicks, 0);
}

TEST_F(FlatButtonTest, DoubleClickGivesOneClickAndOneDoubleClick) {
    host->Send(WM_LBUTTONDOWN, 30, 40, MK_LBUTTON);
    host->Send(WM_LBUTTONUP, 30, 40);
    host->Send(WM_LBUTTONDBLCLK, 30, 40, MK_LBUTTON);
    EXPECT_TRUE(host->button->Pressed()) << "the second press draws it sunken";
    host->Send(WM_LBUTTONUP, 30, 40);
    EXPECT_EQ(host->clicks, 1);
    EXPECT_EQ(host->doubleClicks, 1);
    EXPECT_FALSE(host->button->Pressed());
}

}  // namespace
