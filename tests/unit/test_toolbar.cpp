// The main window's menu strip: a cool bar whose band holds a flat tool bar
// of three auto-sized, captioned buttons that drop down the top-level items
// of a main menu as pop-up menus.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ImgList.h"
#include "Menus.h"
#include "ToolBars.h"
#include "menu_probe.h"

namespace {

const char* const kLayout = R"(object BarForm: TForm
  BorderStyle = bsDialog
  ClientWidth = 678
  ClientHeight = 200
  object CoolBar1: TCoolBar
    Left = 0
    Top = 0
    Width = 678
    Height = 26
    AutoSize = True
    Bands = <
      item
        Control = ToolBar1
        ImageIndex = -1
        MinHeight = 22
        Width = 678
      end>
    EdgeBorders = [ebTop, ebBottom]
    object ToolBar1: TToolBar
      Left = 9
      Top = 0
      Width = 665
      Height = 22
      ButtonHeight = 21
      ButtonWidth = 49
      Caption = 'ToolBar1'
      Flat = True
      ShowCaptions = True
      TabOrder = 0
      object ToolButton1: TToolButton
        Left = 0
        Top = 0
        AutoSize = True
        Caption = '&File'
        Grouped = True
        MenuItem = File1
      end
      object ToolButton2: TToolButton
        Left = 31
        Top = 0
        AutoSize = True
        Caption = '&Options'
        Grouped = True
        MenuItem = Options1
      end
      object ToolButton3: TToolButton
        Left = 81
        Top = 0
        AutoSize = True
        Caption = '&Help'
        Grouped = True
        MenuItem = Help1
      end
    end
  end
  object MainMenu1: TMainMenu
    Images = ImageList6
    OwnerDraw = True
    object File1: TMenuItem
      Caption = '&File'
      object Minimize1: TMenuItem
        Caption = 'Minimize'
        OnClick = ItemClick
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
        ImageIndex = 3
        ShortCut = 16472
        OnClick = ItemClick
      end
    end
    object Options1: TMenuItem
      Caption = '&Options'
      object SoundOn1: TMenuItem
        Caption = 'Sound Off'
        OnClick = ItemClick
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      object Content1: TMenuItem
        Caption = 'Content'
        ImageIndex = 1
        ShortCut = 112
        OnClick = ItemClick
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object AboutTovira1: TMenuItem
        Caption = 'About Tovira'
        ImageIndex = 0
        OnClick = ItemClick
      end
    end
  end
  object ImageList6: TImageList
    Bitmap = 'IMAGELIST6'
  end
end
)";

class BarForm : public TForm {
public:
    BarForm() : TForm(nullptr) {
        TestApplication();
        Bindings.Field("CoolBar1", CoolBar1);
        Bindings.Field("ToolBar1", ToolBar1);
        Bindings.Field("MainMenu1", MainMenu1);
        Bindings.Handler<&BarForm::ItemClick>("ItemClick", this);
        ReadLayoutText(this, &Bindings, kLayout, "TESTBARS");
        AfterConstruction();
    }
    void ItemClick(TObject* sender) {
        clicks.push_back(dynamic_cast<TComponent*>(sender)->Name());
        if (ToolBar1->MenuButton()) pressedDuringClick = true;
    }
    TMenuItem* Item(const char* name) const { return dynamic_cast<TMenuItem*>(FindComponent(name)); }
    TToolButton* Button(int i) const { return ToolBar1->Buttons(i); }

    // Presses the left mouse button over tool button i, as a user would.
    void PressButton(int i) {
        RECT r = ToolBar1->ButtonRect(Button(i));
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(ToolBar1->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    }
    RECT ScreenRect(int i) {
        RECT r = ToolBar1->ButtonRect(Button(i));
        MapWindowPoints(ToolBar1->Handle(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    TCoolBar* CoolBar1 = nullptr;
    TToolBar* ToolBar1 = nullptr;
    TMainMenu* MainMenu1 = nullptr;
    std::vector<std::string> clicks;
    bool pressedDuringClick = false;
};

std::vector<ULONG_PTR> ItemData(const std::vector<MenuEntry>& entries) {
    std::vector<ULONG_PTR> out;
    for (const auto& e : entries) out.push_back(e.data);
    return out;
}

std::vector<ULONG_PTR> ChildrenOf(const TMenuItem* item) {
    std::vector<ULONG_PTR> out;
    for (int i = 0; i < item->Count(); ++i) out.push_back(reinterpret_cast<ULONG_PTR>(item->Items(i)));
    return out;
}

TEST(ToolBar, ButtonsAreAutoSizedGroupedCaptionsInOrder) {
    BarForm form;
    HWND bar = form.ToolBar1->Handle();
    ASSERT_EQ(form.ToolBar1->ButtonCount(), 3);
    ASSERT_EQ(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0), 3);
    const char* captions[] = {"&File", "&Options", "&Help"};
    const char* items[] = {"File1", "Options1", "Help1"};
    int previousRight = -1;
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(captions[i]);
        TToolButton* b = form.Button(i);
        EXPECT_EQ(b->Caption(), captions[i]);
        EXPECT_TRUE(b->AutoSize());
        EXPECT_TRUE(b->Grouped());
        EXPECT_EQ(b->ImageIndex(), -1);
        EXPECT_EQ(b->MenuItem(), form.Item(items[i]));
        EXPECT_EQ(b->Index(), i);

        TBBUTTON tb{};
        ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tb)));
        EXPECT_EQ(tb.idCommand, b->CommandId());
        EXPECT_TRUE(tb.fsStyle & BTNS_AUTOSIZE);
        EXPECT_TRUE(tb.fsStyle & BTNS_GROUP);
        char text[64] = {};
        SendMessageA(bar, TB_GETBUTTONTEXTA, static_cast<WPARAM>(b->CommandId()), reinterpret_cast<LPARAM>(text));
        EXPECT_STREQ(text, captions[i]);

