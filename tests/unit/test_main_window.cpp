// The real main window, created in-process from its stored layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Menus.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "WineTray.h"
#include "main.h"

namespace {
// Every main window puts its tray icon in and takes it out again.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        form = Application->CreateForm<TfrmMain>(nullptr);
    }
    void TearDown() override { delete form; }

    std::vector<std::string> TabCaptions() {
        std::vector<std::string> out;
        for (int i = 0; i < form->PageControl1->PageCount(); ++i) out.push_back(form->PageControl1->Pages(i)->Caption());
        return out;
    }
    // Rebuilds the tabs from a library of sub-folders made in this order.
    std::vector<std::string> TabsFor(const std::vector<std::string>& folders) {
        while (form->PageControl1->PageCount() > 0) delete form->PageControl1->Pages(0);
        TempFolder app;
        std::string images = app.MakeFolder("images");
        for (const auto& f : folders) app.MakeFolder("images\\" + f);
        form->ImagesDir = images;
        form->LoadCategories();
        return TabCaptions();
    }

    TfrmMain* form = nullptr;
};

std::vector<std::string> Captions(std::initializer_list<const char*> names) {
    std::vector<std::string> out;
    for (const char* n : names) out.push_back(std::string("   ") + n + "   ");
    return out;
}
}  // namespace

TEST_F(MainWindow, LayoutGivesCaptionFrameAndClientSize) {
    HWND wnd = form->Handle();
    char caption[64];
    GetWindowTextA(wnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Tovira v2.0");
    RECT client;
    GetClientRect(wnd, &client);
    EXPECT_EQ(client.right, 678);
    EXPECT_EQ(client.bottom, 457);
    LONG style = GetWindowLongA(wnd, GWL_STYLE);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(wnd, GW_OWNER), Application->Handle());
}

TEST_F(MainWindow, ChildrenSitWhereTheLayoutPutsThem) {
    struct Expect {
        TControl* control;
        RECT bounds;
        bool visible;
    } expected[] = {
        {form->PageControl1, {12, 36, 665, 409}, true}, {form->Panel2, {192, 226, 465, 254}, false},
        {form->BitBtn1, {16, 419, 113, 447}, false},     {form->BitBtn2, {408, 419, 545, 447}, true},
        {form->BitBtn3, {552, 419, 657, 447}, true},     {form->BitBtn4, {16, 419, 113, 447}, true},
    };
    for (const auto& e : expected) {
        RECT r = e.control->BoundsRect();
        EXPECT_EQ(r.left, e.bounds.left) << e.control->Name();
        EXPECT_EQ(r.top, e.bounds.top) << e.control->Name();
        EXPECT_EQ(r.right, e.bounds.right) << e.control->Name();
        EXPECT_EQ(r.bottom, e.bounds.bottom) << e.control->Name();
        EXPECT_EQ(e.control->Visible(), e.visible) << e.control->Name();
    }
    EXPECT_EQ(form->Panel2->Caption(), "No e-mail window opened");
    EXPECT_EQ(form->BitBtn2->Caption(), "Minimize to tray");
    EXPECT_EQ(NoticePanel, form->Panel2);
}

TEST_F(MainWindow, CategoryFoldersBecomeTabsWithGeneralThenAdditionalFirst) {
    EXPECT_EQ(TabsFor({"additional", "animals", "general"}), Captions({"general", "additional", "animals"}));
    EXPECT_EQ(TabsFor({"general", "additional"}), Captions({"general", "additional"}));
    EXPECT_EQ(TabsFor({"zoo", "additional"}), Captions({"additional", "zoo"}));
    EXPECT_EQ(TabsFor({"zoo", "General"}), Captions({"General", "zoo"}));
    EXPECT_EQ(TabsFor({"zoo", "GENERAL", "ADDITIONAL"}), Captions({"GENERAL", "ADDITIONAL", "zoo"}));
    EXPECT_EQ(TabsFor({"zoo", "general2", "Bears"}), Captions({"Bears", "general2", "zoo"}));
}

// Folders met in a given order: each tab is placed when it is created,
// against the tabs that exist then.
TEST_F(MainWindow, TabsMoveAtTheMomentEachIsCreated) {
    auto metInOrder = [&](std::initializer_list<const char*> names) {
        while (form->PageControl1->PageCount() > 0) delete form->PageControl1->Pages(0);
        for (const char* n : names) {
            auto* sheet = new TTabSheet(form->PageControl1);
            sheet->SetCaption(std::string("   ") + n + "   ");
            sheet->SetPageControl(form->PageControl1);
            form->PlaceCategoryTab(sheet);
        }
        return TabCaptions();
    };
    EXPECT_EQ(metInOrder({"additional", "animals", "general"}), Captions({"general", "additional", "animals"}));
    EXPECT_EQ(metInOrder({"general", "additional"}), Captions({"general", "additional"}));
    EXPECT_EQ(metInOrder({"additional", "zoo"}), Captions({"additional", "zoo"}));
    EXPECT_EQ(metInOrder({"zoo", "additional", "general"}), Captions({"general", "additional", "zoo"}));
    EXPECT_EQ(metInOrder({"zoo", "general", "additional"}), Captions({"general", "additional", "zoo"}));
    EXPECT_EQ(metInOrder({"zoo", "general2", "additional2"}), Captions({"zoo", "general2", "additional2"}));
}

