// The tray icon component in-process: its shell record, the tray window's
// notification rows, popup menus, cycling, stored settings, and its hooks on
// the application window and its owner's window. Icons really go to Wine's
// notification area, whose icon windows the tests count.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "CoolTrayIcon.h"
#include "ExtCtrls.h"
#include "ImgList.h"
#include "Menus.h"
#include "StdCtrls.h"
#include "TestApplication.h"
#include "Wait.h"
#include "WineTray.h"

namespace {

// Reaches the record, the tray window and the timer tick.
class ProbeTrayIcon : public TCoolTrayIcon {
public:
    using TCoolTrayIcon::TCoolTrayIcon;
    using TCoolTrayIcon::CycleTimer;
    using TCoolTrayIcon::CycleTimerTick;
    using TCoolTrayIcon::IconRecord;
    using TCoolTrayIcon::TrayWindow;

    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(&IconRecord()); }
    DWORD Dword(size_t offset) const {
        DWORD value;
        std::memcpy(&value, Bytes() + offset, sizeof value);
        return value;
    }
    UINT_PTR Pointer(size_t offset) const {
        UINT_PTR value;
        std::memcpy(&value, Bytes() + offset, sizeof value);
        return value;
    }
    bool ZeroFrom(size_t offset, size_t count) const {
        for (size_t i = 0; i < count; ++i)
            if (Bytes()[offset + i] != 0) return false;
        return true;
    }
    LRESULT Notify(UINT mouseMessage) { return SendMessageA(TrayWindow(), TrayCallbackMessage, 1, mouseMessage); }
};

// Writes every event it hears as one line.
struct Recorder {
    std::vector<std::string> lines;
    std::vector<POINT> points;

    static std::string Button(TMouseButton b) { return b == mbLeft ? "left" : b == mbRight ? "right" : "middle"; }
    void Click(TObject*) { lines.push_back("click"); }
    void DblClick(TObject*) { lines.push_back("dblclick"); }
    void Down(TObject*, TMouseButton b, TShiftState s, int x, int y) {
        lines.push_back("down " + Button(b) + " " + std::to_string(s));
        points.push_back({x, y});
    }
    void Up(TObject*, TMouseButton b, TShiftState s, int x, int y) {
        lines.push_back("up " + Button(b) + " " + std::to_string(s));
        points.push_back({x, y});
    }
    void Move(TObject*, TShiftState s, int x, int y) {
        lines.push_back("move " + std::to_string(s));
        points.push_back({x, y});
    }
    void Cycle(TObject*, int next) { lines.push_back("cycle " + std::to_string(next)); }
    void Popup(TObject*) { lines.push_back("popup"); }
    void Item(TObject* sender) { lines.push_back("item " + static_cast<TMenuItem*>(sender)->Caption()); }

    void Listen(TCoolTrayIcon& icon) {
        icon.OnClick = EVENT(TNotifyEvent, Recorder, Click, this);
        icon.OnDblClick = EVENT(TNotifyEvent, Recorder, DblClick, this);
        icon.OnMouseDown = EVENT(TMouseEvent, Recorder, Down, this);
        icon.OnMouseUp = EVENT(TMouseEvent, Recorder, Up, this);
        icon.OnMouseMove = EVENT(TMouseMoveEvent, Recorder, Move, this);
        icon.OnCycle = EVENT(TCycleEvent, Recorder, Cycle, this);
    }
};

HICON StockIcon() { return LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)); }

[[maybe_unused]] auto* const keeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

// The icons beside the keeper's.
int Icons() { return WineTrayIconCount() - 1; }

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        appProc = GetWindowLongPtrA(Application->Handle(), GWLP_WNDPROC);
        owner = new TForm(nullptr);
        owner->SetClientSize(200, 120);
        owner->HandleNeeded();
        ownerProc = GetWindowLongPtrA(owner->Handle(), GWLP_WNDPROC);
        tray = new ProbeTrayIcon(owner);
    }
    void TearDown() override {
        Application->SetMainForm(nullptr);
        Application->ShowMainForm = true;
        delete owner;  // and the tray icon with it
        if (IsWindowVisible(Application->Handle())) ShowWindow(Application->Handle(), SW_HIDE);
        // Every test leaves the shared windows as it found them.
        EXPECT_EQ(GetWindowLongPtrA(Application->Handle(), GWLP_WNDPROC), appProc);
        EXPECT_TRUE(WaitFor([] { return Icons() == 0; }, 5000));
    }
    // The tray icon with a picture the tray can show.
    void GiveIcon() {
        TIcon icon;
        icon.SetHandle(CopyIcon(StockIcon()));
        tray->SetIcon(icon);
    }

    LONG_PTR appProc = 0;
    LONG_PTR ownerProc = 0;
    TForm* owner = nullptr;
    ProbeTrayIcon* tray = nullptr;
};

