// TPageControl and TTabSheet on real windows: tab order after appends and
// moves (read back from the tab control), the active page and which sheets
// show, sheet bounds against the display rectangle, multi-line wrapping,
// selection by mouse, removal, and reading from a layout.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestApplication.h"

namespace {

class PageForm : public TForm {
public:
    PageForm() : TForm(nullptr) {
        Bindings.Handler<&PageForm::Changed>("PagesChange", this);
        Bindings.Handler<&PageForm::SheetResized>("SheetResize", this);
    }
    void Read(const std::string& text) { ReadLayoutText(this, &Bindings, text, "TESTFORM"); }
    void Changed(TObject*) { ++changes; }
    void SheetResized(TObject*) { ++resizes; }
    int changes = 0;
    int resizes = 0;
};

class PageControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        form = std::make_unique<PageForm>();
        form->SetBounds(50, 50, 500, 400);
        pages = new TPageControl(form.get());
        pages->SetBounds(10, 10, 400, 300);
        pages->SetParent(form.get());
        form->Show();
    }

    // Appends a sheet the way the program builds its category tabs.
    TTabSheet* Add(const std::string& caption) {
        auto* sheet = new TTabSheet(pages);
        sheet->SetCaption(caption);
        sheet->SetPageControl(pages);
        return sheet;
    }

    // The tab texts as the tab control holds them.
    std::vector<std::string> TabTexts() {
        std::vector<std::string> texts;
        HWND tabs = pages->Handle();
        int count = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char buffer[128] = {};
            TCITEMA item{};
            item.mask = TCIF_TEXT;
            item.pszText = buffer;
            item.cchTextMax = sizeof buffer;
            SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
            texts.push_back(buffer);
        }
        return texts;
    }

    std::vector<std::string> PageCaptions() const {
        std::vector<std::string> captions;
        for (int i = 0; i < pages->PageCount(); ++i) captions.push_back(pages->Pages(i)->Caption());
        return captions;
    }

    int CurSel() { return static_cast<int>(SendMessageA(pages->Handle(), TCM_GETCURSEL, 0, 0)); }

    // Which sheets' windows are visible, in tab order.
    std::vector<bool> Showing() const {
        std::vector<bool> shown;
        for (int i = 0; i < pages->PageCount(); ++i)
            shown.push_back(IsWindowVisible(pages->Pages(i)->Handle()) != FALSE);
        return shown;
    }

    // The sheet's window rectangle in the page control's client coordinates.
    RECT SheetRect(TTabSheet* sheet) {
        RECT r;
        GetWindowRect(sheet->Handle(), &r);
        MapWindowPoints(nullptr, pages->Handle(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    RECT AdjustedClient() {
        RECT r;
        GetClientRect(pages->Handle(), &r);
        SendMessageA(pages->Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
        return r;
    }

    std::unique_ptr<PageForm> form;
    TPageControl* pages = nullptr;
};

using Texts = std::vector<std::string>;

void ExpectSameRect(const RECT& a, const RECT& b) {
    EXPECT_EQ(a.left, b.left);
    EXPECT_EQ(a.top, b.top);
    EXPECT_EQ(a.right, b.right);
    EXPECT_EQ(a.bottom, b.bottom);
}

}  // namespace

TEST_F(PageControlTest, EmptyControlHasNoActivePage) {
    EXPECT_EQ(pages->PageCount(), 0);
    EXPECT_EQ(pages->ActivePage(), nullptr);
    EXPECT_EQ(pages->ActivePageIndex(), -1);
    EXPECT_EQ(pages->Pages(0), nullptr);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(CurSel(), -1);
    pages->SetActivePageIndex(0);  // nothing to activate
    EXPECT_EQ(pages->ActivePage(), nullptr);
}

TEST_F(PageControlTest, AppendsAndMovesKeepListAndTabsInTheSameOrder) {
    TTabSheet* a = Add("additional");
    TTabSheet* b = Add("animals");
    EXPECT_EQ(TabTexts(), (Texts{"additional", "animals"}));

    TTabSheet* g = Add("general");
    g->SetPageIndex(0);
    EXPECT_EQ(PageCaptions(), (Texts{"general", "additional", "animals"}));
    EXPECT_EQ(TabTexts(), PageCaptions());
    EXPECT_EQ(g->PageIndex(), 0);
    EXPECT_EQ(a->PageIndex(), 1);
    EXPECT_EQ(b->PageIndex(), 2);

    // Moving back to the end, to the middle, out of range (clamped), and onto itself.
    g->SetPageIndex(2);
    EXPECT_EQ(TabTexts(), (Texts{"additional", "animals", "general"}));
    g->SetPageIndex(1);
    EXPECT_EQ(TabTexts(), (Texts{"additional", "general", "animals"}));
    a->SetPageIndex(99);
    EXPECT_EQ(TabTexts(), (Texts{"general", "animals", "additional"}));
    b->SetPageIndex(1);
    EXPECT_EQ(TabTexts(), (Texts{"general", "animals", "additional"}));
    EXPECT_EQ(PageCaptions(), TabTexts());

    // A caption change renames its own tab only.
    b->SetCaption("   zoo   ");
    EXPECT_EQ(TabTexts(), (Texts{"general", "   zoo   ", "additional"}));
}

TEST_F(PageControlTest, ActivePageSurvivesMovesAndIsTheOnlySheetShown) {
    TTabSheet* first = Add("one");
    Add("two");
    TTabSheet* third = Add("three");
    // The first sheet put in becomes the active one.
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_EQ(Showing(), (std::vector<bool>{true, false, false}));

    third->SetPageIndex(0);  // three, one, two
    EXPECT_EQ(pages->ActivePage(), first);
    EXPECT_EQ(pages->ActivePageIndex(), 1);
    EXPECT_EQ(CurSel(), 1);
    EXPECT_EQ(Showing(), (std::vector<bool>{false, true, false}));

    first->SetPageIndex(2);  // three, two, one
    EXPECT_EQ(pages->ActivePageIndex(), 2);
    EXPECT_EQ(CurSel(), 2);

    pages->SetActivePageIndex(0);
    EXPECT_EQ(pages->ActivePage(), third);
    EXPECT_EQ(CurSel(), 0);
    EXPECT_EQ(Showing(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(form->changes, 0);  // only the user's selections raise OnChange

    pages->SetActivePage(nullptr);
    EXPECT_EQ(pages->ActivePageIndex(), -1);
    EXPECT_EQ(Showing(), (std::vector<bool>{false, false, false}));
}

TEST_F(PageControlTest, ClickingATabSelectsItsSheetAndRaisesOnChange) {
    Add("one");
    TTabSheet* two = Add("two");
    pages->OnChange = TNotifyEvent::Bind<PageForm, &PageForm::Changed>(form.get());

    RECT tab{};
    SendMessageA(pages->Handle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&tab));
    LPARAM at = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageA(pages->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(pages->Handle(), WM_LBUTTONUP, 0, at);

    EXPECT_EQ(pages->ActivePage(), two);
    EXPECT_EQ(form->changes, 1);
    EXPECT_EQ(Showing(), (std::vector<bool>{false, true}));
}

TEST_F(PageControlTest, SheetsFillTheDisplayRectAndFollowResizes) {
    TTabSheet* one = Add("one");
    TTabSheet* two = Add("two");
    one->OnResize = TNotifyEvent::Bind<PageForm, &PageForm::SheetResized>(form.get());
    ExpectSameRect(pages->DisplayRect(), AdjustedClient());
    ExpectSameRect(SheetRect(one), AdjustedClient());
    ExpectSameRect(SheetRect(two), AdjustedClient());
    RECT client;
    GetClientRect(pages->Handle(), &client);
    RECT display = AdjustedClient();
    EXPECT_GT(display.top, client.top);  // below the tabs
    EXPECT_LT(display.bottom, client.bottom);

    pages->SetBounds(10, 10, 300, 250);
    ExpectSameRect(SheetRect(one), AdjustedClient());
    ExpectSameRect(SheetRect(two), AdjustedClient());
    EXPECT_EQ(one->ClientWidth(), AdjustedClient().right - AdjustedClient().left);
    EXPECT_GE(form->resizes, 1);

    // A child window sized to the sheet's client area covers exactly the display rect.
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, one->ClientWidth(),
                                 one->ClientHeight(), one->Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(child, nullptr);
    RECT childRect;
    GetWindowRect(child, &childRect);
    MapWindowPoints(nullptr, pages->Handle(), reinterpret_cast<POINT*>(&childRect), 2);
    ExpectSameRect(childRect, AdjustedClient());
}

TEST_F(PageControlTest, AHiddenSheetAndItsChildrenGetWindowsWhenFirstShown) {
    TTabSheet* one = Add("one");
    TTabSheet* two = Add("two");
    auto* panel = new TPanel(two);
    panel->SetBounds(5, 5, 50, 40);
    panel->SetParent(two);
    EXPECT_TRUE(one->HandleAllocated());  // the active page
    EXPECT_FALSE(two->HandleAllocated());
    EXPECT_FALSE(panel->HandleAllocated());

    pages->SetActivePage(two);
    ASSERT_TRUE(two->HandleAllocated());
    ASSERT_TRUE(panel->HandleAllocated());
    EXPECT_TRUE(IsWindowVisible(two->Handle()));
    EXPECT_EQ(GetParent(panel->Handle()), two->Handle());
    // The bounds it was given meanwhile are the window's.
    ExpectSameRect(SheetRect(two), AdjustedClient());
    RECT r;
    GetWindowRect(panel->Handle(), &r);
    MapWindowPoints(nullptr, two->Handle(), reinterpret_cast<POINT*>(&r), 2);
    ExpectSameRect(r, RECT{5, 5, 55, 45});

    // Hidden again, it keeps its window; asking for a handle makes one at once.
    pages->SetActivePage(one);
    EXPECT_TRUE(two->HandleAllocated());
    EXPECT_FALSE(IsWindowVisible(two->Handle()));
    TTabSheet* three = Add("three");
    EXPECT_NE(three->Handle(), nullptr);
    EXPECT_FALSE(IsWindowVisible(three->Handle()));
}

TEST_F(PageControlTest, MultiLineTabsWrapAndPushTheSheetsDown) {
    pages->SetMultiLine(true);
    pages->SetBounds(10, 10, 160, 250);
    TTabSheet* first = Add("   general   ");
    const RECT oneRow = SheetRect(first);
    first->OnResize = TNotifyEvent::Bind<PageForm, &PageForm::SheetResized>(form.get());
    for (int i = 0; i < 7; ++i) Add("   category " + std::to_string(i) + "   ");

    EXPECT_GT(SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0), 1);
    ExpectSameRect(SheetRect(first), AdjustedClient());
    EXPECT_GT(SheetRect(first).top, oneRow.top);
    EXPECT_GE(form->resizes, 1);
    for (int i = 0; i < pages->PageCount(); ++i) ExpectSameRect(SheetRect(pages->Pages(i)), AdjustedClient());

    // The same tabs on one line scroll instead.
    pages->SetMultiLine(false);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0), 1);
    ExpectSameRect(SheetRect(first), AdjustedClient());
}

TEST_F(PageControlTest, WithAlignDisabledNewSheetsAreSizedAloneAndAllOnceAtTheEnd) {
    pages->SetMultiLine(true);
    pages->SetBounds(10, 10, 160, 250);
    TTabSheet* first = Add("   general   ");
    first->OnResize = TNotifyEvent::Bind<PageForm, &PageForm::SheetResized>(form.get());
    const RECT oneRow = SheetRect(first);

    pages->DisableAlign();
    pages->DisableAlign();  // nested
    TTabSheet* last = nullptr;
    for (int i = 0; i < 7; ++i) {
        last = Add("   category " + std::to_string(i) + "   ");
        // Each new sheet has the display area as it is when it comes.
        ExpectSameRect(SheetRect(last), AdjustedClient());
    }
    ASSERT_GT(SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0), 1);
    EXPECT_EQ(form->resizes, 0);  // the first sheet waited
    ExpectSameRect(SheetRect(first), oneRow);
    pages->EnableAlign();
    EXPECT_EQ(form->resizes, 0);  // still disabled once

    pages->EnableAlign();
    EXPECT_EQ(form->resizes, 1);
    for (int i = 0; i < pages->PageCount(); ++i) ExpectSameRect(SheetRect(pages->Pages(i)), AdjustedClient());
    // Enabled again, sheets follow every change at once.
    pages->SetBounds(10, 10, 300, 250);
    ExpectSameRect(SheetRect(first), AdjustedClient());
    ExpectSameRect(SheetRect(last), AdjustedClient());
}

