// TXPMenu in-process: attaching to a form's menus and letting go again, and
// items measured and painted into memory bitmaps, read back pixel by pixel.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Exceptions.h"
#include "ImgList.h"
#include "Menus.h"
#include "Picture.h"
#include "TestApplication.h"
#include "XPMenu.h"
#include "XPMenuLogic.h"

namespace {

const char* const kLayout = R"(object MenuForm: TForm
  Caption = 'xp menus'
  ClientWidth = 320
  ClientHeight = 200
  object MainMenu1: TMainMenu
    Images = Images1
    object File1: TMenuItem
      Caption = '&File'
      object Minimize1: TMenuItem
        Caption = 'Minimize'
      end
      object Exit1: TMenuItem
        Caption = 'E&xit'
        ImageIndex = 0
        ShortCut = 16472
      end
    end
    object Options1: TMenuItem
      Caption = '&Options'
      object Check1: TMenuItem
        Caption = 'Minimize when click a smiley'
        Checked = True
      end
      object N2: TMenuItem
        Caption = '-'
      end
      object Content1: TMenuItem
        Caption = 'Content'
        ShortCut = 112
      end
    end
  end
  object Skipped1: TMainMenu
    Tag = 999
    object Top2: TMenuItem
      Caption = 'Top'
      object Inner2: TMenuItem
        Caption = 'Inner'
      end
    end
  end
  object Popup1: TPopupMenu
    Tag = 999
    object Shown3: TMenuItem
      Caption = 'Shown'
    end
    object Hidden3: TMenuItem
      Caption = 'Left alone'
      Tag = 999
    end
  end
  object XPMenu1: TXPMenu
    DimLevel = 30
    GrayLevel = 10
    Font.Charset = GB2312_CHARSET
    Font.Color = clMenuText
    Font.Height = -11
    Font.Name = 'Tahoma'
    Font.Style = []
    Color = clBtnFace
    IconBackColor = clBtnFace
    MenuBarColor = clBtnFace
    SelectColor = clHighlight
    SelectBorderColor = clHighlight
    SelectFontColor = clMenuText
    DisabledColor = clInactiveCaption
    SeparatorColor = clBtnFace
    CheckedColor = clHighlight
    IconWidth = 24
    DrawSelect = True
    UseSystemColors = True
    OverrideOwnerDraw = False
    Gradient = False
    FlatMenu = False
    AutoDetect = False
    XPContainers = []
    XPControls = [xcMainMenu, xcPopupMenu]
    Active = True
  end
  object Images1: TImageList
  end
end
)";

constexpr COLORREF kRed = RGB(200, 0, 0);
constexpr COLORREF kMask = RGB(255, 0, 255);

class MenuForm : public TForm {
public:
    explicit MenuForm(std::string layout = kLayout) : TForm(nullptr) {
        TestApplication();
        RegisterComponentClass<TXPMenu>("TXPMenu");
        Bindings.Field("MainMenu1", MainMenu1);
        Bindings.Field("Popup1", Popup1);
        Bindings.Field("XPMenu1", XPMenu1);
        Bindings.Field("Images1", Images1);
        Bindings.Handler<&MenuForm::AppDraw>("AppDraw", this);
        Bindings.Handler<&MenuForm::AppMeasure>("AppMeasure", this);
        ReadLayoutText(this, &Bindings, layout, "TESTXPMENU");
        // One 16 x 16 image: a red square inside a see-through border.
        TBitmap strip;
        strip.SetSize(16, 16, kMask);
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) ::SetPixel(strip.Canvas().Handle(), x, y, kRed);
        Images1->AddMasked(strip, clFuchsia);
    }
    TMenuItem* Item(const char* name) const { return dynamic_cast<TMenuItem*>(FindComponent(name)); }
    void AppDraw(TObject*, TCanvas*, RECT, bool) {}
    void AppMeasure(TObject*, TCanvas*, int&, int&) {}

    TMainMenu* MainMenu1 = nullptr;
    TPopupMenu* Popup1 = nullptr;
    TXPMenu* XPMenu1 = nullptr;
    TImageList* Images1 = nullptr;
};