// ------------------------------------------------------------ the shell record

// Where the shell reads each field: 4, 8, 12, 16, 20, 24, 152 in the 32-bit
// record of 488 bytes (the header asserts those); wider in a 64-bit build.
constexpr size_t kRecordSize = sizeof(TNotifyIconRecord);
constexpr size_t kWnd = offsetof(TNotifyIconRecord, hWnd), kId = offsetof(TNotifyIconRecord, uID),
                 kFlags = offsetof(TNotifyIconRecord, uFlags),
                 kCallback = offsetof(TNotifyIconRecord, uCallbackMessage),
                 kIcon = offsetof(TNotifyIconRecord, hIcon), kTip = offsetof(TNotifyIconRecord, szTip),
                 kState = offsetof(TNotifyIconRecord, dwState);

TEST_F(TrayIcon, ARecordOfItsOwnSizeNamesTheHiddenTrayWindowAndTheCallback) {
    EXPECT_EQ(kRecordSize, sizeof(void*) == 4 ? 488u : 504u);
    EXPECT_EQ(tray->Dword(0), kRecordSize);
    HWND wnd = reinterpret_cast<HWND>(tray->Pointer(kWnd));
    EXPECT_EQ(wnd, tray->TrayWindow());
    EXPECT_TRUE(IsWindow(wnd));
    EXPECT_FALSE(IsWindowVisible(wnd));
    EXPECT_EQ(GetParent(wnd), nullptr);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(wnd, GWL_STYLE)) & WS_POPUP, static_cast<DWORD>(WS_POPUP));
    EXPECT_TRUE(GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(tray->Dword(kId), 1u);
    EXPECT_EQ(tray->Dword(kFlags), 7u);
    EXPECT_EQ(tray->Dword(kCallback), 2048u);
    EXPECT_EQ(tray->Pointer(kIcon), 0u);
    EXPECT_TRUE(tray->ZeroFrom(kTip, kRecordSize - kTip));
    EXPECT_EQ(TaskbarCreatedMessage, RegisterWindowMessageA("TaskbarCreated"));

    // Defaults, and no icon yet although IconVisible reads true.
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_TRUE(tray->Enabled);
    EXPECT_TRUE(tray->ShowHint());
    EXPECT_EQ(tray->CycleInterval(), 0u);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_FALSE(tray->CycleTimer()->Enabled());
    EXPECT_EQ(Icons(), 0);
}

TEST_F(TrayIcon, TheTipHoldsAtMost127CharactersAndNoneWhenHintsAreOff) {
    std::string hint(200, 'x');
    for (size_t i = 0; i < hint.size(); ++i) hint[i] = static_cast<char>('a' + i % 26);
    tray->SetHint(hint);  // refreshing prepares the record even while the shell refuses
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(tray->Bytes() + kTip), 127), hint.substr(0, 127));
    EXPECT_EQ(tray->Bytes()[kTip + 127], 0);
    EXPECT_EQ(tray->Dword(kState), 0u);

    tray->SetShowHint(false);
    EXPECT_TRUE(tray->ZeroFrom(kTip, 128));
    tray->SetShowHint(true);
    tray->SetHint("Tovira");
    EXPECT_STREQ(reinterpret_cast<const char*>(tray->Bytes() + kTip), "Tovira");
    EXPECT_TRUE(tray->ZeroFrom(kTip + 6, 128 - 6));
    tray->SetHint("");
    EXPECT_TRUE(tray->ZeroFrom(kTip, 128));
    EXPECT_TRUE(tray->ZeroFrom(kState, kRecordSize - kState));
}

