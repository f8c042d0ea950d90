// The rescue dialog built from its stored layout on real windows: shape,
// frame, title bar, moving with the real pointer, and what Apply and the
// close glyph do to the registry of the test prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "KeySecurity.h"
#include "StdCtrls.h"
#include "TestApplication.h"
#include "UnixCommand.h"
#include "Wait.h"
#include "WindowCapture.h"
#include "fjnButton.h"
#include "setreg.h"

namespace {

constexpr char kMain[] = "Software\\Microsoft\\Internet Explorer\\Main";
constexpr char kPanelPolicy[] = "Software\\Policies\\Microsoft\\Internet Explorer\\Control Panel";
constexpr char kSystemPolicy[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";
constexpr COLORREF kBackground = RGB(231, 223, 231);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// The four values the dialog repairs, saved before a test and put back after it.
class RepairedValues {
public:
    RepairedValues() {
        for (auto& v : values_) v.saved = Load(v.key, v.name, v.type, v.data);
    }
    ~RepairedValues() {
        for (auto& v : values_) {
            if (v.saved) Store(v.key, v.name, v.type, v.data);
            else Remove(v.key, v.name);
        }
    }
    // Sentinels that every repair would change.
    void Plant() {
        Store(kMain, "Start Page", REG_SZ, {'h', 't', 't', 'p', ':', '/', '/', 'x', 0});
        Store(kPanelPolicy, "HomePage", REG_DWORD, {1, 0, 0, 0});
        Store(kMain, "Window Title", REG_SZ, {'H', 'i', 'j', 'a', 'c', 'k', 'e', 'd', 0});
        Store(kSystemPolicy, "DisableRegistryTools", REG_DWORD, {1, 0, 0, 0});
    }
    static bool Load(const char* key, const char* name, DWORD& type, std::vector<BYTE>& data) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
        DWORD size = 0;
        bool found = RegQueryValueExA(k, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
        if (found) {
            data.resize(size);
            RegQueryValueExA(k, name, nullptr, &type, data.data(), &size);
        }
        RegCloseKey(k);
        return found;
    }
    static void Store(const char* key, const char* name, DWORD type, const std::vector<BYTE>& data) {
        HKEY k = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegSetValueExA(k, name, 0, type, data.data(), static_cast<DWORD>(data.size()));
        RegCloseKey(k);
    }
    static void Remove(const char* key, const char* name) {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
        RegDeleteValueA(k, name);
        RegCloseKey(k);
    }
    static std::pair<DWORD, std::vector<BYTE>> Now(const char* key, const char* name) {
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        if (!Load(key, name, type, data)) return {REG_NONE, {}};
        return {type, data};
    }

private:
    struct Value {
        const char* key = nullptr;
        const char* name = nullptr;
        DWORD type = 0;
        std::vector<BYTE> data;
        bool saved = false;
    };
    Value values_[4] = {Value{kMain, "Start Page", 0, {}, false}, Value{kPanelPolicy, "HomePage", 0, {}, false},
                        Value{kMain, "Window Title", 0, {}, false},
                        Value{kSystemPolicy, "DisableRegistryTools", 0, {}, false}};
};

class RescueDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        dialog = new TfrmPro(nullptr);
        dialog->AfterConstruction();
    }
    static void TearDownTestSuite() {
        delete dialog;
        dialog = nullptr;
    }
    void SetUp() override {
        for (TCheckBox* box : {dialog->CheckBox1, dialog->CheckBox2, dialog->CheckBox3, dialog->CheckBox5})
            box->SetChecked(false);
        dialog->Show();
        ASSERT_TRUE(WaitFor([] { return IsWindowVisible(dialog->Handle()) != FALSE; }));
        UpdateWindow(dialog->Handle());
    }
    // A left click on the flat button "Apply", as the window gets it.
    static void ClickApply() {
        HWND wnd = dialog->Handle();
        SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(340, 205));
        SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(340, 205));
    }
    static TfrmPro* dialog;
    RepairedValues saved;
};
TfrmPro* RescueDialogTest::dialog = nullptr;