// A hidden control takes a batch of tabs on one row of fixed width and
// measures them once at the end: the tabs, their rows, the style and the
// sheets end as if they had been added one by one.
TEST_F(PageControlTest, ABatchOnAHiddenControlEndsLaidOutAsTabsAddedOneByOne) {
    auto tabRects = [&] {
        std::vector<RECT> rects(static_cast<size_t>(pages->PageCount()));
        for (int i = 0; i < pages->PageCount(); ++i)
            SendMessageA(pages->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rects[static_cast<size_t>(i)]));
        return rects;
    };
    auto fill = [&](bool batch) {
        while (pages->PageCount() > 0) delete pages->Pages(0);
        form->Hide();
        if (batch) pages->DisableAlign();
        for (int i = 0; i < 40; ++i) Add(std::string(static_cast<size_t>(1 + i % 9), 'w') + " " + std::to_string(i));
        if (batch) {
            // Meanwhile the tabs are on one row.
            EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0), 1);
            pages->EnableAlign();
        }
    };
    pages->SetMultiLine(true);
    const LONG style = GetWindowLongA(pages->Handle(), GWL_STYLE);
    fill(false);
    const std::vector<RECT> oneByOne = tabRects();
    const LRESULT rows = SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0);
    ASSERT_GT(rows, 3);

    fill(true);
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE), style);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETROWCOUNT, 0, 0), rows);
    const std::vector<RECT> batched = tabRects();
    ASSERT_EQ(batched.size(), oneByOne.size());
    for (size_t i = 0; i < batched.size(); ++i) ExpectSameRect(batched[i], oneByOne[i]);
    for (int i = 0; i < pages->PageCount(); ++i) ExpectSameRect(SheetRect(pages->Pages(i)), AdjustedClient());

    // A shown control keeps its style through a batch: no flicker to one row.
    form->Show();
    pages->DisableAlign();
    Add("shown");
    EXPECT_EQ(GetWindowLongA(pages->Handle(), GWL_STYLE) & (TCS_MULTILINE | TCS_FIXEDWIDTH), TCS_MULTILINE);
    pages->EnableAlign();
}