TEST_F(TrayIcon, TheIconIsACopyTakenAgainForEveryCallAndAnEmptyOneGivesNoHandle) {
    GiveIcon();
    HICON handle = reinterpret_cast<HICON>(tray->Pointer(kIcon));
    EXPECT_NE(handle, nullptr);
    EXPECT_NE(handle, StockIcon());
    EXPECT_EQ(handle, tray->Icon().Handle());
    EXPECT_EQ(tray->Icon().Width(), GetSystemMetrics(SM_CXICON));

    tray->SetIcon(TIcon());
    EXPECT_EQ(tray->Pointer(kIcon), 0u);
    // The shell takes an icon without a picture (and shows an empty place).
    EXPECT_TRUE(tray->AddToTray());
    EXPECT_EQ(tray->Pointer(kIcon), 0u);
}

// -------------------------------------------------------- the notification area

TEST_F(TrayIcon, AddingTwiceKeepsOneIconAndRemovingTakesItOut) {
    GiveIcon();
    tray->SetIconVisible(true);
    ASSERT_TRUE(WaitFor([] { return Icons() == 1; }));
    EXPECT_FALSE(tray->AddToTray());  // refused: it is there already
    EXPECT_EQ(Icons(), 1);
    EXPECT_TRUE(tray->RefreshTrayIcon());

    tray->SetIconVisible(false);
    EXPECT_FALSE(tray->IconVisible());
    EXPECT_TRUE(WaitFor([] { return Icons() == 0; }));
    EXPECT_FALSE(tray->RefreshTrayIcon());
    EXPECT_FALSE(tray->RemoveFromTray());
}

TEST_F(TrayIcon, DesignPreviewAddsAndRemovesWithoutTouchingIconVisible) {
    GiveIcon();
    tray->SetIconVisible(false);
    tray->SetDesignPreview(true);
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
    EXPECT_FALSE(tray->IconVisible());
    tray->SetIconVisible(true);
    tray->SetDesignPreview(false);
    EXPECT_TRUE(WaitFor([] { return Icons() == 0; }));
    EXPECT_TRUE(tray->IconVisible());
}

int iconsAtTrayWindowDestroy = -1;
WNDPROC trayWindowProc = nullptr;
LRESULT CALLBACK WatchTrayWindow(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) iconsAtTrayWindowDestroy = Icons();
    return CallWindowProcA(trayWindowProc, wnd, msg, wp, lp);
}

TEST_F(TrayIcon, DestructionRemovesTheIconBeforeTheTrayWindowAndPutsBothProceduresBack) {
    EXPECT_NE(GetWindowLongPtrA(Application->Handle(), GWLP_WNDPROC), appProc);
    EXPECT_NE(GetWindowLongPtrA(owner->Handle(), GWLP_WNDPROC), ownerProc);
    GiveIcon();
    tray->SetIconVisible(true);
    ASSERT_TRUE(WaitFor([] { return Icons() == 1; }));
    HWND wnd = tray->TrayWindow();
    trayWindowProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchTrayWindow)));

    delete tray;
    tray = nullptr;
    EXPECT_EQ(iconsAtTrayWindowDestroy, 0);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(GetWindowLongPtrA(Application->Handle(), GWLP_WNDPROC), appProc);
    EXPECT_EQ(GetWindowLongPtrA(owner->Handle(), GWLP_WNDPROC), ownerProc);
}

TEST_F(TrayIcon, HooksOfSeveralInstancesChainAndComeOffInReverse) {
    auto* second = new ProbeTrayIcon(owner);
    Application->SetMainForm(owner);
    tray->MinimizeToTray = true;
    second->MinimizeToTray = true;
    GiveIcon();
    TIcon icon;
    icon.SetHandle(CopyIcon(StockIcon()));
    second->SetIcon(icon);
    owner->Show();
    Application->Minimize();
    // Both saw the minimising, each put its own icon in.
    EXPECT_TRUE(WaitFor([] { return Icons() == 2; }));
    EXPECT_FALSE(owner->Visible());
    delete second;
    EXPECT_NE(GetWindowLongPtrA(Application->Handle(), GWLP_WNDPROC), appProc);
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
}

// ------------------------------------------------------------ mouse notifications

TEST_F(TrayIcon, ADoubleClickGivesDownClickUpDblClickUpAtThePointer) {
    Recorder r;
    r.Listen(*tray);
    SetCursorPos(123, 45);
    for (UINT m : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) EXPECT_EQ(tray->Notify(m), 0);
    std::vector<std::string> expected{"down left 8", "click", "up left 8", "dblclick", "up left 8"};
    EXPECT_EQ(r.lines, expected);
    for (POINT p : r.points) {
        EXPECT_EQ(p.x, 123);
        EXPECT_EQ(p.y, 45);
    }
}

