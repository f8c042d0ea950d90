// Menus read from a layout: the item tree, its Win32 menus (kept up to date
// at run time), short-cuts, owner drawing routed to the items' slots, and
// pop-ups shown through the owner form.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ImgList.h"
#include "Menus.h"
#include "menu_probe.h"

namespace {

const char* const kLayout = R"(object MenuForm: TForm
  Caption = 'menus'
  ClientWidth = 320
  ClientHeight = 200
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
      object Minimizewhenclickaimage1: TMenuItem
        Caption = 'Minimize when click a smiley'
        Checked = True
        OnClick = ItemClick
      end
      object SoundOn1: TMenuItem
        Caption = 'Sound Off'
        OnClick = ItemClick
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object Picturemanager1: TMenuItem
        Caption = 'Manager pictures'
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
    end
  end
  object ImageList6: TImageList
    Bitmap = 'IMAGELIST6'
  end
end
)";

class MenuForm : public TForm {
public:
    explicit MenuForm(const std::string& layout = kLayout) : TForm(nullptr) {
        TestApplication();
        Bindings.Field("MainMenu1", MainMenu1);
        Bindings.Field("ImageList6", ImageList6);
        Bindings.Handler<&MenuForm::ItemClick>("ItemClick", this);
        ReadLayoutText(this, &Bindings, layout, "TESTMENUS");
        AfterConstruction();
    }
    TMenuItem* Item(const char* name) const { return dynamic_cast<TMenuItem*>(FindComponent(name)); }

    void ItemClick(TObject* sender) { clicks.push_back(dynamic_cast<TComponent*>(sender)->Name()); }
    void MeasureSlot(TObject* sender, TCanvas* canvas, int& width, int& height) {
        measured.push_back({dynamic_cast<TComponent*>(sender)->Name(), width, height});
        EXPECT_NE(canvas, nullptr);
        width += 100;
        height = 30;
    }
    void DrawSlot(TObject* sender, TCanvas* canvas, RECT rect, bool selected) {
        HDC dc = canvas ? canvas->Handle() : nullptr;
        drawn.push_back({dynamic_cast<TComponent*>(sender)->Name(), rect, selected, dc});
    }

    struct Measured {
        std::string name;
        int width, height;
    };
    struct Drawn {
        std::string name;
        RECT rect;
        bool selected;
        HDC dc;
    };
    TMainMenu* MainMenu1 = nullptr;
    TImageList* ImageList6 = nullptr;
    std::vector<std::string> clicks;
    std::vector<Measured> measured;
    std::vector<Drawn> drawn;
};

std::vector<std::string> Texts(const std::vector<MenuEntry>& entries) {
    std::vector<std::string> out;
    for (const auto& e : entries) out.push_back(e.text);
    return out;
}

TEST(MenuText, MnemonicsAndEntryText) {
    EXPECT_EQ(MnemonicOf("E&xit"), 'X');
    EXPECT_EQ(MnemonicOf("&File"), 'F');
    EXPECT_EQ(MnemonicOf("Save && &Quit"), 'Q');  // "&&" is a literal ampersand
    EXPECT_EQ(MnemonicOf("R&&D"), 0);
    EXPECT_EQ(MnemonicOf("Trailing&"), 0);
    EXPECT_EQ(MnemonicOf("Minimize"), 0);
    EXPECT_EQ(StripMnemonic("E&xit"), "Exit");
    EXPECT_EQ(StripMnemonic("R&&D"), "R&D");
    EXPECT_EQ(ShortCutToText(16472), "Ctrl+X");
    EXPECT_EQ(ShortCutToText(112), "F1");
    EXPECT_EQ(MenuEntryText("E&xit", 16472), "E&xit\tCtrl+X");
    EXPECT_EQ(MenuEntryText("Minimize", scNone), "Minimize");
}

