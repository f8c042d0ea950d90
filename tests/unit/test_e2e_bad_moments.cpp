// The real Tovira.exe at bad moments: another program holds the clipboard
// when a picture is picked; the compose window closes the moment the paste
// brings it to the front; no taskbar takes the icon at start. Every case:
// no crash, no hang, and the program works again once the moment passed.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "EndToEndChecks.h"
#include "SharedProgramTest.h"

namespace {

// Wine's tray comes and goes with its first and last icon, seconds each;
// one icon of ours keeps it up, so programs start and end quickly.
[[maybe_unused]] auto* const trayKeeper = ::testing::AddGlobalTestEnvironment(new WineTrayKeeper);

using clip_test::ComposePeer;

// Another program's hold on the clipboard: a thread of this process opens
// it for a window of its own and keeps it open until released.
class ClipboardHolder {
public:
    ClipboardHolder() {
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, opened] {
            HWND wnd = CreateWindowExA(0, "STATIC", "holder", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
            held_ = OpenClipboard(wnd) != FALSE;
            SetEvent(opened);
            WaitForSingleObject(release_, INFINITE);
            if (held_) CloseClipboard();
            DestroyWindow(wnd);
        });
        WaitForSingleObject(opened, 10000);
        CloseHandle(opened);
    }
    ~ClipboardHolder() { Release(); CloseHandle(release_); }
    bool Held() const { return held_; }
    void Release() {
        SetEvent(release_);
        if (thread_.joinable()) thread_.join();
    }

private:
    HANDLE release_;
    std::thread thread_;
    std::atomic<bool> held_{false};
};

// A taskbar that is there but takes no icons, as one still starting up:
// a window of the taskbar's class ahead of the real one, which
// Shell_NotifyIcon talks to (it finds the taskbar by that class). Its own
// thread answers, logging each notify-icon call (message, icon window).
class RefusingTaskbar {
public:
    RefusingTaskbar() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = std::thread([this, ready] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "Shell_TrayWnd";
            RegisterClassA(&wc);
            wnd_ = CreateWindowExA(WS_EX_NOACTIVATE, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                   wc.hInstance, nullptr);
            SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
            SetEvent(ready);
            MSG msg;
            while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
            UnregisterClassA("Shell_TrayWnd", wc.hInstance);
        });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~RefusingTaskbar() { Go(); }
    // Ahead of the real taskbar's window: the one that is found.
    bool InFront() const { return FindWindowA("Shell_TrayWnd", nullptr) == wnd_ && wnd_; }
    // The calls received: (NIM_ message, the icon's window).
    std::vector<std::pair<DWORD, HWND>> Calls() {
        std::lock_guard<std::mutex> lock(mutex_);
        return calls_;
    }
    // The window goes, and with it the thread.
    void Go() {
        if (wnd_) PostMessageA(wnd_, WM_CLOSE, 0, 0);
        if (thread_.joinable()) thread_.join();
        wnd_ = nullptr;
    }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<RefusingTaskbar*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (msg == WM_COPYDATA && self) {
            const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->calls_.emplace_back(static_cast<DWORD>(data->dwData), reinterpret_cast<HWND>(wp));
            return FALSE;  // refused
        }
        if (msg == WM_DESTROY) PostQuitMessage(0);
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    std::thread thread_;
    HWND wnd_ = nullptr;
    std::mutex mutex_;
    std::vector<std::pair<DWORD, HWND>> calls_;
};