TEST_F(TrayIcon, EveryRowRaisesItsEventsAndOthersNothing) {
    Recorder r;
    r.Listen(*tray);
    SetCursorPos(300, 200);
    for (UINT m : std::initializer_list<UINT>{WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK,
                   WM_MBUTTONDOWN, WM_MBUTTONUP,
                   WM_MBUTTONDBLCLK, WM_LBUTTONUP, 0x20A, 0})
        tray->Notify(m);
    // A left release without a press seen here is no click.
    std::vector<std::string> expected{"move 0",       "down right 16", "up right 16",
                                      "down middle 32", "up middle 32", "up left 8"};
    EXPECT_EQ(r.lines, expected);
    EXPECT_EQ(r.points.front().x, 300);
    EXPECT_EQ(r.points.front().y, 200);

    // The icon identifier in wParam is not looked at.
    r.lines.clear();
    SendMessageA(tray->TrayWindow(), TrayCallbackMessage, 7, WM_MOUSEMOVE);
    EXPECT_EQ(r.lines, std::vector<std::string>{"move 0"});
}

TEST_F(TrayIcon, ShiftAndControlHeldDownJoinTheButton) {
    Recorder r;
    r.Listen(*tray);
    keybd_event(VK_SHIFT, 0, 0, 0);
    keybd_event(VK_CONTROL, 0, 0, 0);
    ASSERT_TRUE(WaitFor([] { return GetAsyncKeyState(VK_SHIFT) < 0 && GetAsyncKeyState(VK_CONTROL) < 0; }, 5000));
    tray->Notify(WM_MBUTTONDOWN);
    keybd_event(VK_CONTROL, 0, KEYEVENTF_KEYUP, 0);
    keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
    ASSERT_TRUE(WaitFor([] { return GetAsyncKeyState(VK_SHIFT) >= 0 && GetAsyncKeyState(VK_CONTROL) >= 0; }, 5000));
    tray->Notify(WM_MBUTTONUP);
    std::vector<std::string> expected{"down middle 37", "up middle 32"};
    EXPECT_EQ(r.lines, expected);
}

TEST_F(TrayIcon, TheHiddenWindowAnswersEndOfSessionWithOne) {
    EXPECT_EQ(SendMessageA(tray->TrayWindow(), WM_QUERYENDSESSION, 0, 0), 1);
}

// ------------------------------------------------------------------ popup menus

// Closes the menu that the tray opens and notes where it appeared.
struct MenuWatch {
    static inline RECT shownAt{};
    static inline int shown = 0;
    static inline UINT_PTR timer = 0;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) return;
        GetWindowRect(menu, &shownAt);
        ++shown;
        EndMenu();
    }
    MenuWatch() {
        shown = 0;
        shownAt = RECT{};
        timer = SetTimer(nullptr, 0, 30, Tick);
    }
    ~MenuWatch() { KillTimer(nullptr, timer); }
};

class TrayMenu : public TrayIcon {
protected:
    void SetUp() override {
        TrayIcon::SetUp();
        menu = new TPopupMenu(owner);
        menu->OnPopup = EVENT(TNotifyEvent, Recorder, Popup, &r);
        for (const char* caption : {"first", "upper", "lower"}) {
            auto* item = new TMenuItem(owner);
            item->SetCaption(caption);
            item->OnClick = EVENT(TNotifyEvent, Recorder, Item, &r);
            menu->Items()->Add(item);
        }
        tray->SetPopupMenu(menu);
        r.Listen(*tray);
    }
    TPopupMenu* menu = nullptr;
    Recorder r;
};

TEST_F(TrayMenu, ARightPressOpensTheMenuWhereThePressWas) {
    SetCursorPos(400, 300);
    MenuWatch watch;
    tray->Notify(WM_RBUTTONDOWN);
    EXPECT_EQ(MenuWatch::shown, 1);
    EXPECT_EQ(MenuWatch::shownAt.left, 400);
    EXPECT_EQ(MenuWatch::shownAt.top, 300);
    EXPECT_EQ(menu->PopupComponent(), tray);
    SetCursorPos(450, 350);
    tray->Notify(WM_RBUTTONUP);
    std::vector<std::string> expected{"down right 16", "popup", "up right 16"};
    EXPECT_EQ(r.lines, expected);
}