TEST(Menus, LayoutBuildsTheItemTree) {
    MenuForm form;
    TMenuItem* root = form.MainMenu1->Items();
    ASSERT_EQ(root->Count(), 3);
    EXPECT_EQ(root->Items(0)->Caption(), "&File");
    EXPECT_EQ(root->Items(2)->Caption(), "&Help");
    TMenuItem* options = form.Item("Options1");
    ASSERT_EQ(options->Count(), 4);
    EXPECT_EQ(options->Items(0)->Name(), "Minimizewhenclickaimage1");
    EXPECT_EQ(options->Items(3)->Name(), "Picturemanager1");
    EXPECT_TRUE(options->Items(0)->Checked());
    EXPECT_FALSE(options->Items(1)->Checked());
    EXPECT_TRUE(form.Item("N2")->IsLine());

    TMenuItem* exit = form.Item("Exit1");
    EXPECT_EQ(exit->ImageIndex(), 3);
    EXPECT_EQ(exit->ShortCut(), ShortCut('X', scCtrl));
    EXPECT_EQ(exit->ShortCutText(), "Ctrl+X");
    EXPECT_EQ(form.Item("Content1")->ShortCutText(), "F1");
    EXPECT_EQ(form.Item("Minimize1")->ImageIndex(), -1);

    // Parents: the menu for a top-level item, the item above otherwise.
    EXPECT_EQ(form.Item("File1")->ParentComponent(), form.MainMenu1);
    EXPECT_EQ(exit->ParentComponent(), form.Item("File1"));
    EXPECT_EQ(exit->Parent(), form.Item("File1"));
    EXPECT_EQ(exit->GetParentMenu(), form.MainMenu1);
    EXPECT_EQ(form.MainMenu1->OwnerForm(), &form);

    EXPECT_EQ(form.MainMenu1->Images(), form.ImageList6);
    EXPECT_TRUE(form.MainMenu1->OwnerDraw());
    EXPECT_EQ(form.ImageList6->Count(), 4);
    EXPECT_EQ(form.ImageList6->Width(), 16);
    EXPECT_EQ(form.ImageList6->Height(), 16);
}

TEST(Menus, LayoutErrorsNameTheirPlace) {
    TestApplication();
    const std::string wrongChild = R"(object F: TForm
  object M: TMainMenu
    object L: TImageList
    end
  end
end
)";
    TForm form(nullptr);
    try {
        ReadLayoutText(&form, nullptr, wrongChild, "BAD");
        FAIL() << "a menu accepted an image list";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("M cannot hold a TImageList"), std::string::npos) << e.Message();
    }
    const std::string missingBitmap = R"(object F: TForm
  object L: TImageList
    Bitmap = 'NO_SUCH_STRIP'
  end
end
)";
    TForm other(nullptr);
    try {
        ReadLayoutText(&other, nullptr, missingBitmap, "BAD");
        FAIL() << "a missing bitmap was accepted";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("line 3"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("NO_SUCH_STRIP"), std::string::npos) << e.Message();
    }
}

TEST(Menus, Win32MenuMirrorsTheItemsAndFollowsChanges) {
    MenuForm form;
    TMenuItem* options = form.Item("Options1");
    auto entries = ReadMenu(options->Handle());
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(Texts(entries),
              (std::vector<std::string>{"Minimize when click a smiley", "Sound Off", "-", "Manager pictures"}));
    for (const auto& e : entries) EXPECT_TRUE(e.type & MFT_OWNERDRAW) << e.text;
    EXPECT_TRUE(entries[0].state & MFS_CHECKED);
    EXPECT_FALSE(entries[1].state & MFS_CHECKED);
    EXPECT_TRUE(entries[2].type & MFT_SEPARATOR);
    EXPECT_EQ(entries[1].data, reinterpret_cast<ULONG_PTR>(form.Item("SoundOn1")));
    EXPECT_EQ(entries[1].id, form.Item("SoundOn1")->Command());
    EXPECT_EQ(ReadMenu(form.Item("File1")->Handle())[1].text, "E&xit\tCtrl+X");

    // Run-time changes show in the same menu handle.
    form.Item("Minimizewhenclickaimage1")->SetChecked(false);
    form.Item("SoundOn1")->SetCaption("Sound On");
    form.Item("Picturemanager1")->SetEnabled(false);
    entries = ReadMenu(options->Handle());
    EXPECT_FALSE(entries[0].state & MFS_CHECKED);
    EXPECT_EQ(entries[1].text, "Sound On");
    EXPECT_TRUE(entries[3].state & MFS_GRAYED);

    form.Item("N2")->SetVisible(false);
    EXPECT_EQ(Texts(ReadMenu(options->Handle())),
              (std::vector<std::string>{"Minimize when click a smiley", "Sound On", "Manager pictures"}));

    // A freed item leaves its menu; a freed image list leaves the menu.
    delete form.Item("SoundOn1");
    EXPECT_EQ(options->Count(), 3);
    EXPECT_EQ(ReadMenu(options->Handle()).size(), 2u);
    delete form.ImageList6;
    EXPECT_EQ(form.MainMenu1->Images(), nullptr);

    // Without OwnerDraw and images the system draws the items itself.
    form.MainMenu1->SetOwnerDraw(false);
    for (const auto& e : ReadMenu(options->Handle())) EXPECT_FALSE(e.type & MFT_OWNERDRAW) << e.text;
}