TEST_F(RescueDialogTest, WindowAndChildrenFromTheLayout) {
    HWND wnd = dialog->Handle();
    RECT r;
    GetWindowRect(wnd, &r);
    EXPECT_EQ(r.right - r.left, 424);
    EXPECT_EQ(r.bottom - r.top, 242);
    EXPECT_EQ(GetWindowLongA(wnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME | WS_POPUP), static_cast<LONG>(WS_POPUP));
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    char caption[64];
    GetWindowTextA(wnd, caption, sizeof caption);
    EXPECT_STREQ(caption, "Tovira Pro");
    // Centred on the screen, whatever the design position.
    RECT area;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    EXPECT_EQ(r.left, area.left + (area.right - area.left - 424) / 2);
    EXPECT_EQ(r.top, area.top + (area.bottom - area.top - 242) / 2);

    auto bounds = [](TControl* c) {
        RECT b = c->BoundsRect();
        return std::vector<LONG>{b.left, b.top, b.right - b.left, b.bottom - b.top};
    };
    using V = std::vector<LONG>;
    EXPECT_EQ(bounds(dialog->Panel6), (V{0, 0, 424, 29}));
    EXPECT_EQ(bounds(dialog->Image1), (V{0, 0, 31, 29}));
    EXPECT_EQ(bounds(dialog->Image4), (V{31, 0, 302, 29}));
    EXPECT_EQ(bounds(dialog->Image3), (V{333, 0, 91, 29}));
    EXPECT_EQ(bounds(dialog->Image9), (V{401, 7, 16, 16}));
    EXPECT_EQ(bounds(dialog->Button1), (V{336, 199, 65, 24}));
    EXPECT_EQ(bounds(dialog->Label1), (V{24, 192, 265, 25}));
    EXPECT_EQ(bounds(dialog->GroupBox1), (V{16, 40, 393, 129}));
    EXPECT_EQ(dialog->Image9->Picture().Width(), 17) << "the JPEG glyph is shrunk when drawn";
    EXPECT_EQ(dialog->Image4->Picture().Width(), 28);
    EXPECT_EQ(dialog->Button1->Caption(), "Apply");
    EXPECT_EQ(dialog->Button1->Color(), static_cast<TColor>(15196135));
    EXPECT_EQ(dialog->Label1->Caption(),
              "\xBB\xD6\xB8\xB4\xB1\xBB\xB6\xF1\xD2\xE2\xCD\xF8\xD5\xBE\xD0\xDE\xB8\xC4\xB5\xC4IE\xC9\xE8\xD6\xC3.")
        << "the sentence keeps its GBK bytes";
    EXPECT_EQ(dialog->Label1->TextCodePage(), 936u);
    EXPECT_EQ(dialog->CheckBox5->Caption(), "Unlock registry");
    EXPECT_EQ(dialog->GroupBox1->Caption(), "Options");
}

TEST_F(RescueDialogTest, RegionFrameAndTitleBarPixels) {
    HWND wnd = dialog->Handle();
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(wnd, region), ERROR);
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_FALSE(PtInRegion(region, 423, 0));
    EXPECT_FALSE(PtInRegion(region, 1, 1));
    EXPECT_TRUE(PtInRegion(region, 212, 0));
    for (int x : {0, 100, 423}) EXPECT_TRUE(PtInRegion(region, x, 10)) << x;
    EXPECT_TRUE(PtInRegion(region, 0, 241));
    EXPECT_TRUE(PtInRegion(region, 423, 241));
    EXPECT_FALSE(PtInRegion(region, 424, 100));
    DeleteObject(region);

    Capture shot(wnd);
    // The blue frame of width 4 around (1,0)-(424,242): what the children leave uncovered.
    // The outline runs along x = 1, x = 423 and y = 241, two pixels to each side.
    for (int x : {0, 1, 2, 421, 422, 423}) EXPECT_EQ(shot.At(x, 120), kBlue) << x;
    for (int y : {239, 240, 241}) EXPECT_EQ(shot.At(200, y), kBlue) << y;
    EXPECT_EQ(shot.At(3, 120), kBackground);
    EXPECT_EQ(shot.At(420, 180), kBackground);
    EXPECT_EQ(shot.At(200, 238), kBackground);
    // The title bar: the stretched middle picture and the close glyph's cross.
    EXPECT_EQ(shot.At(200, 28), dialog->Image4->Picture().Pixel(10, 28));
    EXPECT_EQ(shot.At(380, 20), dialog->Image3->Picture().Pixel(47, 20));
    RECT glyph{401, 7, 417, 23};
    int red = 0;
    for (int y = glyph.top; y < glyph.bottom; ++y)
        for (int x = glyph.left; x < glyph.right; ++x) {
            COLORREF c = shot.At(x, y);
            red += GetRValue(c) > 160 && GetGValue(c) < 90 && GetBValue(c) < 90;
        }
    EXPECT_GT(red, 12) << "a red cross";
    EXPECT_EQ(shot.Count(RGB(255, 0, 255)), 0) << "the see-through corner colour never shows";
    // The flat button: white top-left, black bottom-right, face in the dialog's colour.
    EXPECT_EQ(shot.At(336, 199), RGB(255, 255, 255));
    EXPECT_EQ(shot.At(400, 222), RGB(0, 0, 0));
    EXPECT_EQ(shot.At(339, 202), kBackground);
}