TEST_F(TrayMenu, LeftPopupOpensItAfterTheLeftPressAndAutoPopupOffKeepsItShut) {
    tray->Notify(WM_LBUTTONDOWN);
    tray->Notify(WM_LBUTTONUP);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"down left 8", "click", "up left 8"}));

    r.lines.clear();
    tray->LeftPopup = true;
    MenuWatch watch;
    tray->Notify(WM_LBUTTONDOWN);
    EXPECT_EQ(MenuWatch::shown, 1);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"down left 8", "popup"}));

    r.lines.clear();
    menu->AutoPopup = false;
    tray->Notify(WM_RBUTTONDOWN);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"down right 16"}));
    EXPECT_EQ(MenuWatch::shown, 1);
}

TEST_F(TrayMenu, ADoubleClickRunsTheDefaultItemNearestTheTop) {
    menu->Items()->Items(1)->SetDefault(true);
    menu->Items()->Items(2)->SetDefault(true);
    tray->Notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"dblclick", "item upper"}));

    r.lines.clear();
    tray->LeftPopup = true;
    tray->Notify(WM_LBUTTONDBLCLK);
    tray->LeftPopup = false;
    menu->AutoPopup = false;
    tray->Notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"dblclick", "dblclick"}));
}

TEST_F(TrayMenu, DisabledTheIconIgnoresTheMouseButStillGoesToTheTrayAndComesBack) {
    menu->Items()->Items(0)->SetDefault(true);
    tray->Enabled = false;
    {
        MenuWatch watch;
        for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP})
            tray->Notify(m);
        EXPECT_TRUE(r.lines.empty());
        EXPECT_EQ(MenuWatch::shown, 0);
    }

    // Minimising still sends it to the tray...
    Application->SetMainForm(owner);
    tray->MinimizeToTray = true;
    GiveIcon();
    owner->Show();
    Application->Minimize();
    EXPECT_FALSE(owner->Visible());
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
    // ...and a new taskbar still gets the icon back.
    TNotifyIconRecord gone = tray->IconRecord();
    Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<NOTIFYICONDATAA*>(&gone));
    ASSERT_TRUE(WaitFor([] { return Icons() == 0; }));
    SendMessageA(Application->Handle(), TaskbarCreatedMessage, 0, 0);
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
}

TEST_F(TrayMenu, ComponentsThatGoAwayAreLetGo) {
    delete menu;
    EXPECT_EQ(tray->PopupMenu(), nullptr);
    tray->Notify(WM_RBUTTONDOWN);  // no menu: only the event
    EXPECT_EQ(r.lines, (std::vector<std::string>{"down right 16"}));
}

// ------------------------------------------------------- image list and cycling

class TrayImages : public TrayIcon {
protected:
    void SetUp() override {
        TrayIcon::SetUp();
        images = new TImageList(owner);
        TBitmap strip;
        strip.SetSize(48, 16, RGB(0, 128, 255));
        images->AddMasked(strip, clFuchsia);
        ASSERT_EQ(images->Count(), 3);
    }
    TImageList* images = nullptr;
};

TEST_F(TrayImages, TheIndexStaysInsideTheListAndIsZeroWithoutOne) {
    tray->SetIconIndex(4);
    EXPECT_EQ(tray->IconIndex(), 0);
    tray->SetIconList(images);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_NE(tray->Icon().Handle(), nullptr);
    EXPECT_EQ(tray->Icon().Width(), 16);
    tray->SetIconIndex(5);
    EXPECT_EQ(tray->IconIndex(), 2);
    tray->SetIconIndex(1);
    EXPECT_EQ(tray->IconIndex(), 1);
    tray->SetIconIndex(-3);
    EXPECT_EQ(tray->IconIndex(), 0);

    tray->SetIconIndex(2);
    delete images;  // the list goes away: back to index 0
    EXPECT_EQ(tray->IconList(), nullptr);
    EXPECT_EQ(tray->IconIndex(), 0);
}

TEST_F(TrayImages, EachTickShowsTheCurrentImageAndMovesOnWrappingAfterTheLast) {
    Recorder r;
    r.Listen(*tray);
    tray->CycleTimerTick(tray);  // no list: nothing
    EXPECT_TRUE(r.lines.empty());

    tray->SetIconList(images);
    tray->SetIconIndex(1);
    for (int i = 0; i < 3; ++i) tray->CycleTimerTick(tray);
    EXPECT_EQ(r.lines, (std::vector<std::string>{"cycle 2", "cycle 0", "cycle 1"}));
    EXPECT_EQ(tray->IconIndex(), 1);
}

