// The native picture view on a real window: decoding through the platform's
// codecs, what it draws where, broken files, laziness, picks, the pointer,
// scrolling and the shared pixel budget.
#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "ComApartment.h"
#include "Forms.h"
#include "Picture.h"
#include "PictureDecoder.h"
#include "PictureFlow.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "Wait.h"

namespace {

std::string DataPicture(const std::string& name) {
    std::string p = std::string("Z:") + TEST_DATA_DIR + "/pictures/" + name;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

std::string Truncated(const std::string& name, size_t bytes) {
    return TempFolder::ReadFile(DataPicture(name)).substr(0, bytes);
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 128, 0);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kPlaceholderFrame = RGB(160, 160, 160);

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

COLORREF PixelOf(const PixelBuffer& b, int x, int y) {
    const std::uint32_t v = b.pixels[static_cast<size_t>(y * b.width + x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

// What a window shows now, read back from its own device context.
class Capture {
public:
    explicit Capture(HWND wnd) {
        RECT r;
        GetClientRect(wnd, &r);
        picture_.SetSize(r.right, r.bottom, RGB(1, 2, 3));
        HDC source = GetDC(wnd);
        HDC target = CreateCompatibleDC(source);
        HGDIOBJ old = SelectObject(target, picture_.Handle());
        BitBlt(target, 0, 0, r.right, r.bottom, source, 0, 0, SRCCOPY);
        SelectObject(target, old);
        DeleteDC(target);
        ReleaseDC(wnd, source);
    }
    COLORREF At(int x, int y) const { return picture_.Pixel(x, y); }
    // The pixel at (x, y) inside a box.
    COLORREF In(const RECT& box, int x, int y) const { return At(box.left + x, box.top + y); }

private:
    TBitmap picture_;
};

// With TOVIRA_SHOT_DIR set, keeps a PNG of the window there (for looking at).
void KeepScreenshot(HWND wnd, const char* name) {
    const char* dir = std::getenv("TOVIRA_SHOT_DIR");
    if (!dir) return;
    RECT r;
    GetWindowRect(wnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    IWICImagingFactory* factory = nullptr;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                     reinterpret_cast<void**>(&factory));
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    std::string path = std::string(dir) + "\\" + name;
    std::wstring wide(path.begin(), path.end());
    if (factory && SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(wide.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
        frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h));
        frame->SetPixelFormat(&format);
        frame->WritePixels(static_cast<UINT>(h), static_cast<UINT>(w) * 4, static_cast<UINT>(w * h * 4),
                           static_cast<BYTE*>(bits));
        frame->Commit();
        encoder->Commit();
    }
    if (frame) frame->Release();
    if (encoder) encoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// ================================================================ decoder

TEST(PictureDecoder, ReadsEachFormatAtItsSizeAndPutsTransparencyOnWhite) {
    PictureDecoder decoder;
    PictureFile file;
    PixelBuffer pixels;

    ASSERT_TRUE(decoder.Open(DataPicture("red.bmp"), file));
    EXPECT_EQ(20, file.Width());
    EXPECT_EQ(16, file.Height());
    ASSERT_TRUE(file.Decode(pixels));
    EXPECT_EQ(kRed, PixelOf(pixels, 0, 0));
    EXPECT_EQ(kRed, PixelOf(pixels, 19, 15));

    ASSERT_TRUE(decoder.Open(DataPicture("blue.jpg"), file));
    EXPECT_EQ(24, file.Width());
    EXPECT_EQ(18, file.Height());
    ASSERT_TRUE(file.Decode(pixels));
    EXPECT_TRUE(Near(RGB(0, 0, 255), PixelOf(pixels, 12, 9), 8));

    // Alpha: opaque black, see-through, and black at alpha 128 over white.
    ASSERT_TRUE(decoder.Open(DataPicture("alpha.png"), file));
    ASSERT_TRUE(file.Decode(pixels));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(pixels, 2, 2));
    EXPECT_EQ(kWhite, PixelOf(pixels, 12, 2));
    EXPECT_EQ(RGB(127, 127, 127), PixelOf(pixels, 12, 12));

    // A transparent GIF colour shows the white page.
    ASSERT_TRUE(decoder.Open(DataPicture("square.gif"), file));
    EXPECT_EQ(12, file.Width());
    EXPECT_EQ(10, file.Height());
    ASSERT_TRUE(file.Decode(pixels));
    EXPECT_EQ(kWhite, PixelOf(pixels, 0, 0));
    EXPECT_EQ(kGreen, PixelOf(pixels, 5, 4));

    // An animated GIF: its logical screen, with the first frame placed on it.
    ASSERT_TRUE(decoder.Open(DataPicture("anim.gif"), file));
    EXPECT_EQ(20, file.Width());
    EXPECT_EQ(20, file.Height());
    ASSERT_TRUE(file.Decode(pixels));
    EXPECT_EQ(kWhite, PixelOf(pixels, 2, 2));
    EXPECT_EQ(kMagenta, PixelOf(pixels, 5, 5));
    EXPECT_EQ(kMagenta, PixelOf(pixels, 14, 14));
    EXPECT_EQ(kWhite, PixelOf(pixels, 15, 15));
}

TEST(PictureDecoder, RefusesWhatItCannotReadAndCountsEveryOpen) {
    TempFolder folder;
    PictureDecoder decoder;
    PictureFile file;
    // PNG bytes under a GIF name: the codecs go by content.
    CopyFileA(DataPicture("alpha.png").c_str(), (folder / "png.gif").c_str(), FALSE);
    EXPECT_TRUE(decoder.Open(folder / "png.gif", file));
    EXPECT_EQ(16, file.Width());

    const long before = PictureDecoder::OpenCount();
    const std::string bad[] = {
        folder.WriteFile("empty.gif", ""),
        folder.WriteFile("garbage.png", std::string(300, '\x5A')),
        folder.WriteFile("header-only.png", Truncated("alpha.png", 20)),
        folder.MakeFolder("folder.gif"),
        folder / "missing.jpg",
    };
    for (const std::string& path : bad) {
        EXPECT_FALSE(decoder.Open(path, file)) << path;
        EXPECT_FALSE(file.IsOpen());
        PixelBuffer pixels;
        EXPECT_FALSE(file.Decode(pixels));
    }
    EXPECT_EQ(before + 5, PictureDecoder::OpenCount());

    // Held by another program without sharing: refused, and fine once let go.
    const std::string held = folder / "held.png";
    CopyFileA(DataPicture("alpha.png").c_str(), held.c_str(), FALSE);
    HANDLE lock = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, lock);
    EXPECT_FALSE(decoder.Open(held, file));
    CloseHandle(lock);
    EXPECT_TRUE(decoder.Open(held, file));

    // Cut inside the pixel data: the header may read, the pixels must not.
    const std::string cut = folder.WriteFile("cut.bmp", Truncated("red.bmp", 200));
    PixelBuffer pixels;
    EXPECT_FALSE(decoder.Open(cut, file) && file.Decode(pixels));
}

// ================================================================== view

class PictureViewTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TestApplication();
        form_ = new TForm(nullptr);
        form_->SetBounds(40, 40, 340, 260);
        form_->SetCaption("Picture view");
        form_->Show();
    }
    static void TearDownTestSuite() {
        delete form_;
        form_ = nullptr;
    }
    void SetUp() override {
        view = new TPictureView(form_);
        view->SetBounds(5, 5, 300, 200);
        view->OnPictureClick = TEvent<TObject*, int>::Bind<PictureViewTest, &PictureViewTest::Picked>(this);
    }
    void TearDown() override {
        delete view;
        PixelCache::Shared().SetBudget(PixelCache::kDefaultBudget);
    }

    void Picked(TObject* sender, int index) {
        EXPECT_EQ(sender, view);
        picks.push_back(index);
    }
    // Shown and done: every picture measured and every visible one decoded.
    static bool Settle(TPictureView* v) {
        return WaitFor([&] { return v->MeasuredCount() == v->Count() && !v->Busy(); });
    }
    void Show(const std::vector<std::string>& files) {
        view->SetFiles(files);
        view->SetParent(form_);
        ASSERT_TRUE(Settle(view));
        view->Repaint();
    }
    POINT CenterOf(int index) const {
        RECT r = view->PictureRect(index);
        return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Send(UINT msg, POINT p, WPARAM keys = 0) {
        SendMessageA(view->Handle(), msg, keys, MAKELPARAM(p.x, p.y));
    }
    void Click(POINT down, POINT up) {
        Send(WM_LBUTTONDOWN, down, MK_LBUTTON);
        Send(WM_LBUTTONUP, up);
    }
    std::string ToolTipText() {
        char text[256] = {};
        TOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = view->Handle();
        tool.uId = 1;
        tool.lpszText = text;
        SendMessageA(view->ToolTipHandle(), TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        return text;
    }
    std::vector<std::string> Reds(int count) { return std::vector<std::string>(count, DataPicture("red.bmp")); }

    static TForm* form_;
    TPictureView* view = nullptr;
    std::vector<int> picks;
};
TForm* PictureViewTest::form_ = nullptr;

TEST_F(PictureViewTest, OpensNoFileBeforeItsFirstPaint) {
    const long before = PictureDecoder::OpenCount();
    view->SetVisible(false);
    view->SetFiles({DataPicture("red.bmp"), DataPicture("square.gif"), DataPicture("alpha.png")});
    view->SetParent(form_);
    ASSERT_TRUE(view->HandleAllocated());
    Application->ProcessMessages();
    EXPECT_EQ(before, PictureDecoder::OpenCount());
    EXPECT_EQ(0, view->MeasuredCount());
    EXPECT_FALSE(view->IsDecoded(0));

    view->Show();
    ASSERT_TRUE(Settle(view));
    // Each picture opened once: measured and decoded from the same open.
    EXPECT_EQ(before + 3, PictureDecoder::OpenCount());
    EXPECT_TRUE(view->IsDecoded(2));
}

TEST_F(PictureViewTest, DrawsEachPictureInItsFlowBoxAndAPlaceholderForBrokenFiles) {
    TempFolder folder;
    Show({DataPicture("red.bmp"), DataPicture("square.gif"), DataPicture("alpha.png"),
          folder.WriteFile("empty.gif", ""), DataPicture("blue.jpg"), DataPicture("anim.gif"),
          folder.MakeFolder("folder.gif"), folder.WriteFile("cut.png", Truncated("alpha.png", 60))});
    EXPECT_FALSE(GetWindowLongA(view->Handle(), GWL_STYLE) & WS_VSCROLL);

    const flow::Layout want = flow::LayOut({{20, 16}, {12, 10}, {16, 16}, {24, 24}, {24, 18}, {20, 20}, {24, 24}},
                                           view->ClientWidth());
    for (int i = 0; i < 7; ++i) {
        RECT got = view->PictureRect(i);
        EXPECT_EQ(want.Box(i).left, got.left) << i;
        EXPECT_EQ(want.Box(i).top, got.top) << i;
        EXPECT_EQ(want.Box(i).right, got.right) << i;
        EXPECT_EQ(want.Box(i).bottom, got.bottom) << i;
    }
    EXPECT_TRUE(view->IsBroken(3));
    EXPECT_TRUE(view->IsBroken(6));
    EXPECT_TRUE(view->IsBroken(7));
    for (int i : {0, 1, 2, 4, 5}) EXPECT_TRUE(view->IsDecoded(i)) << i;

    Capture shot(view->Handle());
    EXPECT_EQ(kWhite, shot.At(3, 3));
    EXPECT_EQ(kRed, shot.In(view->PictureRect(0), 10, 8));
    EXPECT_EQ(kWhite, shot.In(view->PictureRect(1), 0, 0));
    EXPECT_EQ(kGreen, shot.In(view->PictureRect(1), 5, 4));
    EXPECT_EQ(RGB(0, 0, 0), shot.In(view->PictureRect(2), 2, 2));
    EXPECT_EQ(kWhite, shot.In(view->PictureRect(2), 12, 2));
    EXPECT_EQ(RGB(127, 127, 127), shot.In(view->PictureRect(2), 12, 12));
    EXPECT_TRUE(Near(RGB(0, 0, 255), shot.In(view->PictureRect(4), 12, 9), 8));
    EXPECT_EQ(kWhite, shot.In(view->PictureRect(5), 2, 2));
    EXPECT_EQ(kMagenta, shot.In(view->PictureRect(5), 10, 10));
    // The placeholder: a grey frame, a red cross, white inside.
    const RECT broken = view->PictureRect(3);
    EXPECT_EQ(kPlaceholderFrame, shot.In(broken, 0, 12));
    EXPECT_EQ(kPlaceholderFrame, shot.In(broken, 23, 12));
    EXPECT_EQ(RGB(210, 0, 0), shot.In(broken, 7, 7));
    EXPECT_EQ(kWhite, shot.In(broken, 3, 20));
}

TEST_F(PictureViewTest, ShowsPicturesOfEveryCategoryOfTheDefaultLibrary) {
    TempFolder folder;
    std::vector<std::string> files;
    const std::string library = std::string("Z:") + TEST_DATA_DIR + "/../../data/images/";
    // The first two pictures of every category folder.
    WIN32_FIND_DATAA category;
    HANDLE categories = FindFirstFileA((library + "*").c_str(), &category);
    ASSERT_NE(INVALID_HANDLE_VALUE, categories);
    do {
        if (category.cFileName[0] == '.' || !(category.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        WIN32_FIND_DATAA found;
        std::string dir = library + category.cFileName + "/";
        for (char& c : dir)
            if (c == '/') c = '\\';
        HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &found);
        ASSERT_NE(INVALID_HANDLE_VALUE, find);
        int taken = 0;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && taken++ < 2) files.push_back(dir + found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    } while (FindNextFileA(categories, &category));
    FindClose(categories);
    ASSERT_GE(files.size(), 16u);
    const size_t libraryCount = files.size();
    files.insert(files.begin() + 5, folder.WriteFile("broken.gif", "GIF89a"));
    for (const char* name : {"red.bmp", "square.gif", "alpha.png", "blue.jpg", "anim.gif"}) files.push_back(DataPicture(name));
    Show(files);
    Capture shot(view->Handle());
    for (int i = 0; i < view->Count(); ++i) {
        if (i == 5) continue;
        EXPECT_FALSE(view->IsBroken(i)) << view->File(i);
        EXPECT_TRUE(view->IsDecoded(i)) << view->File(i);
    }
    for (size_t i = 0; i <= libraryCount; ++i) {
        if (i == 5) continue;
        const RECT box = view->PictureRect(static_cast<int>(i));
        const int y = (box.top + box.bottom) / 2;
        bool inked = false;  // every picture has something across its middle
        for (int x = box.left; x < box.right && !inked; ++x) inked = shot.At(x, y) != kWhite;
        EXPECT_TRUE(inked) << view->File(static_cast<int>(i));
    }
    EXPECT_TRUE(view->IsBroken(5));
    // The real pointer on a face: its frame reaches the screen.
    POINT p = view->ClientToScreen(CenterOf(2));
    SetCursorPos(p.x, p.y);
    ASSERT_TRUE(WaitFor([&] { return view->HotIndex() == 2; }));
    RECT frame = view->PictureRect(2);
    InflateRect(&frame, 1, 1);
    const POINT edge = view->ClientToScreen(POINT{frame.left, frame.top + 5});
    EXPECT_TRUE(WaitFor([&] {
        HDC screen = GetDC(nullptr);
        const COLORREF c = GetPixel(screen, edge.x, edge.y);
        ReleaseDC(nullptr, screen);
        return c == GetSysColor(COLOR_HIGHLIGHT);
    }));
    KeepScreenshot(form_->Handle(), "picture-view.png");
    SetCursorPos(0, 0);
}

TEST_F(PictureViewTest, APressAndReleaseOnTheSamePicturePicksItAndNothingElseDoes) {
    TempFolder folder;
    Show({DataPicture("red.bmp"), folder.WriteFile("empty.gif", ""), DataPicture("alpha.png")});
    SetFocus(form_->Handle());

    Click(CenterOf(2), CenterOf(2));
    EXPECT_EQ(std::vector<int>{2}, picks);
    EXPECT_EQ(view->Handle(), GetFocus());  // the press takes the focus, for the wheel
    EXPECT_NE(view->Handle(), GetCapture());

    picks.clear();
    Click(CenterOf(0), CenterOf(2));                    // pressed on one, released on another
    Click(CenterOf(1), CenterOf(1));                    // broken
    Click(POINT{2, 2}, POINT{2, 2});                    // the margin
    Click(CenterOf(0), POINT{CenterOf(0).x, 400});      // dragged off the view
    Send(WM_RBUTTONDOWN, CenterOf(0), MK_RBUTTON);      // other buttons
    Send(WM_RBUTTONUP, CenterOf(0));
    EXPECT_TRUE(picks.empty());

    // A double click picks once, as the page did.
    Click(CenterOf(0), CenterOf(0));
    Send(WM_LBUTTONDBLCLK, CenterOf(0), MK_LBUTTON);
    Send(WM_LBUTTONUP, CenterOf(0));
    EXPECT_EQ(std::vector<int>{0}, picks);
}

TEST_F(PictureViewTest, ThePictureUnderThePointerIsFramedAndNamedByTheToolTip) {
    TempFolder folder;
    Show({DataPicture("red.bmp"), folder.WriteFile("empty.gif", ""), DataPicture("alpha.png")});
    // The tip, a top-level window, is made only when the pointer first comes.
    EXPECT_EQ(nullptr, view->ToolTipHandle());

    Send(WM_MOUSEMOVE, CenterOf(2));
    ASSERT_NE(nullptr, view->ToolTipHandle());
    EXPECT_EQ(2, view->HotIndex());
    EXPECT_EQ("alpha.png", ToolTipText());
    view->Repaint();
    {
        Capture shot(view->Handle());
        RECT frame = view->PictureRect(2);
        InflateRect(&frame, 1, 1);
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), shot.In(frame, 0, 5));
        EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), shot.In(frame, 17, 17));
        EXPECT_EQ(kWhite, shot.In(frame, -1, 5));
    }
    // Straight on to the broken one: named, but not framed (it cannot be picked).
    Send(WM_MOUSEMOVE, CenterOf(1));
    EXPECT_EQ(1, view->HotIndex());
    EXPECT_EQ("empty.gif", ToolTipText());
    view->Repaint();
    {
        Capture shot(view->Handle());
        RECT frame = view->PictureRect(2);
        InflateRect(&frame, 1, 1);
        EXPECT_EQ(kWhite, shot.In(frame, 0, 5));
        EXPECT_EQ(kWhite, shot.In(view->PictureRect(1), -1, 5));
    }
    Send(WM_MOUSEMOVE, POINT{2, 2});
    EXPECT_EQ(-1, view->HotIndex());
    EXPECT_EQ("", ToolTipText());
}

