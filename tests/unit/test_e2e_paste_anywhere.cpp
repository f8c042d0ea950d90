// Picks into programs that are not mail clients, and the Recent tab, from
// outside: the real Tovira.exe shown through its tray icon, real pointer
// clicks (xdotool), a stand-in editor (editor_peer, class ToviraTestEditor)
// that decodes what it is pasted, and stand-in compose windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "EndToEndChecks.h"
#include "PictureAccess.h"
#include "ProgramUnderTest.h"
#include "clip_peer.h"

namespace {

using clip_test::ComposePeer;
using e2e::ViewAccess;
using Lines = std::vector<std::string>;

const Lines kCtrlV = {"down 17", "down 86", "up 86", "up 17"};
const Lines kAltOThenR = {"down 18", "down 79", "up 79", "up 18", "down 82", "up 82"};

std::string TestPicture(const std::string& name) {
    return TempFolder::ReadFile(WinePath(std::string(TEST_DATA_DIR) + "/pictures/" + name));
}

std::string ForwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

// A stand-in editor whose log tells the pixel at (1, 0) of what it is pasted.
class Editor : public ComposePeer {
public:
    Editor() : ComposePeer("ToviraTestEditor", "Editor", "--pixel 1,0 --lifetime 290", "editor_peer.exe") {}
    bool WaitForPasteDone(size_t count) const {
        return WaitFor([&] { return CountLinesStartingWith("paste done") >= count; });
    }
    // The last line that starts with `head` ("" when none).
    std::string Last(const std::string& head) const {
        const Lines lines = LinesStartingWith(head);
        return lines.empty() ? std::string() : lines.back();
    }
};

// A library of one category, "general", with two pictures: red.bmp (20 x 16,
// opaque red), then translucent.png (5 x 3; its pixel (1, 0) is green at
// alpha 128), in the order the tab shows them (bmp before png).
class PasteAnywhere : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc asks the view where its pictures are
        app_.MakeFolder("images");
        app_.MakeFolder("images\\general");
        red_ = app_.WriteFile("images\\general\\red.bmp", TestPicture("red.bmp"));
        translucent_ = app_.WriteFile("images\\general\\translucent.png", TestPicture("translucent.png"));
    }

    // The visible picture view of the main window.
    HWND View() {
        HWND view = nullptr;
        EXPECT_TRUE(WaitFor([&] { return (view = ProgramUnderTest::FindVisibleChild(program_.Main(), "Tovira.TPictureView")); }));
        return view;
    }

    // Clicks picture `index` of the view shown now.
    void Pick(int index) {
        HWND view = View();
        RECT r{};
        ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, index + 1, r); })) << "picture " << index;
        ASSERT_TRUE(ClickAtScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    }

    Lines Tabs() { return program_.TabTexts(ProgramUnderTest::FindChild(program_.Main(), "SysTabControl32")); }

    void ClickTab(int index) {
        HWND tabs = ProgramUnderTest::FindChild(program_.Main(), "SysTabControl32");
        RECT tab = program_.TabRect(tabs, index);
        ASSERT_TRUE(ClickAtScreen(POINT{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2}));
    }

    bool NoticeShown() {
        HWND notice = ProgramUnderTest::FindChild(program_.Main(), "Tovira.TPanel", "No e-mail window opened");
        return notice && IsWindowVisible(notice);
    }

    std::string Ini() const { return TempFolder::ReadFile(app_ / "Tovira.ini"); }

    void CloseProgram() {
        PostMessageA(program_.Main(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(program_.WaitForExit());
    }

    TempFolder app_;
    ProgramUnderTest program_{app_};
    std::string red_, translucent_;
};

TEST_F(PasteAnywhere, ThroughTheTrayWithNoMailClientTheEditorGetsThePictureItself) {
    Editor editor;
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.StartShown());

    ASSERT_NO_FATAL_FAILURE(Pick(1));  // translucent.png
    ASSERT_TRUE(editor.WaitForPasteDone(1));
    const std::string formats = editor.Last("formats");
    EXPECT_NE(formats.find(" PNG"), std::string::npos) << formats;
    EXPECT_NE(formats.find(" CF_DIBV5"), std::string::npos) << formats;
    EXPECT_EQ(formats.find("HTML Format"), std::string::npos) << formats;
    EXPECT_EQ(editor.Last("png"), "png 5 3 8000ff00");
    EXPECT_EQ(editor.Last("dibv5"), "dibv5 5 3 32 3 8000ff00");  // BI_BITFIELDS with the alpha
    // The system's own CF_DIB, made from the CF_DIBV5, has the same pixels.
    EXPECT_EQ(editor.Last("dib ").substr(0, 13), "dib 5 3 32 3 ") << editor.Last("dib ");
    EXPECT_EQ(editor.Last("html"), "html none");
    // Ctrl+V and nothing else: no HTML switch for a program that is no mail client.
    EXPECT_EQ(editor.Keys(), kCtrlV);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program_.Main()); }));

    // An opaque picture: plain 32-bit rows, alpha all 255.
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(Pick(0));  // red.bmp
    ASSERT_TRUE(editor.WaitForPasteDone(2));
    EXPECT_EQ(editor.Last("png"), "png 20 16 ffff0000");
    EXPECT_EQ(editor.Last("dibv5"), "dibv5 20 16 32 0 ffff0000");
    EXPECT_EQ(editor.Keys(), (Lines{kCtrlV[0], kCtrlV[1], kCtrlV[2], kCtrlV[3], kCtrlV[0], kCtrlV[1], kCtrlV[2],
                                    kCtrlV[3]}));
    EXPECT_TRUE(program_.Running());
}