TEST_F(TrayImages, CyclingStartsFromTheFirstImageOnTheTimer) {
    tray->SetIconList(images);
    tray->SetIconIndex(2);
    tray->SetCycleInterval(40);
    EXPECT_EQ(tray->CycleTimer()->Interval(), 40u);
    Recorder r;
    r.Listen(*tray);
    tray->SetCycleIcons(true);
    EXPECT_EQ(tray->IconIndex(), 0);
    EXPECT_TRUE(tray->CycleTimer()->Enabled());
    EXPECT_TRUE(WaitFor([&] { return r.lines.size() >= 2; }, 5000));
    tray->SetCycleIcons(false);
    EXPECT_FALSE(tray->CycleTimer()->Enabled());
    EXPECT_EQ(r.lines[0], "cycle 1");
    EXPECT_EQ(r.lines[1], "cycle 2");
}

// ------------------------------------------------ the application and owner windows

TEST_F(TrayIcon, MinimisingSendsToTheTrayAndRevealingBringsEverythingBack) {
    Application->SetMainForm(owner);
    GiveIcon();
    owner->Show();
    ShowWindow(Application->Handle(), SW_RESTORE);

    // Without MinimizeToTray the application window just minimises.
    Application->Minimize();
    EXPECT_TRUE(owner->Visible());
    EXPECT_TRUE(IsIconic(Application->Handle()));
    EXPECT_EQ(Icons(), 0);
    ShowWindow(Application->Handle(), SW_RESTORE);

    tray->MinimizeToTray = true;
    Application->Minimize();
    EXPECT_FALSE(owner->Visible());
    EXPECT_FALSE(IsWindowVisible(owner->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));

    tray->RevealMainForm();
    EXPECT_TRUE(IsWindowVisible(owner->Handle()));
    EXPECT_TRUE(IsWindowVisible(Application->Handle()));
    EXPECT_FALSE(IsIconic(Application->Handle()));
    EXPECT_EQ(Icons(), 1);

    tray->ConcealMainForm();
    EXPECT_FALSE(IsWindowVisible(owner->Handle()));
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
}

