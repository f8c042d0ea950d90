// Soak: the real main window, in-process, picks a thousand pictures from its
// native picture view into a stand-in compose window and drops its themed
// menus a thousand times; GDI objects, USER objects (windows, menus, icons
// and cursors), kernel handles and the working set stay flat after a
// warm-up. Each soak prints its counts at the start, after the warm-up,
// every hundred rounds and at the end, and the time per round.
//
// Counting under Wine, where GetGuiResources and GetProcessHandleCount are
// stubs that answer 0 (ObjectCounts.h; the ObjectCounter tests below make
// and free objects of each kind and check that the counts follow):
// - GDI objects: Wine keeps them in a table per process and takes a handle
//   whose high word is zero as the entry at that index, whatever its
//   generation; GetObjectType on every index 1..0xFFFF tells the live ones
//   (stock objects and DCs included).
// - Menus, icons and cursors: Wine's USER handles are even values from 0x20
//   with the generation in the high word, and a zero high word is taken the
//   same way. GetMenuInfo and GetCursorFrameInfo on every index answer only
//   for this process's own entries.
// - Windows: this process's top-level windows (EnumWindows) and message-only
//   windows (FindWindowEx under HWND_MESSAGE), with all their descendants;
//   the counter test checks this against a scan of the USER handle table
//   (IsWindow and the owning process), which is exact but takes seconds.
// - Kernel handles: Wine hands out the lowest free handle value, so the live
//   ones lie packed from 4 up in steps of 4; GetHandleInformation tells a
//   live one, and the scan stops after a run of 1024 dead values.
// - Working set: GetProcessMemoryInfo, which Wine fills from the kernel's
//   resident-set figure for the process.
//
// The soaks use real input (SendInput): the server routes it to the window
// under the pointer, as it does the user's hand. A pick is a click on a
// picture, which runs the whole pick (clipboard, compose targeting, key
// strokes, sound) while the compose window logs the paste. Hiding costs
// Wine without a window manager 2 s per window (it waits for a manager to
// confirm), so one pick in a hundred runs with DoMinimize on: it hides the
// window to the tray, and the pointer over the tray icon shows it again.
// A menu round clicks a tool-bar button, moves the selection in the dropped
// menu twice, checks the menu's paint and closes it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ClipboardPayload.h"
#include "ComCtrls.h"
#include "IconPageText.h"
#include "Menus.h"
#include "ObjectCounts.h"
#include "PictureView.h"
#include "TestApplication.h"
#include "ToolBars.h"
#include "WineTray.h"
#include "XPMenuLogic.h"
#include "clip_peer.h"
#include "CategoryTabs.h"
#include "main.h"
#include "mainobj.h"
#include "menu_probe.h"
#include "PayloadLiterals.h"

namespace {

// ------------------------------------------------------------- real input

// Sends the pointer to the middle of `r` and waits until it is inside.
// `nudge` moves the aim by a pixel: only a pointer that really moves makes
// a notification.
bool PointerInto(const RECT& r, bool nudge = false) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const int x = (r.left + r.right) / 2 + (nudge ? 1 : 0), y = (r.top + r.bottom) / 2;
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = MulDiv(x, 65535, width - 1);
    in.mi.dy = MulDiv(y, 65535, height - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (SendInput(1, &in, sizeof in) != 1) return false;
    return WaitFor([&] {
        POINT p{};
        return GetCursorPos(&p) && PtInRect(&r, p);
    }, 5000);
}

bool LeftClick() {
    INPUT in[2]{};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, in, sizeof in[0]) == 2;
}