bool Attached(TMenuItem* item) {
    return TXPMenu::IsOwnDrawHandler(item->OnDrawItem) && TXPMenu::IsOwnMeasureHandler(item->OnMeasureItem);
}
bool Bare(TMenuItem* item) { return !item->OnDrawItem && !item->OnMeasureItem; }

COLORREF Sys(int index) { return GetSysColor(index); }
COLORREF Lightened(COLORREF c, int p) { return xpmenu::Lighten(c, p); }

// An item painted into a 24-bit picture of its own size plus a margin row.
struct Painted {
    TBitmap picture;
    COLORREF At(int x, int y) const { return picture.Pixel(x, y); }
    // Columns holding pixels of `colour` in rows [top, bottom).
    int LeftmostOf(COLORREF colour, int top, int bottom) const {
        for (int x = 0; x < picture.Width(); ++x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) == colour) return x;
        return -1;
    }
    int RightmostOf(COLORREF colour, int top, int bottom) const {
        for (int x = picture.Width() - 1; x >= 0; --x)
            for (int y = top; y < bottom; ++y)
                if (At(x, y) == colour) return x;
        return -1;
    }
    int Count(COLORREF colour) const {
        int n = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x) n += At(x, y) == colour;
        return n;
    }
};

Painted Paint(TXPMenu* xp, TMenuItem* item, RECT rect, bool selected, int width = 210, int height = 30) {
    Painted p;
    p.picture.SetSize(width, height, RGB(1, 2, 3));
    xp->DrawMenuItem(item, p.picture.Canvas(), rect, selected);
    return p;
}

}  // namespace

// ------------------------------------------------------------- attachment

TEST(XPMenuAttach, LayoutActivationAttachesEveryReachableItem) {
    MenuForm form;
    EXPECT_TRUE(form.XPMenu1->Active());
    EXPECT_TRUE(form.MainMenu1->OwnerDraw());
    for (const char* name : {"File1", "Minimize1", "Exit1", "Options1", "Check1", "N2", "Content1", "Shown3"})
        EXPECT_TRUE(Attached(form.Item(name))) << name;
    // A main menu with Tag 999 is skipped whole; a pop-up menu only its tagged items.
    EXPECT_TRUE(Bare(form.Item("Top2")));
    EXPECT_TRUE(Bare(form.Item("Inner2")));
    EXPECT_TRUE(form.Popup1->OwnerDraw());
    EXPECT_TRUE(Bare(form.Item("Hidden3")));
    EXPECT_EQ(form.XPMenu1->XPControls(), XPBit(xcMainMenu) | XPBit(xcPopupMenu));
    EXPECT_EQ(form.XPMenu1->XPContainers(), 0);
    EXPECT_EQ(form.XPMenu1->Font().Name(), "Tahoma");
    EXPECT_EQ(form.XPMenu1->Font().Charset(), GB2312_CHARSET);
}

TEST(XPMenuAttach, ConstructorDefaultsAndOwnerCheck) {
    MenuForm form;
    TXPMenu fresh(&form);
    EXPECT_FALSE(fresh.Active());
    EXPECT_EQ(fresh.XPControls(), kAllXPControls);
    EXPECT_EQ(fresh.XPContainers(), kAllXPContainers);
    EXPECT_EQ(fresh.DimLevel, 30);
    EXPECT_EQ(fresh.IconWidth, 24);
    EXPECT_EQ(fresh.SelectFontColor, fresh.Font().Color());
    EXPECT_EQ(fresh.Font().Color(), clMenuText);

    TComponent notAForm(nullptr);
    EXPECT_THROW(TXPMenu bad(&notAForm), EInvalidCast);
    EXPECT_EQ(notAForm.ComponentCount(), 0);
    TXPMenu ownerless(nullptr);  // attaches to nothing
    ownerless.SetActive(true);
    EXPECT_EQ(ownerless.OwnerForm(), nullptr);
}