TEST_F(PageControlTest, RemovingTheActiveSheetActivatesItsNeighbour) {
    TTabSheet* one = Add("one");
    TTabSheet* two = Add("two");
    TTabSheet* three = Add("three");
    pages->SetActivePage(two);

    delete two;
    EXPECT_EQ(TabTexts(), (Texts{"one", "three"}));
    EXPECT_EQ(pages->ActivePage(), three);
    EXPECT_EQ(CurSel(), 1);
    EXPECT_EQ(Showing(), (std::vector<bool>{false, true}));

    three->SetPageControl(nullptr);  // the last one: its predecessor takes over
    EXPECT_EQ(pages->ActivePage(), one);
    EXPECT_EQ(CurSel(), 0);
    EXPECT_EQ(three->PageIndex(), -1);
    delete three;

    delete one;
    EXPECT_EQ(pages->PageCount(), 0);
    EXPECT_EQ(pages->ActivePage(), nullptr);
    EXPECT_EQ(SendMessageA(pages->Handle(), TCM_GETITEMCOUNT, 0, 0), 0);
}

TEST_F(PageControlTest, SheetsAddedBeforeTheWindowExistGetTheirTabsWhenItIsCreated) {
    auto* late = new TPageControl(form.get());
    late->SetBounds(0, 0, 300, 200);
    for (const char* caption : {"a", "b", "c"}) {
        auto* sheet = new TTabSheet(late);
        sheet->SetCaption(caption);
        sheet->SetPageControl(late);
    }
    late->Pages(2)->SetPageIndex(0);
    late->SetActivePageIndex(1);
    late->SetParent(form.get());  // the window is created here

    HWND tabs = late->Handle();
    ASSERT_NE(tabs, nullptr);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(late->ActivePage()->Caption(), "a");
    EXPECT_TRUE(IsWindowVisible(late->ActivePage()->Handle()));
    EXPECT_FALSE(IsWindowVisible(late->Pages(0)->Handle()));
}

