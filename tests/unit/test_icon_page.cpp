// Icon pages on the real main window: which pictures a page lists, the
// browser-or-native decision, and the pick from title or click to the
// stand-in compose window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "ComCtrls.h"
#include "IconPageText.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "clip_peer.h"
#include "CategoryTabs.h"
#include "main.h"
#include "mainobj.h"
#include "PayloadLiterals.h"

namespace {

using clip_test::ComposePeer;

// A picture of the tests' own (tests/data/pictures), for pages that are shown.
std::string TestPicture(const std::string& name) {
    std::string path = "Z:" TEST_DATA_DIR "/pictures/" + name;
    for (char& c : path)
        if (c == '/') c = '\\';
    return TempFolder::ReadFile(path);
}

class IconPages : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        // As the program starts: the browser is tried until a page finds it
        // unusable (a case before may have found so).
        ticonbox::SetBrowserUsable(true);
        form = Application->CreateForm<TfrmMain>(nullptr);
        // After the form read its options file.
        DoMinimizeFlag = false;
        DoSetHtmlFlag = true;
        SoundOnFlag = false;
        LastComposeWindow = nullptr;
        images = app.MakeFolder("images");
    }
    void TearDown() override { delete form; }

    std::string Category(const std::string& name) { return app.MakeFolder("images\\" + name); }
    void Picture(const std::string& category, const std::string& name, const std::string& bytes = "x") {
        app.WriteFile("images\\" + category + "\\" + name, bytes);
    }
    // Builds the tabs for the library made so far.
    void LoadLibrary() {
        form->ImagesDir = images;
        form->LoadCategories();
    }
    // The tab's page, made now as showing the tab would.
    ticonbox* Page(int tab) {
        TTabSheet* sheet = form->PageControl1->Pages(tab);
        return sheet ? form->Categories->Page(sheet, true) : nullptr;
    }
    // Shows the window on `tab` and waits until its native view has laid out picture `index`.
    TPictureView* ShownView(int tab, int index) {
        form->PageControl1->SetActivePageIndex(tab);
        form->Show();
        TPictureView* view = Page(tab)->NativeView();
        EXPECT_NE(view, nullptr);
        if (!view) return nullptr;
        view->Repaint();
        EXPECT_TRUE(WaitFor([&] {
            RECT r = view->PictureRect(index);
            return r.right > r.left;
        }));
        return view;
    }
    static void Click(TPictureView* view, int index) {
        RECT r = view->PictureRect(index);
        LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(view->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(view->Handle(), WM_LBUTTONUP, 0, at);
    }
    TempFolder app;
    std::string images;
    TfrmMain* form = nullptr;
};

}  // namespace

TEST_F(IconPages, ListPicturesByExtensionThenNameAndSkipTheRest) {
    const std::string folder = Category("general");
    for (const char* name : {"b.gif", "a.png", "c.jpg", "x.JPG", "y.bmp", "x.jpeg", "x.tif", ".dot.gif", "noext"})
        Picture("general", name);
    app.MakeFolder("images\\general\\dir.gif");
    LoadLibrary();
    ticonbox* page = Page(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->FolderPath, folder);
    const std::vector<std::string> files(page->ImageFiles->begin(), page->ImageFiles->end());
    const std::vector<std::string> expected = {folder + "\\b.gif", folder + "\\c.jpg", folder + "\\x.JPG",
                                               folder + "\\y.bmp", folder + "\\a.png"};
    EXPECT_EQ(files, expected);
    ASSERT_EQ(page->PageLines->Count(), 7);
    const std::string b = ForwardSlashPath(folder) + "/b.gif";
    EXPECT_EQ((*page->PageLines)[1], "<img src=\"" + b + "\" onClick=\"settitle( '" + b + "')\">&nbsp; ");
    EXPECT_EQ((*page->PageLines)[0],
              "<html> <head> <script language=\"JavaScript\" type=\"text/JavaScript\"> "
              "function settitle(msg) { document.title=msg; } </script> </head> <body bgcolor=\"#FFFFFF\">");
    EXPECT_EQ((*page->PageLines)[6], "</body> </html>");
}

TEST_F(IconPages, AnEmptyFolderGivesAnEmptyPageOnItsTab) {
    Category("empty");
    LoadLibrary();
    ASSERT_EQ(form->PageControl1->PageCount(), 1);
    ticonbox* page = Page(0);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->ImageFiles->Count(), 0);
    EXPECT_EQ(page->PageLines->Count(), 0);
}

