// Labels, buttons, check boxes, group boxes, glyph buttons, panels, images
// and timers on real windows: styles, clicks, dialog keys, and the pixels
// they paint (read back from the window right after painting).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "ButtonLayout.h"
#include "Buttons.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestApplication.h"
#include "Wait.h"
#include "WindowCapture.h"
#include "StdCtrls.h"

namespace {

const COLORREF kFuchsia = RGB(255, 0, 255);
const COLORREF kAboutDisc = RGB(0x10, 0x60, 0xC0);
const COLORREF kAboutDiscDisabled = RGB(0xA0, 0xA0, 0xA0);

class ControlsForm : public TForm {
public:
    ControlsForm() : TForm(nullptr) {
        Bindings.Handler<&ControlsForm::Clicked>("Clicked", this);
        Bindings.Handler<&ControlsForm::Ticked>("Ticked", this);
        SetBounds(60, 60, 520, 400);
        SetColor(clBtnFace);
    }
    void Read(const std::string& text) { ReadLayoutText(this, &Bindings, text, "TESTFORM"); }
    template <class T>
    T* Find(const char* name) {
        return dynamic_cast<T*>(FindComponent(name));
    }
    void Clicked(TObject* sender) {
        ++clicks;
        lastSender = sender;
    }
    void Ticked(TObject*) { ++ticks; }
    int clicks = 0;
    int ticks = 0;
    TObject* lastSender = nullptr;
};

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        form = std::make_unique<ControlsForm>();
    }
    void TearDown() override { form.reset(); }


    std::unique_ptr<ControlsForm> form;
};

MSG KeyDown(HWND target, WPARAM key) {
    MSG msg{};
    msg.hwnd = target;
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    return msg;
}

}  // namespace

// ------------------------------------------------------------ glyph layout

TEST(GlyphLayout, PlacesGlyphAndCaptionLikeAClassicGlyphButton) {
    struct Case {
        TButtonLayout layout;
        int margin, spacing, textW;
        int glyphX, glyphY, textX, textY;
    } cases[] = {
        // 97 x 28 button, 16 x 16 glyph, caption 13 high.
        {blGlyphLeft, -1, 4, 30, 24, 6, 44, 8},    // centred together: (97 - 50 + 1) / 2
        {blGlyphLeft, 5, 4, 30, 5, 6, 25, 8},      // fixed margin
        {blGlyphRight, 5, 4, 30, 76, 6, 42, 8},    // from the right edge
        {blGlyphLeft, -1, -1, 30, 17, 6, 50, 8},   // free room in thirds: (97 - 46) / 3
        {blGlyphLeft, 4, -1, 30, 4, 6, 43, 8},     // gap takes half the rest: (97 - 4 - 46) / 2
        {blGlyphLeft, -1, 4, 0, 41, 6, 57, 8},     // no caption: no gap, glyph centred
        {blGlyphTop, -1, 4, 30, 41, -2, 34, 18},   // taller than the button: starts above it
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "layout " << c.layout << " margin " << c.margin << " spacing "
                                        << c.spacing << " text " << c.textW);
        TGlyphPlacement p = PlaceGlyphAndCaption(97, 28, 16, 16, c.textW, 13, c.layout, c.margin, c.spacing);
        EXPECT_EQ(p.glyphX, c.glyphX);
        EXPECT_EQ(p.glyphY, c.glyphY);
        EXPECT_EQ(p.textX, c.textX);
        EXPECT_EQ(p.textY, c.textY);
    }
}

// ------------------------------------------------------------------ TBitBtn