// Every key stroke on this desktop while it lives, real or synthesized,
// seen through a low-level keyboard hook (called while this thread pumps).
class KeyWatch {
public:
    KeyWatch() {
        instance_ = this;
        hook_ = SetWindowsHookExA(WH_KEYBOARD_LL, Proc, GetModuleHandleA(nullptr), 0);
    }
    ~KeyWatch() {
        if (hook_) UnhookWindowsHookEx(hook_);
        instance_ = nullptr;
    }
    bool Active() const { return hook_ != nullptr; }
    // "down 18", "up 86"...
    const std::vector<std::string>& Keys() const { return keys_; }

private:
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        if (code == HC_ACTION && instance_) {
            const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
            const bool up = wp == WM_KEYUP || wp == WM_SYSKEYUP;
            instance_->keys_.push_back(std::string(up ? "up " : "down ") + std::to_string(key->vkCode));
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline KeyWatch* instance_ = nullptr;
    HHOOK hook_ = nullptr;
    std::vector<std::string> keys_;
};

// A program window that is no compose window and logs its keys: where
// stray key strokes would land.
std::unique_ptr<ComposePeer> Bystander() { return std::make_unique<ComposePeer>("Bystander", "Notes"); }

// A menu window of the program shown now (a menu dropped by stray Alt keys).
bool MenuShown(const ProgramUnderTest& program) { return program.FindOwnWindow("#32768", nullptr) != nullptr; }

class BadMoments : public SharedProgramTest<BadMoments> {
public:
    static void Prepare(TempFolder& folder) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc
        folder.WriteFile("images\\general\\smile.gif", e2e::TestPicture("smile.gif"));
        smilePath = e2e::Slashed(folder.Path()) + "/images/general/smile.gif";
    }

protected:
    void SetUp() override {
        SharedProgramTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(e2e::Answers(program->Main()));
    }
    static HWND View() {
        if (!program->Reveal()) return nullptr;
        return e2e::ShownView(*program);
    }

    static inline std::string smilePath;
};

TEST_F(BadMoments, AClipboardHeldElsewhereFailsThePickWithAReportAndALaterPickWorks) {
    ComposePeer note("ATH_Note", "Compose");
    ClipboardHolder holder;
    ASSERT_TRUE(holder.Held());
    HWND view = View();
    ASSERT_NE(view, nullptr);
    const DWORD start = GetTickCount();
    ASSERT_TRUE(e2e::ClickPicture(view, 1));
    // The standard error report, at once: no wait on the clipboard.
    HWND box = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (box = program->FindOwnWindow("#32770", "Tovira 1.0")) != nullptr; }));
    e2e::Report("clipboard held: pick to error report", start);
    std::printf("[ observed ] report: %s\n", MessageBoxText(box).c_str());
    EXPECT_FALSE(MessageBoxText(box).empty());
    EXPECT_TRUE(e2e::Answers(program->Main()));
    EXPECT_TRUE(note.Pastes().empty());
    EXPECT_TRUE(IsWindowVisible(program->Main()));  // the pick ended before hiding
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }));

    holder.Release();
    ASSERT_TRUE(e2e::ClickPicture(view, 1));
    e2e::ExpectPasted(*program, note, 1, smilePath);
}

TEST_F(BadMoments, AComposeWindowClosingAsThePasteBeginsTakesNoStrayKeys) {
    auto bystander = Bystander();
    auto vanishing = std::make_unique<ComposePeer>("ATH_Note", "Compose", "--close-on-activate");
    HWND view = View();
    ASSERT_NE(view, nullptr);
    // It lost the activation to the program: the next one closes it.
    ASSERT_TRUE(WaitFor([&] { return vanishing->CountLinesStartingWith("activate off") > 0; }));
    RECT r{};
    ASSERT_TRUE(WaitFor([&] { return PictureOnScreen(view, 1, r); }));
    KeyWatch watch;
    ASSERT_TRUE(watch.Active());
    ASSERT_TRUE(ClickAtScreen(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
    // The pick ends as with no compose window: the notice for a second,
    // then the tray.
    EXPECT_TRUE(WaitFor([&] {
        HWND notice = ProgramUnderTest::FindChild(program->Main(), "Tovira.TPanel", "No e-mail window opened");
        return notice && IsWindowVisible(notice);
    }, 5000));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(vanishing->Window()); }));
    EXPECT_EQ(vanishing->CountLinesStartingWith("closing"), 1u);
    EXPECT_TRUE(WaitFor([&] { return e2e::Answers(program->Main(), 1000) && !IsWindowVisible(program->Main()); }));
    // No key strokes went out for a window that is gone: they would land
    // in whatever window has the focus now.
    std::printf("[ observed ] keys on the desktop after the compose window went:");
    for (const std::string& k : watch.Keys()) std::printf(" [%s]", k.c_str());
    std::printf("\n");
    EXPECT_TRUE(watch.Keys().empty());
    ASSERT_TRUE(program->Reveal());
    EXPECT_TRUE(e2e::Answers(program->Main()));
    EXPECT_FALSE(MenuShown(*program));
    std::printf("[ observed ] bystander keys:");
    for (const std::string& k : bystander->Keys()) std::printf(" [%s]", k.c_str());
    std::printf("\n");
    EXPECT_TRUE(bystander->Keys().empty());

    // A compose window that stays gets the switch and the paste as usual.
    vanishing.reset();
    ComposePeer note("ATH_Note", "Compose");
    ASSERT_TRUE(e2e::ClickPicture(view, 1));
    e2e::ExpectPasted(*program, note, 1, smilePath);
    const std::vector<std::string> switchAndPaste = {"down 18", "down 79", "up 79", "up 18", "down 82", "up 82",
                                                     "down 17", "down 86", "up 86", "up 17"};
    EXPECT_EQ(note.Keys(), switchAndPaste);
    EXPECT_TRUE(bystander->Keys().empty());
}