TEST_F(RescueDialogTest, TheSentenceIsDrawnFromCodePage936) {
    // The label's pixels match the Unicode sentence.
    const RECT r = dialog->Label1->BoundsRect();
    TBitmap reference;
    reference.SetSize(r.right - r.left, r.bottom - r.top, kBackground);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ oldBitmap = SelectObject(dc, reference.Handle());
    // The label's font in the Chinese character set, so that a face with the glyphs is used.
    LOGFONTA lf{};
    GetObjectA(dialog->Label1->Font().Handle(), sizeof lf, &lf);
    lf.lfCharSet = GB2312_CHARSET;
    HFONT chinese = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, chinese);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT text{0, 0, r.right - r.left, r.bottom - r.top};
    const wchar_t sentence[] = L"\u6062\u590D\u88AB\u6076\u610F\u7F51\u7AD9\u4FEE\u6539\u7684IE\u8BBE\u7F6E.";
    DrawTextW(dc, sentence, -1, &text, DT_EXPANDTABS);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    DeleteObject(chinese);

    Capture shot(dialog->Handle());
    int inked = 0, differing = 0;
    for (int y = 0; y < reference.Height(); ++y)
        for (int x = 0; x < reference.Width(); ++x) {
            inked += reference.Pixel(x, y) != kBackground;
            differing += reference.Pixel(x, y) != shot.At(r.left + x, r.top + y);
        }
    EXPECT_GT(inked, 100);
    EXPECT_EQ(differing, 0);
}

class RescueDialogMoveTest : public RescueDialogTest {
protected:
    // Presses the left button at a client point of the dialog, drags by
    // (dx, dy) and releases, with the real pointer.
    static bool Drag(POINT client, int dx, int dy) {
        POINT at = client;
        ClientToScreen(dialog->Handle(), &at);
        auto xy = [](int x, int y) { return std::to_string(x) + " " + std::to_string(y); };
        return RunUnixCommand("xdotool mousemove " + xy(at.x, at.y) + " mousedown 1 mousemove " +
                              xy(at.x + dx / 2, at.y + dy / 2) + " mousemove " + xy(at.x + dx, at.y + dy) +
                              " mouseup 1");
    }
    static POINT Position() {
        RECT r;
        GetWindowRect(dialog->Handle(), &r);
        return POINT{r.left, r.top};
    }
    static bool WaitForPosition(POINT p) {
        return WaitFor([&] {
            POINT now = Position();
            return now.x == p.x && now.y == p.y;
        }, 10000);
    }
};

TEST_F(RescueDialogMoveTest, TheTitleBarMovesTheWindowExceptAtItsLeftEnd) {
    EXPECT_FALSE(dialog->Image1->OnMouseDown);
    const POINT start = Position();
    // Left end first: no move. The drags that follow would land elsewhere if it had moved.
    ASSERT_TRUE(Drag(POINT{3, 25}, 40, 30));
    ASSERT_TRUE(Drag(POINT{150, 14}, 25, 15));  // Image4
    EXPECT_TRUE(WaitForPosition(POINT{start.x + 25, start.y + 15}));
    ASSERT_TRUE(Drag(POINT{350, 14}, -30, -10));  // Image3
    EXPECT_TRUE(WaitForPosition(POINT{start.x - 5, start.y + 5}));
    ASSERT_TRUE(Drag(POINT{30, 12}, 10, 20));  // Label4, over Image1
    EXPECT_TRUE(WaitForPosition(POINT{start.x + 5, start.y + 25}));
    dialog->SetBounds(start.x, start.y, dialog->Width(), dialog->Height());
}