TEST_F(PasteAnywhere, WithTheOptionOffTheNoticeShowsAndTheEditorGetsNothing) {
    app_.WriteFile("Tovira.ini", "[Options]\r\nPasteAnywhere=0\r\n");
    Editor editor;
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.StartShown());

    ASSERT_NO_FATAL_FAILURE(Pick(1));
    EXPECT_TRUE(WaitFor([&] { return NoticeShown(); }));
    EXPECT_TRUE(WaitFor([&] { return !NoticeShown(); }));
    EXPECT_EQ(editor.CountLinesStartingWith("paste done"), 0u);
    EXPECT_TRUE(editor.Keys().empty());
    // The option is written back as it was read.
    ASSERT_NO_FATAL_FAILURE(CloseProgram());
    EXPECT_NE(Ini().find("PasteAnywhere=0"), std::string::npos) << Ini();
}

TEST_F(PasteAnywhere, AnOpenComposeWindowStillTakesTheMailClientPath) {
    Editor editor;
    ComposePeer mozilla("MozillaWindowClass", "Write", "--lifetime 290");
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.StartShown());
    const std::string element = "<IMG src=\"file:///" + ForwardSlashes(translucent_) + "\">";

    // Only a kind 3 window: the headed payload, no switch keys.
    ASSERT_NO_FATAL_FAILURE(Pick(1));
    ASSERT_TRUE(mozilla.WaitForPastes(1));
    // The header's offsets follow the payload: the header is 97 bytes, the
    // fragment starts 35 bytes after it, the closing lines add 21 and 18.
    char header[160];
    std::snprintf(header, sizeof header,
                  "Version:0.9\r\nStartHTML:00000097\r\nEndHTML:%08u\r\nStartFragment:00000132\r\n"
                  "EndFragment:%08u\r\n<html> <body>",
                  static_cast<unsigned>(171 + element.size()), static_cast<unsigned>(153 + element.size()));
    EXPECT_EQ(mozilla.Pastes().back(), std::string(header) + "\r\n<!--StartFragment-->\r\n" + element +
                                           "\r\n</body> </html>\r\n<!--EndFragment-->" + '\0');
    EXPECT_EQ(mozilla.Keys(), kCtrlV);

    // With an "ATH_Note" window as well: that one, headless, after Alt+O, R.
    ComposePeer note("ATH_Note", "Compose", "--lifetime 290");
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(Pick(1));
    ASSERT_TRUE(note.WaitForPastes(1));
    EXPECT_EQ(note.Pastes().back(), "<!--StartFragment-->" + element + "<!--EndFragment-->" + '\0');
    Lines expected = kAltOThenR;
    expected.insert(expected.end(), kCtrlV.begin(), kCtrlV.end());
    EXPECT_EQ(note.Keys(), expected);
    EXPECT_EQ(editor.CountLinesStartingWith("paste done"), 0u);
}