TEST_F(IconPages, TheBrowserIsTriedOnceAndEveryPageShowsItsPictures) {
    for (const char* name : {"general", "additional", "animals"}) {
        Category(name);
        Picture(name, "smile.gif", TestPicture("smile.gif"));
    }
    ticonbox::SetBrowserUsable(true);
    const DWORD start = GetTickCount();
    LoadLibrary();
    const DWORD elapsed = GetTickCount() - start;
    ASSERT_EQ(form->PageControl1->PageCount(), 3);
    const bool fellBack = Page(0)->NativeView() != nullptr;
    std::printf("[ measured ] three pages built in %lu ms, %s\n", static_cast<unsigned long>(elapsed),
                fellBack ? "browser failed, native views" : "browser pages");
    int ddeWindows = 0;
    for (int tab = 0; tab < 3; ++tab) {
        SCOPED_TRACE(tab);
        ticonbox* page = Page(tab);
        ddeWindows += page->DdeWindow() != nullptr;
        if (fellBack) {
            // After the first failure no page holds a browser object.
            EXPECT_FALSE(ticonbox::BrowserUsable());
            EXPECT_FALSE(page->HasObject());
            ASSERT_NE(page->NativeView(), nullptr);
            EXPECT_EQ(page->NativeView()->Count(), 1);
            TTabSheet* sheet = form->PageControl1->Pages(tab);
            RECT bounds = page->NativeView()->BoundsRect();
            EXPECT_EQ(bounds.left, 5);
            EXPECT_EQ(bounds.top, 5);
            EXPECT_EQ(bounds.right - bounds.left, sheet->Width() - 10);
            EXPECT_EQ(bounds.bottom - bounds.top, 317);
            EXPECT_EQ(page->NativeView()->Parent(), sheet);
            // No top-level window per page (each costs tens of milliseconds
            // under Wine): the view's tip waits for the pointer.
            EXPECT_EQ(page->NativeView()->ToolTipHandle(), nullptr);
        } else {
            EXPECT_TRUE(page->HasObject());
            EXPECT_EQ(page->NativeView(), nullptr);
        }
    }
    // Only a page that holds (or held) a browser has a DDE window to serve it.
    if (fellBack) {
        EXPECT_LE(ddeWindows, 1);
    }
}

TEST_F(IconPages, PictureTitlesArePickedAndOthersIgnored) {
    ComposePeer mozilla("MozillaWindowClass", "Write: (no subject)");
    Category("general");
    LoadLibrary();
    ticonbox* page = Page(0);
    ASSERT_NE(page, nullptr);

    const DWORD before = GetClipboardSequenceNumber();
    for (const wchar_t* ignored : {L"C:/x/images/general/smile.jpeg", L"C:/x/images/general/smile", L"",
                                   L"C:/a.gif/face", L"about:blank"})
        page->PickTitleChange(page, ignored);
    EXPECT_EQ(GetClipboardSequenceNumber(), before);
    EXPECT_TRUE(mozilla.Keys().empty());

    // Only the third client open: the headed fragment.
    page->PickTitleChange(page, L"C:/My Pictures/smile face.gif");
    ASSERT_TRUE(mozilla.WaitForPastes(1));
    EXPECT_EQ(mozilla.Pastes().back(), literal::kSmileFaceHeaded);

    // With the first client's window open too, the payload has no header;
    // the paste goes to that window.
    ComposePeer note("ATH_Note", "Compose");
    page->PickTitleChange(page, L"C:/x/images/general/smile.GIF");
    ASSERT_TRUE(note.WaitForPastes(1));
    EXPECT_EQ(note.Pastes().back(), literal::PlainFragment("C:/x/images/general/smile.GIF"));
}

TEST_F(IconPages, AClickInTheNativeViewPastesThatPictureAndHidesWhenAsked) {
    ComposePeer note("ATH_Note", "Compose");
    Category("general");
    const std::string smile = TestPicture("smile.gif");
    for (const char* name : {"Bob's smile.gif", "fish & chips.gif", "plain.gif"}) Picture("general", name, smile);
    ticonbox::SetBrowserUsable(false);
    LoadLibrary();
    ticonbox* page = Page(0);
    ASSERT_NE(page, nullptr);
    const std::string folder = ForwardSlashPath(page->FolderPath);
    TPictureView* view = ShownView(0, 2);
    ASSERT_NE(view, nullptr);

    // Names that would break a page's click script are picked like any other.
    const std::vector<std::string> names = {"Bob's smile.gif", "fish & chips.gif", "plain.gif"};
    for (size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(names[i]);
        const int index = page->ImageFiles->IndexOf(page->FolderPath + "\\" + names[i]);
        ASSERT_GE(index, 0);
        Click(view, index);
        ASSERT_TRUE(note.WaitForPastes(i + 1));
        EXPECT_EQ(note.Pastes().back(), literal::PlainFragment(folder + "/" + names[i]));
            EXPECT_TRUE(form->Visible());  // DoMinimize off
    }
    // The same picture again pastes again; with DoMinimize on the window hides.
    DoMinimizeFlag = true;
    Click(view, 2);
    ASSERT_TRUE(note.WaitForPastes(names.size() + 1));
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    Application->Restore();
}

// The folder watch is in place before a page first lists its folder, even
// when the window is shown before start-up is over: a picture added the
// moment after the listing still shows.
TEST_F(IconPages, APictureAddedTheMomentAfterThePageIsListedShows) {
    Category("general");
    Picture("general", "smile.gif", TestPicture("smile.gif"));
    LoadLibrary();
    ASSERT_NE(ShownView(0, 0), nullptr);
    Picture("general", "red.bmp", TestPicture("red.bmp"));
    EXPECT_TRUE(WaitFor([&] { return Page(0)->NativeView()->Count() == 2; }));
}