TEST_F(ControlsTest, BitBtnIsOwnerDrawnWithATwoStateGlyphAndClicks) {
    form->Read(
        "object TestForm: TForm\n"
        "  object BitBtn4: TBitBtn\n"
        "    Left = 16\n    Top = 19\n    Width = 97\n    Height = 28\n"
        "    Caption = 'About'\n"
        "    TabOrder = 3\n"
        "    OnClick = Clicked\n"
        "    Glyph = 'GLYPH_ABOUT'\n"
        "    NumGlyphs = 2\n"
        "  end\n"
        "end\n");
    auto* button = form->Find<TBitBtn>("BitBtn4");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Glyph().Width(), 32);
    EXPECT_EQ(button->Glyph().Height(), 16);
    EXPECT_EQ(button->NumGlyphs(), 2);
    EXPECT_EQ(button->Layout(), blGlyphLeft);
    EXPECT_EQ(button->Spacing(), 4);
    EXPECT_EQ(button->Margin(), -1);
    form->Show();
    HWND wnd = button->Handle();
    EXPECT_EQ(GetWindowLongA(wnd, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    SendMessageA(wnd, BM_CLICK, 0, 0);
    EXPECT_EQ(form->clicks, 1);
    EXPECT_EQ(form->lastSender, button);

    // Enabled: the first image, see-through colour left out. (Inside the
    // frame and focus rectangle: the frame's shadow may share the grey.)
    const RECT face{5, 5, 97 - 5, 28 - 5};
    button->Repaint();
    {
        Capture shot(wnd);
        EXPECT_GT(shot.Count(kAboutDisc, face), 20);
        EXPECT_EQ(shot.Count(kAboutDiscDisabled, face), 0);
        EXPECT_EQ(shot.Count(kFuchsia), 0);
    }
    // Disabled: the second image of the strip.
    button->SetEnabled(false);
    button->Repaint();
    {
        Capture shot(wnd);
        EXPECT_EQ(shot.Count(kAboutDisc, face), 0);
        EXPECT_GT(shot.Count(kAboutDiscDisabled, face), 20);
        EXPECT_EQ(shot.Count(kFuchsia), 0);
    }
}

TEST_F(ControlsTest, BitBtnGreysASingleGlyphWhenDisabled) {
    form->Show();
    auto* button = new TBitBtn(form.get());
    button->SetBounds(10, 10, 137, 28);
    button->SetCaption("Minimize to tray");
    button->LoadGlyph("GLYPH_EXIT");
    button->SetParent(form.get());
    EXPECT_EQ(button->NumGlyphs(), 1);
    button->Repaint();
    Capture normal(button->Handle());
    button->SetEnabled(false);
    button->Repaint();
    Capture greyed(button->Handle());
    EXPECT_EQ(greyed.Count(kFuchsia), 0);
    // The greyed picture uses only the face, shadow and highlight colours.
    RECT glyphArea{0, 0, 40, 28};
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_GT(greyed.Count(shadow, glyphArea), normal.Count(shadow, glyphArea));
}

// ------------------------------------------------------- TButton dialog keys

TEST_F(ControlsTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
    form->Read(
        "object TestForm: TForm\n"
        "  object CheckBox1: TCheckBox\n    Left = 8\n    Top = 8\n    Caption = 'x'\n  end\n"
        "  object OkButton: TButton\n    Left = 8\n    Top = 40\n    Caption = 'OK'\n"
        "    Default = True\n    ModalResult = 1\n    OnClick = Clicked\n  end\n"
        "  object CancelButton: TButton\n    Left = 100\n    Top = 40\n    Caption = 'Cancel'\n"
        "    Cancel = True\n    ModalResult = mrCancel\n  end\n"
        "end\n");
    form->Show();
    auto* check = form->Find<TCheckBox>("CheckBox1");
    auto* ok = form->Find<TButton>("OkButton");
    auto* cancel = form->Find<TButton>("CancelButton");
    ASSERT_TRUE(check && ok && cancel);
    EXPECT_EQ(GetWindowLongA(ok->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);

    check->SetFocus();
    EXPECT_TRUE(form->DialogKey(KeyDown(check->Handle(), VK_RETURN)));
    EXPECT_EQ(form->ModalResult, mrOk);
    EXPECT_EQ(form->clicks, 1);

    form->ModalResult = mrNone;
    EXPECT_TRUE(form->DialogKey(KeyDown(check->Handle(), VK_ESCAPE)));
    EXPECT_EQ(form->ModalResult, mrCancel);

    // A focused button takes Enter itself, not the default one.
    form->ModalResult = mrNone;
    cancel->SetFocus();
    EXPECT_TRUE(form->DialogKey(KeyDown(cancel->Handle(), VK_RETURN)));
    EXPECT_EQ(form->ModalResult, mrCancel);
    EXPECT_EQ(form->clicks, 1);

    // A hidden default button and no cancel button: the keys go unhandled.
    form->ModalResult = mrNone;
    check->SetFocus();
    ok->Hide();
    cancel->Cancel = false;
    EXPECT_FALSE(form->DialogKey(KeyDown(check->Handle(), VK_RETURN)));
    EXPECT_FALSE(form->DialogKey(KeyDown(check->Handle(), VK_ESCAPE)));
    EXPECT_EQ(form->ModalResult, mrNone);
}

TEST_F(ControlsTest, ButtonClickWithModalResultEndsAModalForm) {
    auto* ok = new TButton(form.get());
    ok->SetCaption("OK");
    ok->ModalResult = mrOk;
    ok->SetParent(form.get());
    PostMessageA(ok->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(form->ShowModal(), mrOk);
    EXPECT_FALSE(form->Visible());
}

// ------------------------------------------------------ check and group box

TEST_F(ControlsTest, CheckBoxStateRoundTripsBeforeAndAfterItsWindowExists) {
    form->Read(
        "object TestForm: TForm\n"
        "  object GroupBox1: TGroupBox\n    Left = 16\n    Top = 40\n    Width = 393\n    Height = 129\n"
        "    Caption = 'Options'\n    TabOrder = 1\n"
        "    object CheckBox1: TCheckBox\n      Left = 24\n      Top = 24\n      Width = 174\n      Height = 17\n"
        "      Caption = 'Set MainPage to blank page'\n      TabOrder = 0\n      OnClick = Clicked\n    end\n"
        "    object CheckBox2: TCheckBox\n      Left = 24\n      Top = 48\n      Width = 145\n      Height = 17\n"
        "      Caption = 'Unlock MainPage setup'\n      Checked = True\n      Alignment = taLeftJustify\n    end\n"
        "  end\n"
        "end\n");
    auto* box = form->Find<TGroupBox>("GroupBox1");
    auto* one = form->Find<TCheckBox>("CheckBox1");
    auto* two = form->Find<TCheckBox>("CheckBox2");
    ASSERT_TRUE(box && one && two);
    EXPECT_FALSE(one->Checked());
    EXPECT_TRUE(two->Checked());
    EXPECT_EQ(form->clicks, 0);  // loading raises no clicks
    form->Show();

    // Children live inside the group box's window.
    EXPECT_EQ(GetParent(one->Handle()), box->Handle());
    EXPECT_EQ(GetWindowLongA(box->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_GROUPBOX);
    EXPECT_EQ(GetWindowLongA(one->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX);
    EXPECT_TRUE(GetWindowLongA(two->Handle(), GWL_STYLE) & BS_LEFTTEXT);
    EXPECT_EQ(SendMessageA(two->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    // A click toggles it and reaches OnClick through the group box.
    SendMessageA(one->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(one->Checked());
    EXPECT_EQ(form->clicks, 1);
    SendMessageA(one->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(one->Checked());
    EXPECT_EQ(form->clicks, 2);

    // Set in code: the window follows and OnClick runs once per change.
    one->SetChecked(true);
    EXPECT_EQ(SendMessageA(one->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(form->clicks, 3);
    one->SetChecked(true);
    EXPECT_EQ(form->clicks, 3);

    // Changed behind its back: Checked still tells the truth.
    SendMessageA(two->Handle(), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_FALSE(two->Checked());
}

// ------------------------------------------------------------------- TPanel

TEST_F(ControlsTest, PanelPaintsColourAndCentredCaptionAtOnce) {
    form->Read(
        "object TestForm: TForm\n"
        "  object Panel2: TPanel\n"
        "    Left = 92\n    Top = 126\n    Width = 273\n    Height = 28\n"
        "    BevelOuter = bvNone\n"
        "    Caption = 'No e-mail window opened'\n"
        "    Color = 16776176\n"
        "    Font.Charset = ANSI_CHARSET\n    Font.Color = clRed\n    Font.Height = -19\n"
        "    Font.Name = 'Arial'\n    Font.Style = [fsBold]\n"
        "    TabOrder = 1\n    Visible = False\n"
        "  end\n"
        "end\n");
    auto* panel = form->Find<TPanel>("Panel2");
    ASSERT_NE(panel, nullptr);
    form->Show();
    TestApplication().ProcessMessages();
    EXPECT_FALSE(IsWindowVisible(panel->Handle()));

    // Shown and repainted with no message handled in between, as before a blocking wait.
    panel->Show();
    panel->Repaint();
    Capture shot(panel->Handle());
    const COLORREF face = 16776176;  // a TColor without the system bit is a COLORREF
    EXPECT_EQ(shot.At(1, 1), face);
    EXPECT_EQ(shot.At(shot.width - 2, shot.height - 2), face);
    const COLORREF red = RGB(255, 0, 0);
    EXPECT_GT(shot.Count(red), 40);
    RECT text = shot.Extent(red);
    EXPECT_NEAR((text.left + text.right) / 2, shot.width / 2, 4);
    EXPECT_NEAR((text.top + text.bottom) / 2, shot.height / 2, 4);
}

TEST_F(ControlsTest, PanelBevelsUseTheButtonShadeColours) {
    form->Show();
    auto* panel = new TPanel(form.get());
    panel->SetBounds(10, 10, 100, 40);
    panel->SetBevelWidth(2);
    panel->SetParent(form.get());
    panel->Repaint();
    const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), dark = GetSysColor(COLOR_BTNSHADOW);
    {
        Capture raised(panel->Handle());
        EXPECT_EQ(raised.At(1, 1), light);
        EXPECT_EQ(raised.At(98, 38), dark);
        EXPECT_EQ(raised.At(3, 3), GetSysColor(COLOR_BTNFACE));
    }
    panel->SetBevelOuter(bvLowered);
    panel->Repaint();
    {
        Capture lowered(panel->Handle());
        EXPECT_EQ(lowered.At(1, 1), dark);
        EXPECT_EQ(lowered.At(98, 38), light);
    }
}

// ------------------------------------------------------------------- TLabel

TEST_F(ControlsTest, LabelSizesItselfToItsTextAndHidesTheMnemonicMarker) {
    form->Show();
    auto* label = new TLabel(form.get());
    label->SetParent(form.get());
    label->SetBounds(10, 10, 65, 17);
    label->SetCaption("&File");
    const int withMnemonic = label->Width();
    label->SetShowAccelChar(false);
    EXPECT_GT(label->Width(), withMnemonic);  // the "&" is drawn now
    label->SetShowAccelChar(true);
    label->SetCaption("File");
    EXPECT_EQ(label->Width(), withMnemonic);
    EXPECT_GT(label->Height(), 5);

    label->SetCaption("");
    EXPECT_GT(label->Height(), 5);  // an empty label keeps its line

    // Right-justified labels grow to the left.
    label->SetAlignment(taRightJustify);
    label->SetBounds(100, 10, 20, 17);
    label->SetCaption("A much longer caption");
    EXPECT_EQ(label->Left() + label->Width(), 120);

    label->SetAutoSize(false);
    label->SetBounds(10, 10, 30, 17);
    label->SetCaption("Another long caption");
    EXPECT_EQ(label->Width(), 30);
}

TEST_F(ControlsTest, LabelPaintsTextOnItsColourUnlessTransparent) {
    form->SetColor(clWhite);
    form->Read(
        "object TestForm: TForm\n"
        "  object Label1: TLabel\n    Left = 20\n    Top = 20\n"
        "    Caption = 'WWWW'\n    Color = clYellow\n    Font.Color = clBlue\n"
        "    Font.Height = -19\n    Font.Name = 'Arial'\n    Font.Style = [fsBold]\n  end\n"
        "end\n");
    auto* label = form->Find<TLabel>("Label1");
    ASSERT_NE(label, nullptr);
    form->Show();
    form->Repaint();
    RECT area = label->BoundsRect();
    {
        Capture shot(form->Handle());
        EXPECT_GT(shot.Count(RGB(255, 255, 0), area), 0);
        EXPECT_GT(shot.Count(RGB(0, 0, 255), area), 20);
    }
    label->SetTransparent(true);
    form->Repaint();
    {
        Capture shot(form->Handle());
        EXPECT_EQ(shot.Count(RGB(255, 255, 0), area), 0);
        EXPECT_GT(shot.Count(RGB(255, 255, 255), area), 0);
        EXPECT_GT(shot.Count(RGB(0, 0, 255), area), 20);
    }
}

// ------------------------------------------------------------------- TImage

TEST_F(ControlsTest, ImageLoadsJpegAndBitmapResourcesAndClicks) {
    form->Read(
        "object TestForm: TForm\n"
        "  object Image2: TImage\n    Left = 11\n    Top = 11\n    Width = 10\n    Height = 10\n"
        "    AutoSize = True\n    Picture = 'ABOUT_JPEG'\n  end\n"
        "  object Image9: TImage\n    Left = 200\n    Top = 20\n    Width = 32\n    Height = 32\n"
        "    Stretch = True\n    Transparent = True\n    Picture = 'GLYPH_EXIT'\n    OnClick = Clicked\n  end\n"
        "end\n");
    auto* about = form->Find<TImage>("Image2");
    auto* glyph = form->Find<TImage>("Image9");
    ASSERT_TRUE(about && glyph);
    EXPECT_EQ(about->Width(), 156);
    EXPECT_EQ(about->Height(), 213);
    EXPECT_EQ(glyph->Width(), 32);  // stretched, not sized to the picture

    form->Show();
    form->Repaint();
    Capture shot(form->Handle());
    RECT glyphArea = glyph->BoundsRect();
    EXPECT_EQ(shot.Count(kFuchsia, glyphArea), 0);
    EXPECT_GT(shot.Count(GetSysColor(COLOR_BTNFACE), glyphArea), 0);  // the form shows through
    EXPECT_LT(shot.Count(GetSysColor(COLOR_BTNFACE), glyphArea), 32 * 32);

    LPARAM at = MAKELPARAM(210, 30);
    SendMessageA(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(form->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(form->clicks, 1);
    EXPECT_EQ(form->lastSender, glyph);
}

// ------------------------------------------------------------------- TTimer

// A timer made disabled (as most are, until needed) costs no window: each
// is start-up time. Enabled, it makes its window and fires.
TEST_F(ControlsTest, ATimerMadeDisabledMakesNoWindowUntilEnabled) {
    auto timerWindows = [] {
        int n = 0;
        for (HWND w = nullptr; (w = FindWindowExA(HWND_MESSAGE, w, "Tovira.TTimerWindow", nullptr)) != nullptr;) ++n;
        return n;
    };
    const int before = timerWindows();
    TTimer timer(nullptr, false);
    timer.SetInterval(10);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timerWindows(), before);
    struct Counter : TObject {
        int n = 0;
        void Tick(TObject*) { ++n; }
    } counter;
    timer.OnTimer = TNotifyEvent::Bind<Counter, &Counter::Tick>(&counter);
    timer.SetEnabled(true);
    EXPECT_EQ(timerWindows(), before + 1);
    EXPECT_TRUE(WaitFor([&] { return counter.n >= 1; }));
}

TEST_F(ControlsTest, TimerFiresWhileEnabledAndStopsWhenDisabled) {
    form->Read(
        "object TestForm: TForm\n"
        "  object Timer1: TTimer\n    Interval = 20\n    OnTimer = Ticked\n  end\n"
        "end\n");
    auto* timer = form->Find<TTimer>("Timer1");
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_EQ(timer->Interval(), 20u);
    ASSERT_TRUE(WaitFor([&] { return form->ticks >= 2; }));

    // Disabled, it stays silent while a second timer ticks three times.
    timer->SetEnabled(false);
    const int ticksWhenStopped = form->ticks;
    TTimer other(nullptr);
    int otherTicks = 0;
    struct Counter : TObject {
        int* n;
        void Tick(TObject*) { ++*n; }
    } counter;
    counter.n = &otherTicks;
    other.SetInterval(30);
    other.OnTimer = TNotifyEvent::Bind<Counter, &Counter::Tick>(&counter);
    ASSERT_TRUE(WaitFor([&] { return otherTicks >= 3; }));
    EXPECT_EQ(form->ticks, ticksWhenStopped);

    // Enabled again it resumes.
    timer->SetEnabled(true);
    EXPECT_TRUE(WaitFor([&] { return form->ticks > ticksWhenStopped; }));
}