TEST_F(PasteAnywhere, RecentPicksComeFirstOnTheirTabAndAreKeptAcrossARestart) {
    // A picture picked in an earlier session from somewhere else.
    const std::string gone = app_.WriteFile("gone.gif", TestPicture("square.gif"));
    // Stored: junk, a file that is no picture, a missing file, then a real one.
    app_.WriteFile("notes.txt", "not a picture");
    app_.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\n[Recent]\r\n1=smile.gif\r\n2=" + (app_ / "notes.txt") +
                                     "\r\n3=" + (app_ / "images\\general\\missing.gif") + "\r\n4=" + gone +
                                     "\r\n7=" + red_ + "\r\n");
    ASSERT_TRUE(program_.StartShown());
    EXPECT_EQ(Tabs(), (Lines{"   general   ", "   Recent   "}));

    // Picks from the category tab: the last one first, each once.
    Editor editor;
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(Pick(1));  // translucent.png
    ASSERT_TRUE(editor.WaitForPasteDone(1));
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(Pick(0));  // red.bmp again: to the front
    ASSERT_TRUE(editor.WaitForPasteDone(2));

    // A picture deleted meanwhile is gone when the tab is shown.
    ASSERT_TRUE(DeleteFileA(gone.c_str()));
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(ClickTab(1));
    HWND recentView = nullptr;
    long count = -1;
    ASSERT_TRUE(WaitFor([&] {
        recentView = ProgramUnderTest::FindVisibleChild(program_.Main(), "Tovira.TPictureView");
        ViewAccess pictures(recentView);
        count = pictures.Valid() ? pictures.Count() : -1;
        return count == 2;
    })) << "pictures on the tab shown: " << count << " " << [&] {
        char caption[64] = "";
        GetWindowTextA(recentView, caption, sizeof caption);
        ViewAccess pictures(recentView);
        std::string names = caption;
        for (long i = 1; i <= pictures.Count(); ++i) names += "|" + pictures.Name(i);
        return names;
    }();
    ViewAccess pictures(recentView);
    EXPECT_EQ(pictures.Name(1), "red.bmp");
    EXPECT_EQ(pictures.Name(2), "translucent.png");

    // A pick from the Recent tab itself moves that picture to the front.
    ASSERT_TRUE(editor.BringToFront());
    ASSERT_TRUE(program_.Reveal());
    ASSERT_NO_FATAL_FAILURE(Pick(1));  // translucent.png
    ASSERT_TRUE(editor.WaitForPasteDone(3));
    ASSERT_TRUE(WaitFor([&] {
        ViewAccess now(ProgramUnderTest::FindVisibleChild(program_.Main(), "Tovira.TPictureView"));
        return now.Valid() && now.Count() == 2 && now.Name(1) == "translucent.png";
    }));

    ASSERT_NO_FATAL_FAILURE(CloseProgram());
    const std::string ini = Ini();
    EXPECT_NE(ini.find("[Recent]\r\n1=" + translucent_ + "\r\n2=" + red_ + "\r\n"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("3="), std::string::npos) << ini;
    EXPECT_EQ(ini.find("notes.txt"), std::string::npos) << ini;

    // Kept across a restart.
    ProgramUnderTest again(app_);
    ASSERT_TRUE(again.StartShown());
    EXPECT_EQ(again.TabTexts(ProgramUnderTest::FindChild(again.Main(), "SysTabControl32")),
              (Lines{"   general   ", "   Recent   "}));
    PostMessageA(again.Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(again.WaitForExit());
}

TEST_F(PasteAnywhere, WithNothingPickedYetThereIsNoRecentTab) {
    ASSERT_TRUE(program_.StartShown());
    EXPECT_EQ(Tabs(), Lines{"   general   "});
    ASSERT_NO_FATAL_FAILURE(CloseProgram());
    EXPECT_EQ(Ini().find("[Recent]"), std::string::npos) << Ini();
}

}  // namespace