TEST(XPMenuAttach, ApplicationHandlersSurviveAPassAndDeactivation) {
    MenuForm form;
    TMenuItem* own = form.Item("Minimize1");
    TMenuItem* app = form.Item("Exit1");
    app->OnDrawItem = EVENT(TMenuDrawItemEvent, MenuForm, AppDraw, &form);
    auto before = own->OnDrawItem;

    // A second pass (OverrideOwnerDraw set while active runs one) changes nothing.
    form.XPMenu1->SetOverrideOwnerDraw(false);
    EXPECT_TRUE(own->OnDrawItem == before);
    EXPECT_EQ(app->OnDrawItem.Target(), &form);
    EXPECT_TRUE(form.MainMenu1->OwnerDraw());

    form.XPMenu1->SetActive(false);
    EXPECT_TRUE(Bare(own));
    EXPECT_EQ(app->OnDrawItem.Target(), &form);  // the application's stays
    EXPECT_FALSE(app->OnMeasureItem);           // the component's own went
    EXPECT_FALSE(form.MainMenu1->OwnerDraw());  // even though the layout had it on

    // With OverrideOwnerDraw the component's handler replaces the application's.
    form.XPMenu1->SetOverrideOwnerDraw(true);
    form.XPMenu1->SetActive(true);
    EXPECT_TRUE(Attached(app));
}

TEST(XPMenuAttach, HandlersOfAnyInstanceCountAsTheComponentsOwn) {
    MenuForm form;
    TXPMenu other(&form);
    TMenuItem* item = form.Item("Minimize1");
    item->OnDrawItem = EVENT(TMenuDrawItemEvent, TXPMenu, MenuItemDrawHandler, &other);
    form.XPMenu1->SetActive(false);
    EXPECT_FALSE(item->OnDrawItem);  // bound to another instance, still the routine
}

TEST(XPMenuAttach, ChangingTheKindsWhileActiveDetachesAndAttachesAgain) {
    MenuForm form;
    form.XPMenu1->SetXPControls(XPBit(xcPopupMenu));
    EXPECT_TRUE(Bare(form.Item("Minimize1")));
    EXPECT_FALSE(form.MainMenu1->OwnerDraw());
    EXPECT_TRUE(Attached(form.Item("Shown3")));
    EXPECT_TRUE(form.XPMenu1->Active());
    form.XPMenu1->SetXPControls(kAllXPControls);
    EXPECT_TRUE(Attached(form.Item("Minimize1")));
}