TEST_F(MainWindow, OnlyImmediateNonDotFoldersBecomeTabs) {
    while (form->PageControl1->PageCount() > 0) delete form->PageControl1->Pages(0);
    TempFolder app;
    form->ImagesDir = app.MakeFolder("images");
    app.MakeFolder("images\\.hidden");
    app.MakeFolder("images\\secret", FILE_ATTRIBUTE_HIDDEN);
    app.MakeFolder("images\\zoo");
    app.MakeFolder("images\\zoo\\nested");
    app.WriteFile("images\\loose.gif", "GIF89a");
    form->LoadCategories();
    std::vector<std::string> tabs = TabCaptions();
    std::sort(tabs.begin(), tabs.end());
    EXPECT_EQ(tabs, Captions({"secret", "zoo"}));
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), 0);
}

TEST_F(MainWindow, NoLibraryLeavesThePageControlEmpty) {
    EXPECT_TRUE(TabsFor({}).empty());
    TempFolder app;
    form->ImagesDir = app / "images";  // does not exist
    form->LoadCategories();
    EXPECT_EQ(form->PageControl1->PageCount(), 0);
    EXPECT_EQ(form->PageControl1->ActivePageIndex(), -1);
}

TEST_F(MainWindow, OptionsAreReadInKeyOrderAndShownInTheMenu) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    form->ReadOptions();  // no file: all on
    form->ReflectOptions();
    EXPECT_TRUE(DoMinimizeFlag && DoSetHtmlFlag && SoundOnFlag);
    EXPECT_EQ(form->SoundOn1->Caption(), "Sound Off");

    app.WriteFile("Tovira.ini", "[Options]\r\nDoSetHtml=0\r\n");
    form->ReadOptions();
    form->ReflectOptions();
    EXPECT_TRUE(DoMinimizeFlag);
    EXPECT_FALSE(DoSetHtmlFlag);
    EXPECT_TRUE(SoundOnFlag);
    EXPECT_FALSE(form->SettoHTMLmode1->Checked());
    EXPECT_TRUE(form->Minimizewhenclickaimage1->Checked());

    app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\nDoSetHtml=abc\r\nSound On=0x0\r\n");
    form->ReadOptions();
    form->ReflectOptions();
    EXPECT_FALSE(DoMinimizeFlag);
    EXPECT_TRUE(DoSetHtmlFlag);
    EXPECT_FALSE(SoundOnFlag);
    EXPECT_EQ(form->SoundOn1->Caption(), "Sound On");
    EXPECT_FALSE(form->Minimizewhenclickaimage1->Checked());
}

TEST_F(MainWindow, TogglesChangeOnlyTheFlags) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    form->ReadOptions();
    form->ReflectOptions();
    form->SoundOn1Click(nullptr);
    EXPECT_FALSE(SoundOnFlag);
    EXPECT_EQ(form->SoundOn1->Caption(), "Sound On");
    form->SoundOn1Click(nullptr);
    EXPECT_TRUE(SoundOnFlag);
    EXPECT_EQ(form->SoundOn1->Caption(), "Sound Off");
    form->Minimizewhenclickaimage1Click(nullptr);
    EXPECT_FALSE(DoMinimizeFlag);
    form->SettoHTMLmode1Click(nullptr);
    EXPECT_FALSE(DoSetHtmlFlag);
    EXPECT_EQ(GetFileAttributesA((app / "Tovira.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(MainWindow, OptionsAreWrittenAsOneAndZeroInKeyOrder) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    DoMinimizeFlag = true;
    DoSetHtmlFlag = false;
    SoundOnFlag = true;
    form->Hotkey = "ctrl + Shift+F9";  // as the user wrote it
    form->WriteOptions();
    EXPECT_EQ(TempFolder::ReadFile(app / "Tovira.ini"),
              "[Options]\r\nDoMinimize=1\r\nDoSetHtml=0\r\nSound On=1\r\nHotkey=ctrl + Shift+F9\r\nPasteAnywhere=1\r\n");
}

// A missing key is the default combination; an empty one is no hotkey and
// stays empty; junk is kept as written (the notice names it).
TEST_F(MainWindow, TheHotkeyOptionIsReadAsWrittenAndAMissingKeyIsTheDefault) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    form->ReadOptions();
    EXPECT_EQ(form->Hotkey, "Win+Shift+E");
    for (const char* value : {"", "Ctrl+Junk", "Alt+F4"}) {
        app.WriteFile("Tovira.ini", std::string("[Options]\r\nHotkey=") + value + "\r\n");
        form->ReadOptions();
        EXPECT_EQ(form->Hotkey, value);
        form->WriteOptions();
        char back[64];
        GetPrivateProfileStringA("Options", "Hotkey", "(missing)", back, sizeof back, (app / "Tovira.ini").c_str());
        EXPECT_STREQ(back, value);
    }
}

TEST_F(MainWindow, AFailedWriteRaisesWithTheFullPathAndStopsAtOnce) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    std::string ini = app / "Tovira.ini";
    app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\n");
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY);
    DoMinimizeFlag = true;
    try {
        form->WriteOptions();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + ini);
        EXPECT_EQ(ErrorReportText(e.Message()), "Unable to write to " + ini + ".");
    }
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(TempFolder::ReadFile(ini), "[Options]\r\nDoMinimize=0\r\n");
}

TEST_F(MainWindow, AWriteTheSystemRefusesRaisesToo) {
    TempFolder app;
    form->AppDir = app.Path() + "\\";
    app.MakeFolder("Tovira.ini");  // a folder where the file should be
    try {
        form->WriteOptions();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + (app / "Tovira.ini"));
    }
}