TEST_F(RescueDialogTest, TheCrossClosesWithoutTouchingTheRegistry) {
    saved.Plant();
    auto before = RepairedValues::Now(kMain, "Start Page");
    HWND bar = dialog->Panel6->Handle();
    SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(408, 14));
    SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(408, 14));
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(RepairedValues::Now(kMain, "Start Page"), before);
    EXPECT_EQ(RepairedValues::Now(kSystemPolicy, "DisableRegistryTools").second, (std::vector<BYTE>{1, 0, 0, 0}));
}

TEST_F(RescueDialogTest, ApplyWithNothingTickedTouchesNothing) {
    saved.Plant();
    auto main = RepairedValues::Now(kMain, "Start Page"), title = RepairedValues::Now(kMain, "Window Title");
    auto home = RepairedValues::Now(kPanelPolicy, "HomePage");
    auto tools = RepairedValues::Now(kSystemPolicy, "DisableRegistryTools");
    ClickApply();
    EXPECT_FALSE(dialog->Visible());
    EXPECT_EQ(RepairedValues::Now(kMain, "Start Page"), main);
    EXPECT_EQ(RepairedValues::Now(kMain, "Window Title"), title);
    EXPECT_EQ(RepairedValues::Now(kPanelPolicy, "HomePage"), home);
    EXPECT_EQ(RepairedValues::Now(kSystemPolicy, "DisableRegistryTools"), tools);
}

TEST_F(RescueDialogTest, ApplyWithAllFourWritesTheFourResults) {
    saved.Plant();
    for (TCheckBox* box : {dialog->CheckBox1, dialog->CheckBox2, dialog->CheckBox3, dialog->CheckBox5})
        box->SetChecked(true);
    ClickApply();
    EXPECT_FALSE(dialog->Visible());
    auto start = RepairedValues::Now(kMain, "Start Page");
    EXPECT_EQ(start.first, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(start.second.begin(), start.second.end()), std::string("about:blank", 12));
    EXPECT_EQ(RepairedValues::Now(kPanelPolicy, "HomePage").first, static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(RepairedValues::Now(kMain, "Window Title").first, static_cast<DWORD>(REG_NONE));
    auto tools = RepairedValues::Now(kSystemPolicy, "DisableRegistryTools");
    EXPECT_EQ(tools.first, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(tools.second, (std::vector<BYTE>{0, 0, 0, 0}));
}

TEST_F(RescueDialogTest, ARefusedWriteLeavesApplyWithTheDialogOpen) {
    saved.Plant();
    dialog->CheckBox1->SetChecked(true);
    dialog->CheckBox3->SetChecked(true);
    std::string message;
    {
        // A write that the registry refuses: the first step's key made read-only.
        ReadOnlyKey locked(HKEY_CURRENT_USER, kMain);
        ASSERT_TRUE(locked.Ok());
        try {
            dialog->Button1Click(dialog->Button1);
        } catch (const Exception& e) {
            message = e.Message();
        }
    }
    EXPECT_EQ(message, "Failed to set data for 'Start Page'");
    EXPECT_TRUE(dialog->Visible()) << "the dialog stays open";
    EXPECT_EQ(RepairedValues::Now(kMain, "Window Title").first, static_cast<DWORD>(REG_SZ))
        << "the steps after the failure were skipped";
}

TEST_F(RescueDialogTest, OnlyTheCheckBoxesTakeTheFocus) {
    EXPECT_FALSE(dialog->Panel6->TabStop);
    EXPECT_FALSE(dialog->GroupBox1->TabStop);
    HWND boxes[] = {dialog->CheckBox1->Handle(), dialog->CheckBox2->Handle(), dialog->CheckBox3->Handle(),
                    dialog->CheckBox5->Handle()};
    dialog->CheckBox1->SetFocus();
    for (int i = 1; i <= 4; ++i) {
        MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        EXPECT_TRUE(dialog->DialogKey(tab));
        EXPECT_EQ(GetFocus(), boxes[i % 4]) << i;
    }
}

}  // namespace