TEST(XPMenuAttach, LaterItemsAreHookedByAPaintedNeighbourOrByAutoDetect) {
    MenuForm form;
    auto* late = new TMenuItem(&form);
    late->SetCaption("Late");
    form.Item("File1")->Add(late);
    EXPECT_TRUE(Bare(late));
    Paint(form.XPMenu1, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    EXPECT_TRUE(Attached(late));

    // A menu made after attaching gets nothing until the next pass, which
    // AutoDetect runs when a menu item joins the owner.
    auto* menu = new TPopupMenu(&form);
    auto* first = new TMenuItem(&form);
    menu->Items()->Add(first);
    EXPECT_TRUE(Bare(first));
    form.XPMenu1->AutoDetect = true;
    auto* trigger = new TMenuItem(&form);
    EXPECT_TRUE(Attached(first));
    EXPECT_TRUE(Bare(trigger));  // not in a menu yet
}

TEST(XPMenuAttach, FormsOwnedByTheOwnerAreSearchedAndDestructionDetaches) {
    MenuForm form;
    auto* inner = new TForm(&form);
    auto* menu = new TPopupMenu(inner);
    auto* item = new TMenuItem(inner);
    menu->Items()->Add(item);
    form.XPMenu1->SetActive(false);
    form.XPMenu1->SetActive(true);
    EXPECT_TRUE(Attached(item));

    delete form.XPMenu1;
    EXPECT_TRUE(Bare(item));
    EXPECT_TRUE(Bare(form.Item("Minimize1")));
}

// --------------------------------------------------------------- measuring

TEST(XPMenuMeasure, LiveSettings) {
    MenuForm form;
    TXPMenu* xp = form.XPMenu1;
    TBitmap scratch;
    scratch.SetSize(4, 4);
    TCanvas& canvas = scratch.Canvas();

    // A separator: 0 + 5 + 24 wide, exactly 4 high whatever the toolkit said.
    int w = 0, h = 9;
    xp->MeasureMenuItem(form.Item("N2"), canvas, w, h);
    EXPECT_EQ(w, 29);
    EXPECT_EQ(h, 4);

    // First measure: the stored Tahoma font; two ampersands lose one "&" width.
    TMenuItem* amp = form.Item("Minimize1");
    amp->SetCaption("R&&D");
    w = h = 0;
    xp->MeasureMenuItem(amp, canvas, w, h);
    TCanvas probe(canvas.Handle());
    probe.Font.Assign(xp->Font());
    EXPECT_EQ(w, probe.TextWidth("R&&D") + 5 - probe.TextWidth("&") + 24);
    int th = probe.TextHeight("R&&D");
    EXPECT_EQ(h, th + xpmenu::RoundHalfEven(th * 3, 4));

    // The toolkit's own measure is only ever raised.
    int bigW = 500, bigH = 40;
    xp->MeasureMenuItem(amp, canvas, bigW, bigH);
    EXPECT_EQ(bigW, 500);
    EXPECT_EQ(bigH, 40);

    // An item with a 16 x 16 image is never lower than 22, even in a tiny font.
    TFont tiny;
    tiny.SetName("Tahoma");
    tiny.SetHeight(-6);
    xp->SetFont(tiny);
    w = h = 0;
    xp->MeasureMenuItem(form.Item("Exit1"), canvas, w, h);
    EXPECT_EQ(h, 22);

    // Painting loads the system menu font; later measures use it.
    Paint(xp, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    TFont system;
    TXPMenu::LoadMenuFont(system);
    EXPECT_EQ(xp->Font().Name(), system.Name());
    EXPECT_EQ(xp->Font().Charset(), system.Charset());
    EXPECT_EQ(xp->Font().Height(), system.Height());
}

// ---------------------------------------------------------------- painting

TEST(XPMenuPaint, BackgroundsSelectionAndCheckBox) {
    MenuForm form;
    TXPMenu* xp = form.XPMenu1;
    const COLORREF menu = Lightened(Sys(COLOR_BTNFACE), 86), column = Lightened(Sys(COLOR_BTNFACE), 16);
    const COLORREF selection = Lightened(Sys(COLOR_HIGHLIGHT), 68), border = Sys(COLOR_HIGHLIGHT);

    Painted plain = Paint(xp, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    EXPECT_TRUE(xp->HighColor());
    EXPECT_EQ(plain.At(5, 5), column);
    EXPECT_EQ(plain.At(23, 23), column);  // the enlarged bottom row
    EXPECT_EQ(plain.At(24, 5), menu);
    EXPECT_EQ(plain.At(199, 23), menu);
    EXPECT_EQ(plain.At(5, 24), RGB(1, 2, 3));  // nothing below it

    Painted selected = Paint(xp, form.Item("Minimize1"), RECT{0, 0, 200, 23}, true);
    EXPECT_EQ(selected.At(100, 0), menu);  // the bar starts one row down
    EXPECT_EQ(selected.At(0, 1), border);
    EXPECT_EQ(selected.At(199, 1), border);
    EXPECT_EQ(selected.At(199, 22), border);  // down to the item's own bottom
    EXPECT_EQ(selected.At(200, 5), RGB(1, 2, 3));  // nothing right of the item
    EXPECT_EQ(selected.At(100, 23), menu);
    EXPECT_EQ(selected.At(5, 5), selection);
    EXPECT_EQ(selected.At(180, 12), selection);

    // The check box at (L + 7, T + (24 - 10) div 2) and its strokes.
    Painted checked = Paint(xp, form.Item("Check1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(checked.At(7, 7), border);
    EXPECT_EQ(checked.At(16, 16), border);
    EXPECT_EQ(checked.At(6, 7), column);
    EXPECT_EQ(checked.At(9, 9), Lightened(Sys(COLOR_HIGHLIGHT), 80));
    EXPECT_EQ(checked.At(8, 12), RGB(0, 0, 0));
    EXPECT_EQ(checked.At(18, 7), RGB(0, 0, 0));  // the long stroke leaves the box
    Painted hotCheck = Paint(xp, form.Item("Check1"), RECT{0, 0, 200, 23}, true);
    EXPECT_EQ(hotCheck.At(9, 9), Lightened(Sys(COLOR_HIGHLIGHT), 50));
}

TEST(XPMenuPaint, ImagesFadeAndLiftOverTheirShadow) {
    MenuForm form;
    TXPMenu* xp = form.XPMenu1;
    const COLORREF column = Lightened(Sys(COLOR_BTNFACE), 16);
    // The image rests at (IC.left + 3, IC.top + 3); its red square starts 2 in.
    Painted resting = Paint(xp, form.Item("Exit1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(resting.At(5, 5), Lightened(kRed, 30));
    EXPECT_EQ(resting.At(16, 16), Lightened(kRed, 30));
    EXPECT_EQ(resting.At(4, 4), column);  // see-through border
    EXPECT_EQ(resting.At(17, 17), column);

    Painted hot = Paint(xp, form.Item("Exit1"), RECT{0, 0, 200, 23}, true);
    const COLORREF shadow = xpmenu::Darken(Lightened(Sys(COLOR_HIGHLIGHT), 68), 50);
    EXPECT_EQ(hot.At(4, 4), kRed);  // lifted to (IC.left + 2, IC.top + 2)
    EXPECT_EQ(hot.At(15, 15), kRed);
    EXPECT_EQ(hot.At(17, 17), shadow);  // shadow at (IC.left + 4, IC.top + 4)
    EXPECT_EQ(hot.At(3, 3), Lightened(Sys(COLOR_HIGHLIGHT), 68));

    // Disabled: grey and lightened, no selection bar.
    form.Item("Exit1")->SetEnabled(false);
    Painted disabled = Paint(xp, form.Item("Exit1"), RECT{0, 0, 200, 23}, true);
    COLORREF grey = xpmenu::Lighten(xpmenu::Gray(kRed, 10), 40);
    EXPECT_EQ(disabled.At(5, 5), grey);
    EXPECT_EQ(disabled.At(100, 5), Lightened(Sys(COLOR_BTNFACE), 86));
    EXPECT_EQ(disabled.Count(Sys(COLOR_HIGHLIGHT)), 0);
    EXPECT_GT(disabled.Count(Lightened(Sys(COLOR_BTNSHADOW), 10)), 0);  // the caption
}

TEST(XPMenuPaint, SeparatorCaptionAndShortCut) {
    MenuForm form;
    TXPMenu* xp = form.XPMenu1;
    const COLORREF menu = Lightened(Sys(COLOR_BTNFACE), 86);
    const COLORREF line = Lightened(Sys(COLOR_BTNSHADOW), 25);
    Painted sep = Paint(xp, form.Item("N2"), RECT{0, 0, 200, 4}, false);
    EXPECT_EQ(sep.At(31, 2), line);
    EXPECT_EQ(sep.At(199, 2), line);
    EXPECT_EQ(sep.At(30, 2), menu);
    EXPECT_EQ(sep.At(100, 1), menu);
    EXPECT_EQ(sep.At(100, 3), menu);
    EXPECT_EQ(sep.At(100, 4), menu);  // the enlarged row

    // Caption " Content" from L + 27; "F1 " right-aligned 10 pixels in.
    Painted item = Paint(xp, form.Item("Content1"), RECT{0, 0, 200, 23}, false);
    TCanvas probe(item.picture.Canvas().Handle());
    probe.Font.Assign(xp->Font());
    const int blank = probe.TextWidth(" ");
    const COLORREF text = Sys(COLOR_MENUTEXT);
    const int first = item.LeftmostOf(text, 0, 24);
    EXPECT_GE(first, 27 + blank);
    EXPECT_LE(first, 27 + blank + 2);
    const COLORREF keys = xpmenu::Darken(text, -40);
    const int last = item.RightmostOf(keys, 0, 24);
    EXPECT_LE(last, 200 - 10 - blank - 1);
    EXPECT_GE(last, 200 - 10 - blank - 4);
}

TEST(XPMenuPaint, GradientBackgroundLightensTheColumnColourAcrossTheItem) {
    MenuForm form;
    form.XPMenu1->Gradient = true;
    const COLORREF column = Lightened(Sys(COLOR_BTNFACE), 16);
    Painted item = Paint(form.XPMenu1, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(item.At(0, 5), Lightened(column, 1));
    EXPECT_EQ(item.At(1, 5), Lightened(column, 4));
    EXPECT_EQ(item.At(150, 5), Lightened(column, 96));
    EXPECT_EQ(item.At(201, 5), Lightened(column, 96));  // widened by 2 at the right
}

TEST(XPMenuPaint, DefaultItemsGetFourDarkenedPasses) {
    MenuForm form;
    TXPMenu* xp = form.XPMenu1;
    const COLORREF darkest = xpmenu::Darken(Lightened(Sys(COLOR_BTNFACE), 86), 60);
    Painted plain = Paint(xp, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    form.Item("Minimize1")->SetDefault(true);
    Painted bold = Paint(xp, form.Item("Minimize1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(plain.Count(darkest), 0);
    EXPECT_GT(bold.Count(darkest), 0);
    EXPECT_GT(bold.Count(xpmenu::Darken(Lightened(Sys(COLOR_BTNFACE), 86), 30)), 0);
}

TEST(XPMenuPaint, RightToLeftMirrorsTheItem) {
    MenuForm form;
    form.MainMenu1->BiDiMode = bdRightToLeft;
    TXPMenu* xp = form.XPMenu1;
    const COLORREF column = Lightened(Sys(COLOR_BTNFACE), 16), menu = Lightened(Sys(COLOR_BTNFACE), 86);
    Painted item = Paint(xp, form.Item("Content1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(item.At(190, 5), column);
    EXPECT_EQ(item.At(5, 5), menu);
    EXPECT_EQ(item.At(175, 5), menu);
    // Short-cut left-aligned 10 pixels in; caption right-aligned before the column.
    const int keys = item.LeftmostOf(xpmenu::Darken(Sys(COLOR_MENUTEXT), -40), 0, 24);
    EXPECT_GE(keys, 10);
    EXPECT_LE(keys, 12);
    const int caption = item.RightmostOf(Sys(COLOR_MENUTEXT), 0, 24);
    EXPECT_LT(caption, 176 - 3);
    EXPECT_GT(caption, 150);

    Painted check = Paint(xp, form.Item("Check1"), RECT{0, 0, 200, 23}, false);
    EXPECT_EQ(check.At(176 + 7, 7), Sys(COLOR_HIGHLIGHT));
}

// Wine reports the screen's depth for every memory DC; this one tells the truth.
class DepthTellingXPMenu : public TXPMenu {
public:
    using TXPMenu::TXPMenu;

protected:
    int BitsPerPixel(TCanvas& canvas) const override {
        BITMAP b{};
        HGDIOBJ bitmap = GetCurrentObject(canvas.Handle(), OBJ_BITMAP);
        return GetObjectA(bitmap, sizeof b, &b) ? b.bmBitsPixel : TXPMenu::BitsPerPixel(canvas);
    }
};

TEST(XPMenuPaint, AtEightBitsPerPixel) {
    MenuForm form;
    DepthTellingXPMenu low(&form);
    TXPMenu* xp = &low;
    // An 8-bit picture whose palette holds the colours the low-colour set uses.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = 200;
    info.header.biHeight = -30;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biClrUsed = 256;
    COLORREF wanted[] = {RGB(255, 255, 255), RGB(0, 0, 0), Sys(COLOR_BTNFACE), Sys(COLOR_HIGHLIGHT),
                         Sys(COLOR_BTNSHADOW), Sys(COLOR_MENUTEXT), kRed, RGB(192, 192, 192)};
    for (int i = 0; i < 256; ++i) {
        COLORREF c = i < 8 ? wanted[i] : RGB(i, 255 - i, (i * 7) & 0xFF);
        info.colours[i] = RGBQUAD{GetBValue(c), GetGValue(c), GetRValue(c), 0};
    }
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, dib);
    {
        TCanvas canvas(dc);
        xp->DrawMenuItem(form.Item("Minimize1"), canvas, RECT{0, 0, 200, 23}, true);
        EXPECT_FALSE(xp->HighColor());
        EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 255, 255));  // white selection
        EXPECT_EQ(GetPixel(dc, 0, 1), Sys(COLOR_HIGHLIGHT));
        EXPECT_EQ(GetPixel(dc, 100, 0), RGB(255, 255, 255));

        xp->DrawMenuItem(form.Item("Exit1"), canvas, RECT{0, 0, 200, 23}, false);
        EXPECT_EQ(GetPixel(dc, 5, 5), kRed);  // not faded
        EXPECT_EQ(GetPixel(dc, 20, 5), Sys(COLOR_BTNFACE));
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(dib);
}