        // Side by side, each as wide as its caption needs, the object's bounds in step.
        RECT r = form.ToolBar1->ButtonRect(b);
        if (previousRight >= 0) {
            EXPECT_EQ(r.left, previousRight);
        }
        previousRight = r.right;
        EXPECT_EQ(b->Left(), r.left);
        EXPECT_EQ(b->Width(), r.right - r.left);
        EXPECT_EQ(r.bottom - r.top, form.ToolBar1->ButtonHeight());
    }
    // Auto-sized: narrower than ButtonWidth for "File", wider for "Options" than for "File".
    EXPECT_LT(form.Button(0)->Width(), form.Button(1)->Width());
    EXPECT_LT(form.Button(0)->Width(), 49);

    LONG style = GetWindowLongA(bar, GWL_STYLE);
    EXPECT_TRUE(style & TBSTYLE_FLAT);
    EXPECT_TRUE(style & TBSTYLE_LIST);

    // A caption changed at run time shows on the button.
    form.Button(2)->SetCaption("&Hilfe");
    char text[64] = {};
    auto helpId = static_cast<WPARAM>(form.Button(2)->CommandId());
    SendMessageA(bar, TB_GETBUTTONTEXTA, helpId, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "&Hilfe");
}

TEST(ToolBar, CoolBarBandHoldsTheToolBar) {
    BarForm form;
    HWND cool = form.CoolBar1->Handle();
    HWND bar = form.ToolBar1->Handle();
    ASSERT_EQ(form.CoolBar1->BandCount(), 1);
    EXPECT_EQ(form.CoolBar1->Bands(0).Control(), form.ToolBar1);
    EXPECT_EQ(form.CoolBar1->Bands(0).MinHeight(), 22);
    ASSERT_EQ(SendMessageA(cool, RB_GETBANDCOUNT, 0, 0), 1);

    REBARBANDINFOA info{};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE;
    ASSERT_TRUE(SendMessageA(cool, RB_GETBANDINFOA, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(info.hwndChild, bar);
    EXPECT_EQ(info.cyMinChild, 22u);
    EXPECT_EQ(GetParent(bar), cool);

    // Edges at top and bottom take two pixels each; the height follows the band.
    RECT window, client;
    GetWindowRect(cool, &window);
    GetClientRect(cool, &client);
    EXPECT_EQ((window.bottom - window.top) - client.bottom, 4);
    EXPECT_EQ(window.right - window.left, client.right);
    auto barHeight = static_cast<int>(SendMessageA(cool, RB_GETBARHEIGHT, 0, 0));
    EXPECT_EQ(form.CoolBar1->Height(), barHeight + 4);

    // The tool bar lies in the band: in the client area, past the gripper, band high.
    RECT inside;
    GetWindowRect(bar, &inside);
    MapWindowPoints(nullptr, cool, reinterpret_cast<POINT*>(&inside), 2);
    EXPECT_GT(inside.left, 0);
    EXPECT_GE(inside.top, 0);
    EXPECT_LE(inside.right, client.right);
    EXPECT_EQ(inside.bottom - inside.top, 22);
    EXPECT_EQ(form.ToolBar1->Left(), inside.left);
}

TEST(ToolBar, BandWithUnknownPropertyIsALayoutError) {
    TestApplication();
    const std::string layout = R"(object F: TForm
  object C: TCoolBar
    Bands = <
      item
        Colour = 5
      end>
  end
end
)";
    TForm form(nullptr);
    try {
        ReadLayoutText(&form, nullptr, layout, "BAD");
        FAIL() << "accepted";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("property Bands"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("Colour"), std::string::npos) << e.Message();
    }
}

TEST(ToolBar, ClickDropsTheItemsChildrenUnderThePressedButton) {
    BarForm form;
    PopupProbe probe;
    bool pressed = false;
    probe.onIdle = [&](const PopupProbe::Shown&) {
        pressed = SendMessageA(form.ToolBar1->Handle(), TB_ISBUTTONPRESSED,
                               static_cast<WPARAM>(form.Button(2)->CommandId()), 0) != 0;
        return false;
    };
    form.PressButton(2);
    ASSERT_EQ(probe.History().size(), 1u);
    const auto& shown = probe.History()[0];
    EXPECT_EQ(shown.menu, form.Item("Help1")->Handle());
    EXPECT_EQ(ItemData(shown.entries), ChildrenOf(form.Item("Help1")));
    EXPECT_EQ(shown.entries[0].text, "Content\tF1");
    EXPECT_TRUE(shown.entries[1].type & MFT_SEPARATOR);
    EXPECT_TRUE(pressed) << "the button is shown pressed while its menu is open";
    EXPECT_EQ(SendMessageA(form.ToolBar1->Handle(), TB_ISBUTTONPRESSED,
                           static_cast<WPARAM>(form.Button(2)->CommandId()), 0), 0);

    // Under the button: its bottom-left corner, in screen coordinates.
    RECT button = form.ScreenRect(2);
    EXPECT_EQ(shown.windowRect.left, button.left);
    EXPECT_EQ(shown.windowRect.top, button.bottom);
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_TRUE(form.clicks.empty());
}

TEST(ToolBar, ChosenItemRunsAfterTheMenuCloses) {
    BarForm form;
    PopupProbe probe;
    probe.onIdle = [](const PopupProbe::Shown& shown) {
        PostMessageA(shown.window, WM_CHAR, 'x', 0);  // E&xit
        return true;
    };
    form.PressButton(0);
    EXPECT_FALSE(probe.ActionIgnored());
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"Exit1"}));
    EXPECT_FALSE(form.pressedDuringClick);
}

