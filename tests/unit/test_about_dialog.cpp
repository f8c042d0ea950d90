// The link label and the about dialog on real windows: colours under the
// real pointer (xdotool), the layout, and the links through a shell handler
// registered in the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "LabelEx.h"
#include "ProgramUnderTest.h"
#include "ShellHandler.h"
#include "StdCtrls.h"
#include "TestApplication.h"
#include "Wait.h"
#include "WindowCapture.h"
#include "ProductInfo.h"
#include "about.h"

namespace {

class Host : public TForm {
public:
    Host() : TForm(nullptr) {
        SetBorderStyle(bsNone);
        SetBounds(50, 50, 300, 100);
        link = new TLabelEx(this);
        link->SetParent(this);
        link->SetBounds(10, 10, 100, 13);
        link->SetCaption("http://x");
        link->OnMouseEnter = EVENT(TNotifyEvent, Host, Entered, this);
        link->OnMouseLeave = EVENT(TNotifyEvent, Host, Left, this);
    }
    void Entered(TObject*) {
        ++enters;
        colorAtEnter = link->Font().Color();
    }
    void Left(TObject*) {
        ++leaves;
        colorAtLeave = link->Font().Color();
    }
    void Move(int x, int y) { SendMessageA(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    TLabelEx* link;
    int enters = 0, leaves = 0;
    TColor colorAtEnter = -1, colorAtLeave = -1;
};

class LinkLabelTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        host = std::make_unique<Host>();
        host->AfterConstruction();
        host->Show();
    }
    std::unique_ptr<Host> host;
};

TEST_F(LinkLabelTest, ALabelBuiltInCodeTurnsBlackAfterTheFirstHover) {
    TLabelEx& l = *host->link;
    EXPECT_EQ(l.ActiveColor, clBlue);
    EXPECT_EQ(l.NormalColor(), clBlack) << "zero until a layout finished loading";
    l.Font().SetColor(clGreen);
    host->Move(20, 15);
    EXPECT_EQ(l.Font().Color(), clBlue);
    EXPECT_EQ(host->colorAtEnter, clBlue) << "the colour changes before the event";
    host->Move(200, 80);
    EXPECT_EQ(l.Font().Color(), clBlack);
    EXPECT_EQ(host->colorAtLeave, clBlack);
    EXPECT_EQ(host->enters, 1);
    EXPECT_EQ(host->leaves, 1);
}

TEST_F(LinkLabelTest, ActiveColorLikeTheFontStillFiresBothEvents) {
    TLabelEx& l = *host->link;
    l.Font().SetColor(clBlack);
    l.ActiveColor = clBlack;
    host->Move(20, 15);
    host->Move(200, 80);
    EXPECT_EQ(host->enters, 1);
    EXPECT_EQ(host->leaves, 1);
    EXPECT_EQ(l.Font().Color(), clBlack);
}

TEST_F(LinkLabelTest, ALoadedColourIsCapturedOnceAndRestoredAtLeaving) {
    host.reset();
    TForm form(nullptr);
    RegisterComponentClass<TLabelEx>("TLabelEx");
    ReadLayoutText(&form, nullptr, R"(object F: TForm
  object L: TLabelEx
    Left = 10
    Top = 10
    Cursor = crHandPoint
    Caption = 'link'
    Font.Color = clRed
    ActiveColor = clLime
  end
end
)", "LINKTEST");
    auto* l = dynamic_cast<TLabelEx*>(form.FindComponent("L"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->NormalColor(), clRed);
    EXPECT_EQ(l->Cursor(), crHandPoint);
    EXPECT_EQ(l->ActiveColor, clLime);
    form.SetBounds(50, 50, 200, 80);
    form.Show();
    l->Font().SetColor(clPurple);  // set in code after loading
    SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(12, 12));
    EXPECT_EQ(l->Font().Color(), clLime);
    SendMessageA(form.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(150, 60));
    EXPECT_EQ(l->Font().Color(), clRed);
}

// ------------------------------------------------------------- the dialog

class AboutDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        dialog = new TfrmAbout(nullptr);
        dialog->AfterConstruction();
        dialog->Show();
        WaitFor([] { return IsWindowVisible(dialog->Handle()) != FALSE; });
    }
    static void TearDownTestSuite() {
        delete dialog;
        dialog = nullptr;
    }
    // Screen point of a control's centre.
    static POINT CentreOf(TControl* c) {
        RECT r = c->BoundsRect();
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(dialog->Handle(), &p);
        return p;
    }
    static TfrmAbout* dialog;
};
TfrmAbout* AboutDialogTest::dialog = nullptr;