TEST_F(PageControlTest, ReadsSheetsAndActivePageFromALayout) {
    auto fresh = std::make_unique<PageForm>();
    fresh->Read(
        "object TestForm: TForm\n"
        "  Left = 40\n  Top = 40\n  Width = 420\n  Height = 320\n"
        "  object PageControl1: TPageControl\n"
        "    Left = 12\n    Top = 36\n    Width = 380\n    Height = 220\n"
        "    ActivePage = TabSheet2\n"
        "    MultiLine = True\n"
        "    Font.Name = 'MS Sans Serif'\n    Font.Height = -11\n    Font.Color = clBlack\n"
        "    TabOrder = 0\n"
        "    OnChange = PagesChange\n"
        "    object TabSheet1: TTabSheet\n      Caption = 'First'\n    end\n"
        "    object TabSheet2: TTabSheet\n      Caption = 'Second'\n      OnResize = SheetResize\n    end\n"
        "  end\n"
        "end\n");
    auto* control = dynamic_cast<TPageControl*>(fresh->FindComponent("PageControl1"));
    ASSERT_NE(control, nullptr);
    fresh->Show();
    EXPECT_TRUE(control->MultiLine());
    EXPECT_TRUE(GetWindowLongA(control->Handle(), GWL_STYLE) & TCS_MULTILINE);
    ASSERT_EQ(control->PageCount(), 2);
    EXPECT_EQ(control->Pages(0)->Name(), "TabSheet1");
    EXPECT_EQ(control->ActivePage()->Name(), "TabSheet2");
    EXPECT_EQ(SendMessageA(control->Handle(), TCM_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(control->ActivePage()->OnResize);
    EXPECT_TRUE(control->OnChange);
}