TEST(ToolBar, ArrowKeysAndTheMouseMoveBetweenMenus) {
    BarForm form;
    PopupProbe probe;
    int step = 0;
    probe.onIdle = [&](const PopupProbe::Shown& shown) {
        switch (step++) {
        case 0:  // File -> Options
            PostMessageA(shown.window, WM_KEYDOWN, VK_RIGHT, 0);
            return true;
        case 1:  // Options -> File
            PostMessageA(shown.window, WM_KEYDOWN, VK_LEFT, 0);
            return true;
        case 2: {  // File -> Help: the pointer moves over the Help button
            RECT help = form.ScreenRect(2);
            SetCursorPos((help.left + help.right) / 2, (help.top + help.bottom) / 2);
            PostMessageA(shown.window, WM_MOUSEMOVE, 0, 0);
            return true;
        }
        default:
            return false;
        }
    };
    form.PressButton(0);
    ASSERT_EQ(probe.History().size(), 4u);
    EXPECT_EQ(probe.History()[0].menu, form.Item("File1")->Handle());
    EXPECT_EQ(probe.History()[1].menu, form.Item("Options1")->Handle());
    EXPECT_EQ(probe.History()[2].menu, form.Item("File1")->Handle());
    EXPECT_EQ(probe.History()[3].menu, form.Item("Help1")->Handle());
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_EQ(form.ToolBar1->MenuButton(), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(SendMessageA(form.ToolBar1->Handle(), TB_ISBUTTONPRESSED,
                               static_cast<WPARAM>(form.Button(i)->CommandId()), 0), 0);
}

TEST(ToolBar, AltMnemonicDropsTheMenuWithItsFirstItemSelected) {
    BarForm form;
    form.Show();
    // A pointer resting over another button must not take the menu there.
    RECT help = form.ScreenRect(2);
    SetCursorPos((help.left + help.right) / 2, (help.top + help.bottom) / 2);
    PopupProbe probe;
    UINT selectedFlags = 0;
    HMENU selectedMenu = nullptr;
    probe.onIdle = [&](const PopupProbe::Shown&) {
        selectedMenu = LastMenuSelection().menu;
        selectedFlags = LastMenuSelection().flags;
        return false;
    };
    EXPECT_TRUE(form.IsShortCut(ShortCut('O', scAlt)));
    EXPECT_FALSE(form.IsShortCut(ShortCut('Q', scAlt)));   // no such mnemonic
    EXPECT_FALSE(form.IsShortCut(ShortCut('O', scCtrl)));  // not a menu key
    ASSERT_TRUE(WaitFor([&] { return !probe.History().empty(); }));
    EXPECT_EQ(probe.History()[0].menu, form.Item("Options1")->Handle());
    EXPECT_EQ(selectedMenu, form.Item("Options1")->Handle());
    EXPECT_FALSE(selectedFlags & MF_POPUP);
    form.Hide();
}

}  // namespace