TEST_F(AboutDialogTest, WindowAndChildrenFromTheLayout) {
    HWND wnd = dialog->Handle();
    char caption[64];
    GetWindowTextA(wnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "About");
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 396);
    EXPECT_EQ(client.bottom, 233);
    LONG style = GetWindowLongA(wnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r, area;
    GetWindowRect(wnd, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(r.left, area.left + (area.right - area.left - (r.right - r.left)) / 2);
    EXPECT_EQ(r.top, area.top + (area.bottom - area.top - (r.bottom - r.top)) / 2);

    EXPECT_EQ(dialog->Label1->Caption(), "Tovira");
    EXPECT_EQ(dialog->Label1->Font().Name(), "Times New Roman");
    EXPECT_EQ(dialog->Label1->Font().Height(), -29);
    EXPECT_EQ(dialog->Label1->Font().Charset(), ANSI_CHARSET);
    EXPECT_EQ(dialog->Label2->Caption(), "Version 2.0");
    EXPECT_EQ(dialog->Label3->Caption().find('\n'), std::string::npos);
    // The same notice as the file's version resource.
    EXPECT_EQ(dialog->Label3->Caption(), std::string(" ") + TOVIRA_COPYRIGHT);
    EXPECT_EQ(dialog->LabelEx1->Caption(), kToviraWebAddress);
    EXPECT_EQ(dialog->LabelEx2->Caption(), std::string("email: ") + kToviraSupportAddress);
    EXPECT_EQ(dialog->LabelEx1->Cursor(), crHandPoint);
    {
        HDC dc = GetDC(dialog->Handle());
        HGDIOBJ old = SelectObject(dc, dialog->LabelEx1->Font().Handle());
        SIZE size{};
        GetTextExtentPoint32A(dc, kToviraWebAddress, static_cast<int>(strlen(kToviraWebAddress)), &size);
        SelectObject(dc, old);
        ReleaseDC(dialog->Handle(), dc);
        EXPECT_GE(dialog->LabelEx1->Width(), size.cx) << "the link label fits its text";
        EXPECT_LE(dialog->LabelEx1->Width(), size.cx + 8);
    }
    EXPECT_EQ(dialog->LabelEx2->NormalColor(), clBlack);
    // Labels size themselves to their texts.
    EXPECT_EQ(dialog->LabelEx2->Left(), 190);
    EXPECT_GT(dialog->LabelEx2->Width(), dialog->LabelEx1->Width());
    EXPECT_EQ(dialog->Button1->ModalResult, 1);
    EXPECT_EQ(dialog->Button1->TabOrder(), 0);
    EXPECT_EQ(dialog->Image2->Width(), 156);
    EXPECT_EQ(dialog->Image2->Height(), 213);

    // The picture: face A's centre is yellow, the paper plane blue.
    UpdateWindow(wnd);
    Capture shot(wnd);
    COLORREF face = shot.At(11 + 52, 11 + 60), plane = shot.At(11 + 80, 11 + 185);
    EXPECT_GT(GetRValue(face), 220);
    EXPECT_GT(GetGValue(face), 190);
    EXPECT_LT(GetBValue(face), 60);
    EXPECT_LT(GetRValue(plane), 40);
    EXPECT_GT(GetBValue(plane), 170);
}

TEST_F(AboutDialogTest, LinksTurnBlueUnderTheRealPointerAndBlackAfterIt) {
    TLabelEx* link = dialog->LabelEx1;
    ASSERT_TRUE(ProgramUnderTest::MovePointer(CentreOf(link)));
    EXPECT_TRUE(WaitFor([&] { return link->Font().Color() == clBlue; }, 5000));
    UpdateWindow(dialog->Handle());
    RECT r = link->BoundsRect();
    EXPECT_GT(Capture(dialog->Handle()).Count(RGB(0, 0, 255), r), 20) << "drawn in blue";
    // Straight onto the other link, then far out of the window in one jump.
    ASSERT_TRUE(ProgramUnderTest::MovePointer(CentreOf(dialog->LabelEx2)));
    EXPECT_TRUE(WaitFor([&] { return link->Font().Color() == clBlack; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return dialog->LabelEx2->Font().Color() == clBlue; }, 5000));
    ASSERT_TRUE(ProgramUnderTest::MovePointer(POINT{5, 1000}));
    EXPECT_TRUE(WaitFor([&] { return dialog->LabelEx2->Font().Color() == clBlack; }, 5000));
    UpdateWindow(dialog->Handle());
    EXPECT_EQ(Capture(dialog->Handle()).Count(RGB(0, 0, 255), dialog->LabelEx2->BoundsRect()), 0);
}

TEST_F(AboutDialogTest, LinksOpenThroughTheShellAndTheDialogStays) {
    const std::string peer = WinePath(PEERS_DIR_UNIX "/shell_handler_peer.exe");
    ShellHandler handler(peer, {"http", "mailto"});
    dialog->LabelEx1->Click();
    dialog->LabelEx2->Click();
    const std::string expected = std::string(kToviraWebAddress) + "\nmailto:" + kToviraSupportAddress +
                                 "?subject=Tovira1.0_Support\n";
    EXPECT_TRUE(WaitFor([&] { return handler.Log().size() >= expected.size(); }, 20000));
    std::string log = handler.Log();
    // The two peers may finish in either order.
    EXPECT_NE(log.find(std::string(kToviraWebAddress) + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find(std::string("mailto:") + kToviraSupportAddress + "?subject=Tovira1.0_Support\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.size(), expected.size());
    EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
}

}  // namespace