TEST_F(TrayIcon, TheFirstPositionChangeWithAMainWindowHidesTheApplicationWindowOfAnMdiParentOnce) {
    HWND app = Application->Handle();
    tray->StartMinimized = true;
    owner->SetFormStyle(fsMDIForm);
    // No main window yet: nothing happens and the rule waits.
    ShowWindow(app, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(app));
    Application->SetMainForm(owner);
    SetWindowPos(app, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_FALSE(IsWindowVisible(app));
    // Only the first one.
    ShowWindow(app, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(app));
}

TEST_F(TrayIcon, ShowingTheOwnerRestoresTheApplicationWindow) {
    ShowWindow(Application->Handle(), SW_HIDE);
    owner->Show();
    EXPECT_TRUE(IsWindowVisible(Application->Handle()));
    EXPECT_FALSE(IsIconic(Application->Handle()));
    owner->Hide();
}

TEST_F(TrayIcon, ATaskbarThatComesBackGetsTheIconOnceAndOnlyWhileVisible) {
    GiveIcon();
    tray->SetIconVisible(true);
    ASSERT_TRUE(WaitFor([] { return Icons() == 1; }));
    SendMessageA(Application->Handle(), TaskbarCreatedMessage, 0, 0);
    EXPECT_EQ(Icons(), 1);

    // The taskbar lost it (as when the shell restarts).
    NOTIFYICONDATAA gone{};
    gone.cbSize = sizeof(TNotifyIconRecord);
    gone.hWnd = tray->TrayWindow();
    gone.uID = 1;
    Shell_NotifyIconA(NIM_DELETE, &gone);
    ASSERT_TRUE(WaitFor([] { return Icons() == 0; }));
    // The tray window itself ignores the broadcast; the application window's hook reacts.
    SendMessageA(tray->TrayWindow(), TaskbarCreatedMessage, 0, 0);
    EXPECT_EQ(Icons(), 0);
    SendMessageA(Application->Handle(), TaskbarCreatedMessage, 0, 0);
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
    SendMessageA(Application->Handle(), TaskbarCreatedMessage, 0, 0);
    EXPECT_EQ(Icons(), 1);

    tray->SetIconVisible(false);
    ASSERT_TRUE(WaitFor([] { return Icons() == 0; }));
    SendMessageA(Application->Handle(), TaskbarCreatedMessage, 0, 0);
    EXPECT_EQ(Icons(), 0);
}

TEST_F(TrayIcon, ReactivatingTheOwnerGivesTheFocusBackToItsControl) {
    auto* first = new TButton(owner);
    first->SetParent(owner);
    first->SetBounds(10, 10, 80, 24);
    auto* second = new TButton(owner);
    second->SetParent(owner);
    second->SetBounds(10, 40, 80, 24);
    owner->Show();
    ASSERT_TRUE(WaitFor([&] { return GetActiveWindow() == owner->Handle(); }, 5000));
    second->SetFocus();
    ASSERT_EQ(GetFocus(), second->Handle());

    HWND other = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 500, 500, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    SetActiveWindow(other);
    ASSERT_EQ(GetActiveWindow(), other);
    EXPECT_EQ(owner->ActiveControl(), second);
    SetActiveWindow(owner->Handle());
    EXPECT_EQ(GetFocus(), second->Handle());
    DestroyWindow(other);
    owner->Hide();
}

// ------------------------------------------------------------- stored settings

struct LayoutHandlers {
    int moves = 0;
    void Moved(TObject*, TShiftState, int, int) { ++moves; }
};

TEST(TrayIconLayout, LoadingHidesTheApplicationWindowClearsShowMainFormAndAddsTheIcon) {
    TestApplication();
    RegisterComponentClass<TCoolTrayIcon>("TCoolTrayIcon");
    ShowWindow(Application->Handle(), SW_RESTORE);
    Application->ShowMainForm = true;
    LayoutHandlers handlers;
    TLayoutBindings bindings;
    TCoolTrayIcon* field = nullptr;
    bindings.Field("Tray", field);
    bindings.Handler<&LayoutHandlers::Moved>("Moved", &handlers);
    auto* form = new TForm(nullptr);
    ReadLayoutText(form, &bindings,
                   "object Form1: TForm\n"
                   "  object Tray: TCoolTrayIcon\n"
                   "    CycleInterval = 0\n"
                   "    Hint = 'Stored'\n"
                   "    Icon = 'TRAY_ICON'\n"
                   "    IconIndex = 0\n"
                   "    StartMinimized = True\n"
                   "    MinimizeToTray = True\n"
                   "    OnMouseMove = Moved\n"
                   "  end\n"
                   "end\n",
                   "tray test");
    ASSERT_NE(field, nullptr);
    EXPECT_FALSE(Application->ShowMainForm);
    EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    EXPECT_TRUE(field->StartMinimized);
    EXPECT_TRUE(field->MinimizeToTray);
    EXPECT_EQ(field->Hint(), "Stored");
    EXPECT_EQ(field->Icon().Width(), 16);  // the small-icon image of TRAY_ICON, at 96 dpi
    EXPECT_TRUE(WaitFor([] { return Icons() == 1; }));
    SendMessageA(FindWindowA("TCoolTrayIcon.TrayWindow", nullptr), TrayCallbackMessage, 1, WM_MOUSEMOVE);
    EXPECT_EQ(handlers.moves, 1);

    delete form;
    EXPECT_TRUE(WaitFor([] { return Icons() == 0; }));
    Application->ShowMainForm = true;
}

TEST(TrayIconLayout, AReferenceOfTheWrongKindNamesTheLine) {
    TestApplication();
    RegisterComponentClass<TCoolTrayIcon>("TCoolTrayIcon");
    auto* form = new TForm(nullptr);
    try {
        ReadLayoutText(form, nullptr,
                       "object Form1: TForm\n"
                       "  object Timer1: TTimer\n"
                       "  end\n"
                       "  object Tray: TCoolTrayIcon\n"
                       "    PopupMenu = Timer1\n"
                       "  end\n"
                       "end\n",
                       "tray test");
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(e.Message().find("line 5"), std::string::npos) << e.Message();
        EXPECT_NE(e.Message().find("is not a popup menu"), std::string::npos) << e.Message();
    }
    delete form;
}

}  // namespace