TEST_F(PictureViewTest, TheRealPointerGetsTheHandCursorAndATipThatFollowsItFromPictureToPicture) {
    Show({DataPicture("alpha.png"), DataPicture("red.bmp"), DataPicture("red.bmp"), DataPicture("red.bmp"),
          DataPicture("blue.jpg")});
    const HCURSOR hand = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_HAND));
    // The tip is up, near the pointer, describing the picture under it.
    HWND tip = nullptr;
    auto tipNear = [&](POINT p, const char* name) {
        tip = view->ToolTipHandle();
        RECT r;
        GetWindowRect(tip, &r);
        return IsWindowVisible(tip) && std::abs(r.left - p.x) < 40 && ToolTipText() == name;
    };
    POINT p = view->ClientToScreen(CenterOf(0));
    SetCursorPos(p.x, p.y);
    EXPECT_TRUE(WaitFor([&] { return view->HotIndex() == 0 && GetCursor() == hand; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return tipNear(p, "alpha.png"); }, 5000));
    // Straight on to another picture: the tip moves along with the new name.
    p = view->ClientToScreen(CenterOf(4));
    SetCursorPos(p.x, p.y);
    EXPECT_TRUE(WaitFor([&] { return view->HotIndex() == 4; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return tipNear(p, "blue.jpg"); }, 5000));
    // Off the pictures: the arrow, and no tip.
    p = view->ClientToScreen(POINT{2, 2});
    SetCursorPos(p.x, p.y);
    EXPECT_TRUE(WaitFor([&] { return view->HotIndex() == -1 && GetCursor() != hand && !IsWindowVisible(tip); }, 5000));
    SetCursorPos(0, 0);  // off the form, out of the other tests' way
}