TEST(Menus, ImagesAloneMakeItemsOwnerDrawn) {
    MenuForm form;
    form.MainMenu1->SetOwnerDraw(false);
    ASSERT_NE(form.MainMenu1->Images(), nullptr);
    EXPECT_TRUE(form.Item("Exit1")->IsOwnerDraw());
    EXPECT_TRUE(ReadMenu(form.Item("File1")->Handle())[1].type & MFT_OWNERDRAW);
}

TEST(Menus, ShortCutsRunEnabledVisibleItems) {
    MenuForm form;
    EXPECT_TRUE(form.IsShortCut(ShortCut('X', scCtrl)));
    EXPECT_TRUE(form.IsShortCut(0x70));  // F1
    EXPECT_EQ(form.clicks, (std::vector<std::string>{"Exit1", "Content1"}));
    EXPECT_FALSE(form.IsShortCut(ShortCut('Y', scCtrl)));
    EXPECT_FALSE(form.IsShortCut(scNone));

    form.clicks.clear();
    form.Item("Exit1")->SetEnabled(false);
    form.Item("Content1")->SetVisible(false);
    EXPECT_FALSE(form.IsShortCut(ShortCut('X', scCtrl)));
    EXPECT_FALSE(form.IsShortCut(0x70));
    EXPECT_TRUE(form.clicks.empty());
}