RECT ScreenRect(HWND wnd, RECT r) {
    MapWindowPoints(wnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// ------------------------------------------------------------- the figures

struct Margins {
    int gdi, user, handles;
    long long workingSetKiB, workingSetGrowthKiB;
};
// Growth allowed after the warm-up: far below one object per hundred rounds,
// above the jitter of what the platform makes and frees on its own time (a
// sound thread ending, a tooltip window). The working set moves by about a
// megabyte with every thread alive at the moment (the sound's, Wine's own
// audio threads), so a sample may be up to 4 MiB above the warm-up's, and
// growth is judged on the lowest samples: the lowest of the later half may
// exceed the lowest of the earlier half by 1 MiB, some 2 KiB a round.
constexpr Margins kMargins{8, 4, 8, 4 * 1024, 1024};

class Samples {
public:
    explicit Samples(const char* what) : what_(what) {}

    void Take(const char* label, int round) {
        samples_.push_back({label, round, CountObjects()});
        printf("[soak %s] %-9s round %4d: %s\n", what_, label, round, samples_.back().counts.Text().c_str());
        fflush(stdout);
    }
    // Every sample after the warm-up (the first labelled "warm") stays
    // within the margins of it.
    void ExpectFlat() const {
        auto warm = std::find_if(samples_.begin(), samples_.end(),
                                 [](const Sample& s) { return s.label == std::string("warm"); });
        ASSERT_NE(warm, samples_.end());
        const ObjectCounts& base = warm->counts;
        for (auto s = warm; s != samples_.end(); ++s) {
            SCOPED_TRACE(std::string(what_) + " round " + std::to_string(s->round));
            EXPECT_LE(s->counts.gdi - base.gdi, kMargins.gdi);
            EXPECT_LE(s->counts.windows - base.windows, kMargins.user);
            EXPECT_LE(s->counts.menus - base.menus, kMargins.user);
            EXPECT_LE(s->counts.cursors - base.cursors, kMargins.user);
            EXPECT_LE(s->counts.handles - base.handles, kMargins.handles);
            EXPECT_LE(WorkingSet(*s) - WorkingSet(*warm), kMargins.workingSetKiB);
        }
        const auto middle = warm + (samples_.end() - warm) / 2;
        const auto lowest = [](auto from, auto to) {
            return WorkingSet(*std::min_element(
                from, to, [](const Sample& a, const Sample& b) { return WorkingSet(a) < WorkingSet(b); }));
        };
        EXPECT_LE(lowest(middle, samples_.end()) - lowest(warm, middle), kMargins.workingSetGrowthKiB)
            << what_ << ": the working set grew from the earlier half of the rounds to the later";
    }

private:
    struct Sample {
        const char* label;
        int round;
        ObjectCounts counts;
    };
    static long long WorkingSet(const Sample& s) { return static_cast<long long>(s.counts.workingSetKiB); }
    const char* what_;
    std::vector<Sample> samples_;
};

constexpr int kRounds = 1000;
constexpr int kSampleEvery = 100;
constexpr int kHideEvery = 100;
// The warm-up takes in every kind of round once: a hide to the tray and the
// reveal after it (round 50, 51) make their windows and caches, and the
// Recent tab is made and filled by then.
constexpr int kWarmUp = kSampleEvery;

std::string LastLines(const std::vector<std::string>& lines, size_t count) {
    std::string text;
    for (size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i)
        text += lines[i].substr(0, 80) + "\n";
    return text;
}

// ------------------------------------------------------------- the program

std::string WinePathOf(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

// The main window made as the program makes it, its library a copy of the
// default library's "general" folder and the program's sound beside it.
class MainWindowUnderSoak {
public:
    MainWindowUnderSoak() {
        TestApplication();
        const std::string images = app_.MakeFolder("images");
        app_.MakeFolder("images\\general");
        const std::string library = WinePathOf(LIBRARY_DIR_UNIX);
        CopyFolder(library + "\\general", images + "\\general");
        CopyFileA((library + "\\..\\sound.wav").c_str(), (app_ / "sound.wav").c_str(), FALSE);
        form_ = Application->CreateForm<TfrmMain>(nullptr);
        Application->SetMainForm(form_);
        while (form_->PageControl1->PageCount() > 0) delete form_->PageControl1->Pages(0);
        form_->ImagesDir = images;
        form_->AppDir = app_.Path() + "\\";
        form_->LoadCategories();
        AppFolder = form_->AppDir;
        DoMinimizeFlag = DoSetHtmlFlag = SoundOnFlag = true;
        LastComposeWindow = nullptr;
    }
    ~MainWindowUnderSoak() {
        Application->SetMainForm(nullptr);
        delete form_;
    }

    TfrmMain* Form() const { return form_; }
    TPictureView* View() const {
        ticonbox* page = form_->Categories->Page(form_->PageControl1->Pages(0), true);
        return page ? page->NativeView() : nullptr;
    }

private:
    static void CopyFolder(const std::string& from, const std::string& to) {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((from + "\\*").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                CopyFileA((from + "\\" + data.cFileName).c_str(), (to + "\\" + data.cFileName).c_str(), FALSE);
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }

    TempFolder app_;
    TfrmMain* form_ = nullptr;
};

}  // namespace

// ------------------------------------------------------------- the counters

TEST(ObjectCounter, CountsEveryGdiObjectMadeAndDeleted) {
    printf("GetGuiResources(GDI) = %lu, GetGuiResources(USER) = %lu (stubs under Wine)\n",
           GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    // The screen's DC comes from a cache that keeps it (and its objects) once made.
    HDC screen = GetDC(nullptr);
    ReleaseDC(nullptr, screen);
    const int before = object_counts::Gdi();
    EXPECT_GT(before, 0) << "stock objects at least";
    std::vector<HGDIOBJ> made;
    for (int i = 0; i < 100; ++i) made.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    EXPECT_EQ(object_counts::Gdi(), before + 100);
    for (int i = 0; i < 10; ++i) made.push_back(CreatePen(PS_SOLID, 1, RGB(0, i, 0)));
    for (int i = 0; i < 10; ++i) made.push_back(CreateRectRgn(0, 0, i + 1, i + 1));
    screen = GetDC(nullptr);
    for (int i = 0; i < 10; ++i) made.push_back(CreateCompatibleBitmap(screen, 8, 8));
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(object_counts::Gdi(), before + 130);
    for (HGDIOBJ object : made) DeleteObject(object);
    EXPECT_EQ(object_counts::Gdi(), before);
    // A memory DC counts, and comes and goes with the objects a DC brings.
    HDC memory = CreateCompatibleDC(nullptr);
    EXPECT_GT(object_counts::Gdi(), before);
    DeleteDC(memory);
    EXPECT_EQ(object_counts::Gdi(), before);
}

TEST(ObjectCounter, CountsWindowsOfEveryKindMenusAndCursors) {
    TestApplication();
    const int windows = object_counts::Windows(), menus = object_counts::Menus(), cursors = object_counts::Cursors();
    EXPECT_EQ(windows, object_counts::ScanWindowsInHandleTable());
    std::vector<HWND> made;
    for (int i = 0; i < 3; ++i) {
        HWND top = CreateWindowExA(0, "STATIC", "top", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        HWND child = CreateWindowExA(0, "STATIC", "child", WS_CHILD, 0, 0, 5, 5, top, nullptr, nullptr, nullptr);
        CreateWindowExA(0, "STATIC", "grandchild", WS_CHILD, 0, 0, 2, 2, child, nullptr, nullptr, nullptr);
        made.push_back(top);
        made.push_back(
            CreateWindowExA(0, "STATIC", "message-only", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    }
    std::vector<HMENU> menusMade;
    for (int i = 0; i < 20; ++i) menusMade.push_back(i % 2 ? CreateMenu() : CreatePopupMenu());
    std::vector<HICON> icons;
    const HICON shared = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    for (int i = 0; i < 10; ++i) icons.push_back(CopyIcon(shared));

    EXPECT_EQ(object_counts::Windows(), windows + 12);
    EXPECT_EQ(object_counts::Windows(), object_counts::ScanWindowsInHandleTable());
    EXPECT_EQ(object_counts::Menus(), menus + 20);
    EXPECT_GE(object_counts::Cursors(), cursors + 10);  // and the shared icon copied from, once

    for (HWND w : made) DestroyWindow(w);
    for (HMENU m : menusMade) DestroyMenu(m);
    const int withShared = object_counts::Cursors();
    for (HICON i : icons) DestroyIcon(i);
    EXPECT_EQ(object_counts::Windows(), windows);
    EXPECT_EQ(object_counts::Menus(), menus);
    EXPECT_EQ(object_counts::Cursors(), withShared - 10);
}

TEST(ObjectCounter, CountsKernelHandlesAndTheWorkingSet) {
    DWORD reported = 0;
    GetProcessHandleCount(GetCurrentProcess(), &reported);
    printf("GetProcessHandleCount = %lu (a stub under Wine)\n", reported);
    const int handles = object_counts::KernelHandles();
    EXPECT_GT(handles, 0);
    std::vector<HANDLE> made;
    for (int i = 0; i < 100; ++i) made.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    made.push_back(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr));
    EXPECT_EQ(object_counts::KernelHandles(), handles + 101);
    // Closed in the middle: the ones above are still found past the hole.
    for (size_t i = 0; i < 50; ++i) CloseHandle(made[i]);
    EXPECT_EQ(object_counts::KernelHandles(), handles + 51);
    for (size_t i = 50; i < made.size(); ++i) CloseHandle(made[i]);
    EXPECT_EQ(object_counts::KernelHandles(), handles);

    const size_t before = object_counts::Memory().WorkingSetSize;
    constexpr size_t kSize = 64 << 20;
    auto* block = static_cast<char*>(VirtualAlloc(nullptr, kSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    EXPECT_LT(object_counts::Memory().WorkingSetSize, before + kSize / 2) << "committed, not yet touched";
    for (size_t i = 0; i < kSize; i += 4096) block[i] = 1;
    const size_t touched = object_counts::Memory().WorkingSetSize;
    EXPECT_GE(touched, before + kSize - kSize / 8);
    VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_LT(object_counts::Memory().WorkingSetSize, touched - kSize + kSize / 8);
    printf("working set %zu KiB, with 64 MiB touched %zu KiB\n", before / 1024, touched / 1024);
}

// ------------------------------------------------------------- the soaks

namespace {

// The pointer over the program's tray icon (the last in Wine's tray) shows
// the main window.
bool RevealThroughTray(TfrmMain* form, int round) {
    const std::vector<RECT> icons = WineTrayIcons();
    if (icons.empty()) return false;
    return PointerInto(icons.back(), round % 2 != 0) &&
           WaitFor([&] { return IsWindowVisible(form->Handle()) != FALSE; }, 10000);
}

// Time spent in the rounds themselves, without the sampling between them.
class RoundClock {
public:
    void Start() { at_ = GetTickCount(); }
    void Stop() { spent_ += GetTickCount() - at_; }
    double PerRound(int rounds) const { return static_cast<double>(spent_) / rounds; }

private:
    DWORD at_ = 0, spent_ = 0;
};

}  // namespace

TEST(Soak, AThousandPicksIntoTheComposeWindowKeepTheCountsFlat) {
    clip_test::ComposePeer note("ATH_Note", "Compose", "--lifetime 1200");
    MainWindowUnderSoak program;
    TfrmMain* form = program.Form();
    ASSERT_TRUE(WaitFor([] { return !WineTrayIcons().empty(); }));
    ASSERT_TRUE(RevealThroughTray(form, 0));
    TPictureView* view = program.View();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(WaitFor([&] { return view->Count() > 0 && view->MeasuredCount() == view->Count() && !view->Busy(); }));
    // Every picture of the first screen, in turn: each format, still and animated.
    std::vector<int> pickable;
    for (int i = 0; i < view->Count(); ++i)
        if (view->IsInSight(i) && !view->IsBroken(i)) pickable.push_back(i);
    ASSERT_GE(pickable.size(), 4u);
    auto pictureOf = [&](int round) { return pickable[static_cast<size_t>(round) % pickable.size()]; };

    Samples samples("picks");
    samples.Take("start", 0);
    RoundClock kept, hidden;
    for (int round = 1; round <= kRounds; ++round) {
        // Most picks keep the window open: hiding is slow here (see above).
        DoMinimizeFlag = round % kHideEvery == kHideEvery / 2;
        RoundClock& clock = DoMinimizeFlag ? hidden : kept;
        clock.Start();
        if (!IsWindowVisible(form->Handle())) {
            ASSERT_TRUE(RevealThroughTray(form, round)) << "round " << round;
        }
        ASSERT_TRUE(PointerInto(ScreenRect(view->Handle(), view->PictureRect(pictureOf(round))))) << "round " << round;
        ASSERT_TRUE(LeftClick());
        ASSERT_TRUE(note.WaitForPastes(static_cast<size_t>(round))) << "round " << round << ", the peer's log ends:\n"
                                                                    << LastLines(note.Log(), 8);
        ASSERT_TRUE(WaitFor([&] { return (IsWindowVisible(form->Handle()) != FALSE) != DoMinimizeFlag; }))
            << "round " << round;
        clock.Stop();
        if (round == kWarmUp) samples.Take("warm", round);
        else if (round % kSampleEvery == 0) samples.Take(round == kRounds ? "end" : "", round);
    }
    const int hides = kRounds / kHideEvery;
    printf("[soak picks] %.1f ms per pick with the window kept (pointer, click, paste), %.1f ms with the hide to the "
           "tray and the reveal through it\n",
           kept.PerRound(kRounds - hides), hidden.PerRound(hides));

    // Nothing in the library changed: its one listing is the first show's.
    printf("[soak picks] folder listings: %d\n", ticonbox::ListingCount());
    // Each pick pasted its own picture; the window was switched to HTML once.
    const std::vector<std::string> pastes = note.Pastes();
    ASSERT_EQ(pastes.size(), static_cast<size_t>(kRounds));
    for (int round = 1; round <= kRounds; ++round)
        ASSERT_EQ(pastes[static_cast<size_t>(round - 1)],
                  literal::PlainFragment(ForwardSlashPath(view->File(pictureOf(round)))))
            << "round " << round;
    EXPECT_EQ(note.Keys().size(), 6u + 4u * kRounds);
    samples.ExpectFlat();
}

namespace {

// Follows the menus this thread drops: counts the owner-drawn items painted
// in each, and once a menu is idle moves the selection down twice (each
// step repaints two items, one of them selected), then checks that its
// first item shows the themed icon column and closes it.
class MenuRounds : public ThreadMessageWatcher {
public:
    int Closed() const { return closed_; }
    // Menus whose items were painted and whose icon column has the themed colour.
    int Themed() const { return themed_; }
    int ItemsPainted() const { return painted_; }

private:
    void Watch(const CWPSTRUCT& m) override {
        if (m.message == WM_INITMENUPOPUP) {
            menu_ = reinterpret_cast<HMENU>(m.wParam);
            step_ = 0;
            paintedHere_ = 0;
        } else if (m.message == WM_DRAWITEM && reinterpret_cast<DRAWITEMSTRUCT*>(m.lParam)->CtlType == ODT_MENU) {
            ++paintedHere_;
            ++painted_;
        } else if (m.message == WM_ENTERIDLE && m.wParam == MSGF_MENU && menu_) {
            auto popup = reinterpret_cast<HWND>(m.lParam);
            if (step_++ < 2) {
                PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
                return;
            }
            UpdateWindow(popup);
            if (paintedHere_ > 0 && FirstItemShowsTheColumn(popup)) ++themed_;
            menu_ = nullptr;
            ++closed_;
            EndMenu();
        }
    }

    bool FirstItemShowsTheColumn(HWND popup) const {
        RECT item{};
        if (!GetMenuItemRect(nullptr, menu_, 0, &item)) return false;
        POINT corner{item.left + 2, item.top + 2};
        ScreenToClient(popup, &corner);
        HDC dc = GetDC(popup);
        const COLORREF colour = GetPixel(dc, corner.x, corner.y);
        ReleaseDC(popup, dc);
        return colour == xpmenu::Lighten(GetSysColor(COLOR_BTNFACE), 16);
    }

    HMENU menu_ = nullptr;
    int step_ = 0;
    int paintedHere_ = 0;
    int painted_ = 0;
    int themed_ = 0;
    int closed_ = 0;
};

}  // namespace

TEST(Soak, AThousandThemedMenuDropDownsKeepTheCountsFlat) {
    MainWindowUnderSoak program;
    TfrmMain* form = program.Form();
    ASSERT_TRUE(WaitFor([] { return !WineTrayIcons().empty(); }));
    ASSERT_TRUE(RevealThroughTray(form, 0));
    TToolBar* bar = form->ToolBar1;
    ASSERT_EQ(bar->ButtonCount(), 3);
    MenuRounds menus;

    Samples samples("menus");
    samples.Take("start", 0);
    RoundClock clock;
    for (int round = 1; round <= kRounds; ++round) {
        clock.Start();
        // File, Options, Help in turn: images, check marks, separators, short-cuts.
        TToolButton* button = bar->Buttons(round % 3);
        ASSERT_TRUE(PointerInto(ScreenRect(bar->Handle(), bar->ButtonRect(button)), round % 2 != 0)) << "round " << round;
        ASSERT_TRUE(LeftClick());
        ASSERT_TRUE(WaitFor([&] { return menus.Closed() == round && !bar->MenuButton(); }, 10000)) << "round " << round;
        clock.Stop();
        if (round == kWarmUp) samples.Take("warm", round);
        else if (round % kSampleEvery == 0) samples.Take(round == kRounds ? "end" : "", round);
    }
    printf("[soak menus] %.1f ms per drop-down (drop, two selection moves, close); %d items painted\n",
           clock.PerRound(kRounds), menus.ItemsPainted());
    EXPECT_EQ(menus.Themed(), kRounds);
    samples.ExpectFlat();
}