TEST_F(PictureViewTest, ScrollsOnlyWhenThePageIsTallerAndDecodesWhatComesIntoView) {
    Show(Reds(120));  // 20 x 16 each: nine a row, twenty pixels a row
    const HWND wnd = view->Handle();
    ASSERT_TRUE(GetWindowLongA(wnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(300 - GetSystemMetrics(SM_CXVSCROLL), view->ClientWidth());
    const flow::Layout want = flow::LayOut(std::vector<flow::Size>(120, flow::Size{20, 16}), view->ClientWidth());
    EXPECT_EQ(want.Height(), view->PageHeight());
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(wnd, SB_VERT, &si);
    EXPECT_EQ(view->PageHeight() - 1, si.nMax);
    EXPECT_EQ(200u, si.nPage);
    // Everything measured, but only what is in view decoded (and the few the
    // decode worker read past it while it filled the view).
    EXPECT_EQ(120, view->MeasuredCount());
    EXPECT_TRUE(view->IsDecoded(0));
    EXPECT_FALSE(view->IsDecoded(119));

    SetFocus(wnd);
    SendMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(60, view->ScrollPos());  // three lines of twenty pixels
    SendMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -40), 0);
    EXPECT_EQ(80, view->ScrollPos());  // a precise wheel's small steps add up
    SendMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA), 0);
    EXPECT_EQ(0, view->ScrollPos());
    SendMessageA(wnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(20, view->ScrollPos());
    SendMessageA(wnd, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(view->PageHeight() - 200, view->ScrollPos());
    ASSERT_TRUE(Settle(view));
    EXPECT_TRUE(view->IsDecoded(119));
    // Boxes follow the page, and the last one is in view.
    EXPECT_EQ(want.Box(119).top - view->ScrollPos(), view->PictureRect(119).top);
    EXPECT_LE(view->PictureRect(119).bottom, 200);

    // A short page: no bar, and the wheel does nothing.
    view->SetFiles(Reds(3));
    ASSERT_TRUE(Settle(view));
    EXPECT_FALSE(GetWindowLongA(wnd, GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(300, view->ClientWidth());
    SendMessageA(wnd, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    EXPECT_EQ(0, view->ScrollPos());
}

TEST_F(PictureViewTest, AHiddenViewGivesItsPixelsBackToTheOneOnScreen) {
    const size_t oneRed = 20 * 16 * 4;
    PixelCache::Shared().SetBudget(20 * oneRed);
    Show(Reds(30));  // all in view: kept although over budget
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(view->IsDecoded(i)) << i;

    view->Hide();
    auto other = std::make_unique<TPictureView>(form_);
    other->SetBounds(5, 5, 300, 200);
    other->SetFiles(Reds(25));
    other->SetParent(form_);
    ASSERT_TRUE(Settle(other.get()));
    for (int i = 0; i < 25; ++i) EXPECT_TRUE(other->IsDecoded(i)) << i;
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(view->IsDecoded(i)) << i;

    // Shown again, it decodes what it shows.
    other.reset();
    view->Show();
    ASSERT_TRUE(Settle(view));
    EXPECT_TRUE(view->IsDecoded(29));
}

TEST_F(PictureViewTest, KeepsWorkingWhenItsWindowIsMadeAgain) {
    Show(Reds(2));
    view->SetFiles(Reds(400));
    UpdateWindow(view->Handle());
    ASSERT_TRUE(view->Busy());  // the rest is left to the message loop
    view->SetParent(nullptr);   // the window goes in the middle; the pictures stay
    EXPECT_FALSE(view->HandleAllocated());
    view->SetParent(form_);
    ASSERT_TRUE(Settle(view));  // the background work starts again
    EXPECT_TRUE(view->IsDecoded(0));
    Send(WM_MOUSEMOVE, CenterOf(1));
    EXPECT_EQ("red.bmp", ToolTipText());
}

}  // namespace