// A compose window whose program stops answering the moment the paste
// brings it to the front: every message to it is bounded, so this
// program's own window answers again within a second while the other hangs.
TEST_F(BadMoments, AHungComposeWindowDoesNotFreezeTheProgram) {
    ComposePeer hung("ATH_Note", "Compose", "--hang-on-activate 60");
    HWND view = View();
    ASSERT_NE(view, nullptr);
    // It lost the activation to the program: the next one hangs it.
    ASSERT_TRUE(WaitFor([&] { return hung.CountLinesStartingWith("activate off") > 0; }));
    ASSERT_TRUE(e2e::ClickPicture(view, 1));
    ASSERT_TRUE(WaitFor([&] { return hung.CountLinesStartingWith("hanging") > 0; }));
    EXPECT_TRUE(WaitFor([&] { return e2e::Answers(program->Main(), 1000); }, 10000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(program->Main()); }));  // the pick went to its end
    // Hiding waits for a window manager under Wine (seconds), then it answers again.
    EXPECT_TRUE(WaitFor([&] { return e2e::Answers(program->Main(), 1000); }, 10000));
    EXPECT_FALSE(e2e::Answers(hung.Window(), 500)) << "the compose window was not hung all along";
}

TEST_F(BadMoments, ClosingWritesTheOptionsAndEnds) {
    ASSERT_TRUE(e2e::CloseAndWait(*program));
    // The pictures picked so far follow in the section Recent.
    const std::string ini = TempFolder::ReadFile(*app / "Tovira.ini");
    EXPECT_EQ(ini.rfind("[Options]\r\nDoMinimize=1\r\nDoSetHtml=1\r\nSound On=1\r\nHotkey=Win+Shift+E\r\nPasteAnywhere=1\r\n", 0), 0u) << ini;
}

// No taskbar takes the icon at start (under Wine a tray is always there, so
// a refusing one stands in front of it); the icon comes with the
// "TaskbarCreated" broadcast of the taskbar that takes over, once.
TEST(NoTaskbarAtStart, TheIconComesWithTaskbarCreatedAndTheProgramWorksMeanwhile) {
    TempFolder app;
    app.MakeFolder("images");
    app.MakeFolder("images\\general");
    const size_t iconsBefore = WineTrayIcons().size();
    RefusingTaskbar taskbar;
    ASSERT_TRUE(taskbar.InFront());
    ProgramUnderTest program(app);
    ASSERT_TRUE(program.LaunchAndWaitForWindows());
    const HWND trayWindow = program.FindOwnWindow("TCoolTrayIcon.TrayWindow", nullptr, false);
    ASSERT_TRUE(WaitFor([&] {
        for (const auto& [message, wnd] : taskbar.Calls())
            if (message == NIM_ADD && wnd == trayWindow) return true;
        return false;
    })) << "the program never offered its icon";
    ASSERT_TRUE(WaitFor([&] { return e2e::Answers(program.Main(), 1000); }));
    EXPECT_EQ(WineTrayIcons().size(), iconsBefore);
    EXPECT_TRUE(program.VisibleWindows().empty());  // in the tray that is not there yet

    taskbar.Go();
    DWORD_PTR result = 0;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    ASSERT_TRUE(WaitFor([&] { return WineTrayIcons().size() == iconsBefore + 1; }));
    SendMessageTimeoutA(HWND_BROADCAST, taskbarCreated, 0, 0, SMTO_ABORTIFHUNG, 10000, &result);
    EXPECT_EQ(WineTrayIcons().size(), iconsBefore + 1);
    ASSERT_TRUE(program.Reveal());  // the icon answers the pointer
    ASSERT_TRUE(e2e::CloseAndWait(program));
    EXPECT_TRUE(WaitFor([&] { return WineTrayIcons().size() == iconsBefore; }));
}

}  // namespace