TEST(Menus, OwnerDrawMessagesReachTheItemSlots) {
    MenuForm form;
    TMenuItem* exit = form.Item("Exit1");
    HWND owner = form.Handle();

    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = exit->Command();
    mis.itemData = reinterpret_cast<ULONG_PTR>(exit);
    ASSERT_TRUE(SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)));
    // The toolkit's own measure: room for a 16-pixel image, caption and short-cut.
    int defaultWidth = static_cast<int>(mis.itemWidth), defaultHeight = static_cast<int>(mis.itemHeight);
    EXPECT_GT(defaultWidth, 16 + 40);
    EXPECT_GE(defaultHeight, 16);

    exit->OnMeasureItem = EVENT(TMenuMeasureItemEvent, MenuForm, MeasureSlot, &form);
    exit->OnDrawItem = EVENT(TMenuDrawItemEvent, MenuForm, DrawSlot, &form);
    mis.itemWidth = mis.itemHeight = 0;
    ASSERT_TRUE(SendMessageA(owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)));
    ASSERT_EQ(form.measured.size(), 1u);
    EXPECT_EQ(form.measured[0].name, "Exit1");
    EXPECT_EQ(form.measured[0].width, defaultWidth);  // the slot starts from the toolkit's measure
    EXPECT_EQ(form.measured[0].height, defaultHeight);
    EXPECT_EQ(static_cast<int>(mis.itemWidth), defaultWidth + 100);
    EXPECT_EQ(mis.itemHeight, 30u);

    HDC dc = CreateCompatibleDC(nullptr);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = exit->Command();
    dis.itemData = reinterpret_cast<ULONG_PTR>(exit);
    dis.hDC = dc;
    dis.rcItem = RECT{0, 22, 150, 44};
    dis.itemState = ODS_SELECTED;
    ASSERT_TRUE(SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)));
    dis.itemState = 0;
    SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    ASSERT_EQ(form.drawn.size(), 2u);
    EXPECT_EQ(form.drawn[0].name, "Exit1");
    EXPECT_TRUE(form.drawn[0].selected);
    EXPECT_FALSE(form.drawn[1].selected);
    EXPECT_EQ(form.drawn[0].dc, dc);
    EXPECT_TRUE(EqualRect(&form.drawn[0].rect, &dis.rcItem));

    // Item data that is no live item of ours is left alone.
    dis.itemData = 0x1234;
    EXPECT_FALSE(SendMessageA(owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(form.drawn.size(), 2u);
    DeleteDC(dc);
}

TEST(Menus, MenuCharFindsOwnerDrawnMnemonicsByVisiblePosition) {
    MenuForm form;
    HWND owner = form.Handle();
    auto menuChar = [&](char key) {
        return SendMessageA(owner, WM_MENUCHAR, MAKEWPARAM(key, MF_POPUP),
                            reinterpret_cast<LPARAM>(form.Item("File1")->Handle()));
    };
    EXPECT_EQ(menuChar('x'), MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(menuChar('X'), MAKELRESULT(1, MNC_EXECUTE));
    EXPECT_EQ(HIWORD(menuChar('q')), MNC_IGNORE);
    form.Item("Minimize1")->SetVisible(false);  // positions count visible entries only
    EXPECT_EQ(menuChar('x'), MAKELRESULT(0, MNC_EXECUTE));
    form.Item("Exit1")->SetEnabled(false);
    EXPECT_EQ(HIWORD(menuChar('x')), MNC_IGNORE);
}

TEST(Menus, DefaultOwnerDrawingPaintsSelectionImageAndSeparator) {
    MenuForm form;
    TBitmap canvasBitmap;
    canvasBitmap.SetSize(200, 40, RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, canvasBitmap.Handle());
    auto draw = [&](TMenuItem* item, UINT state) {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemData = reinterpret_cast<ULONG_PTR>(item);
        dis.hDC = dc;
        dis.rcItem = RECT{0, 0, 200, 24};
        dis.itemState = state;
        SendMessageA(form.Handle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    };
    auto pixel = [&](int x, int y) { return GetPixel(dc, x, y); };

    draw(form.Item("Minimize1"), 0);
    EXPECT_EQ(pixel(190, 2), GetSysColor(COLOR_MENU));
    EXPECT_EQ(pixel(5, 30), RGB(1, 2, 3));  // nothing outside the item
    draw(form.Item("Minimize1"), ODS_SELECTED);
    EXPECT_EQ(pixel(190, 2), GetSysColor(COLOR_HIGHLIGHT));

    // The exit image (index 3) lands in the image column.
    draw(form.Item("Exit1"), 0);
    TBitmap image;
    form.ImageList6->GetBitmap(3, image, GetSysColor(COLOR_MENU));
    bool sawImage = false;
    for (int y = 0; y < 24 && !sawImage; ++y)
        for (int x = 0; x < 30 && !sawImage; ++x)
            if (pixel(x, y) != GetSysColor(COLOR_MENU)) sawImage = true;
    EXPECT_TRUE(sawImage);

    // A separator is background with one etched line across the middle.
    draw(form.Item("N2"), ODS_SELECTED);
    EXPECT_EQ(pixel(190, 2), GetSysColor(COLOR_MENU));
    EXPECT_NE(pixel(100, 11), GetSysColor(COLOR_MENU));

    SelectObject(dc, old);
    DeleteDC(dc);
}

TEST(Menus, PopupShowsCurrentItemsAndReportsTheChoice) {
    MenuForm form;  // pop-ups need no visible owner
    TMenuItem* options = form.Item("Options1");
    options->Items(0)->OnMeasureItem = EVENT(TMenuMeasureItemEvent, MenuForm, MeasureSlot, &form);
    options->Items(0)->OnDrawItem = EVENT(TMenuDrawItemEvent, MenuForm, DrawSlot, &form);

    PopupProbe probe;
    ASSERT_TRUE(probe.Hooked());
    EXPECT_EQ(TrackMenuItemPopup(options, POINT{100, 100}, TPM_LEFTALIGN | TPM_TOPALIGN, nullptr), nullptr);
    ASSERT_EQ(probe.History().size(), 1u);
    EXPECT_EQ(probe.History()[0].menu, options->Handle());
    EXPECT_EQ(Texts(probe.History()[0].entries),
              (std::vector<std::string>{"Minimize when click a smiley", "Sound Off", "-", "Manager pictures"}));
    EXPECT_TRUE(probe.History()[0].entries[0].state & MFS_CHECKED);
    // The system measured and painted the item through its slots, on the menu's window.
    ASSERT_FALSE(form.measured.empty());
    EXPECT_EQ(form.measured[0].name, "Minimizewhenclickaimage1");
    ASSERT_FALSE(form.drawn.empty());
    EXPECT_EQ(form.drawn[0].name, "Minimizewhenclickaimage1");

    // Toggled at run time: the next pop-up shows it.
    options->Items(0)->SetChecked(false);
    form.Item("SoundOn1")->SetCaption("Sound On");
    TrackMenuItemPopup(options, POINT{100, 100}, TPM_LEFTALIGN | TPM_TOPALIGN, nullptr);
    ASSERT_EQ(probe.History().size(), 2u);
    EXPECT_FALSE(probe.History()[1].entries[0].state & MFS_CHECKED);
    EXPECT_EQ(probe.History()[1].entries[1].text, "Sound On");

    // Owner-drawn items have no system mnemonics: "x" reaches Exit through WM_MENUCHAR.
    probe.onIdle = [](const PopupProbe::Shown& shown) {
        PostMessageA(shown.window, WM_CHAR, 'x', 0);
        return true;
    };
    TMenuItem* chosen = TrackMenuItemPopup(form.Item("File1"), POINT{100, 100}, TPM_LEFTALIGN | TPM_TOPALIGN, nullptr);
    EXPECT_EQ(chosen, form.Item("Exit1"));
    EXPECT_FALSE(probe.ActionIgnored());
    EXPECT_FALSE(probe.TimedOut());
    EXPECT_TRUE(form.clicks.empty());  // chosen, not yet run
}

TEST(Menus, PopupMenuRunsTheChosenItemAndWorksWithoutAForm) {
    TestApplication();
    TPopupMenu menu(nullptr);
    menu.SetOwnerDraw(true);
    std::vector<std::string> events;
    struct Target {
        std::vector<std::string>* events;
        void Popup(TObject*) { events->push_back("popup"); }
        void Click(TObject* s) { events->push_back(dynamic_cast<TMenuItem*>(s)->Caption()); }
        void Draw(TObject*, TCanvas*, RECT, bool) { events->push_back("draw"); }
    } target{&events};
    menu.OnPopup = EVENT(TNotifyEvent, Target, Popup, &target);
    auto* first = new TMenuItem(nullptr);  // unowned: freed by its parent
    first->SetCaption("&First");
    auto* second = new TMenuItem(nullptr);
    second->SetCaption("&Second");
    second->OnClick = EVENT(TNotifyEvent, Target, Click, &target);
    second->OnDrawItem = EVENT(TMenuDrawItemEvent, Target, Draw, &target);
    menu.Items()->Add(first);
    menu.Items()->Add(second);
    EXPECT_EQ(menu.OwnerForm(), nullptr);
    EXPECT_NE(menu.WindowHandle(), nullptr);

    PopupProbe probe;
    probe.onIdle = [](const PopupProbe::Shown& shown) {
        PostMessageA(shown.window, WM_CHAR, 's', 0);
        return true;
    };
    menu.Popup(50, 50);
    ASSERT_EQ(probe.History().size(), 1u);
    EXPECT_FALSE(probe.ActionIgnored());
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), "popup");
    EXPECT_NE(std::find(events.begin(), events.end(), "draw"), events.end());
    EXPECT_EQ(events.back(), "&Second");
}

TEST(Menus, MenuBarRunsCommandsAndLeavesWithTheForm) {
    auto form = std::make_unique<MenuForm>();
    form->SetMenu(form->MainMenu1);
    EXPECT_EQ(GetMenu(form->Handle()), form->MainMenu1->Handle());
    EXPECT_EQ(GetMenuItemCount(form->MainMenu1->Handle()), 3);
    SendMessageA(form->Handle(), WM_COMMAND, form->Item("Content1")->Command(), 0);
    EXPECT_EQ(form->clicks, (std::vector<std::string>{"Content1"}));
    // Freeing the menu takes it off the window first.
    delete form->MainMenu1;
    EXPECT_EQ(form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    form.reset();
}

}  // namespace
