// PasteIntoCompose against stand-in compose windows in other processes: which
// window is the target and which key strokes it receives.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ClipboardPayload.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "TestApplication.h"
#include "clip_peer.h"
#include "main.h"
#include "mainobj.h"
#include "PayloadLiterals.h"

namespace {

using clip_test::ComposePeer;
using Keys = std::vector<std::string>;

const Keys kAltO = {"down 18", "down 79", "up 79", "up 18"};
const Keys kR = {"down 82", "up 82"};
const Keys kH = {"down 72", "up 72"};
const Keys kCtrlV = {"down 17", "down 86", "up 86", "up 17"};

// A peer's whole log on one line (keys, activation and focus), for failures.
std::string LogOf(const ComposePeer& peer) {
    std::string all;
    for (const std::string& line : peer.Log()) all += line + "; ";
    return all;
}

Keys Concat(std::initializer_list<Keys> parts) {
    Keys all;
    for (const Keys& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

class Paste : public ::testing::Test {
protected:
    void SetUp() override {
        LastComposeWindow = nullptr;
        DoSetHtmlFlag = true;
        SoundOnFlag = false;
        NoticePanel = nullptr;
        PutHtmlOnClipboard("", kPath);
    }

    // Pastes and waits until `peer` has taken its `pasteNumber`-th Ctrl+V and
    // released Ctrl, so every key of this paste is in its log.
    static void PasteInto(const ComposePeer& peer, size_t pasteNumber) {
        PasteIntoCompose();
        ASSERT_TRUE(WaitFor([&] {
            const Keys keys = peer.Keys();
            return peer.Pastes().size() >= pasteNumber && !keys.empty() && keys.back() == "up 17";
        })) << "paste " << pasteNumber << " did not arrive; the window's log: " << LogOf(peer);
    }

    // Sends F9 to `peer` and waits for it: every key sent before has arrived by then.
    static Keys KeysUpToMarker(const ComposePeer& peer) {
        EXPECT_TRUE(peer.BringToFront());
        SendKeyCombo(0, VK_F9);
        Keys keys;
        EXPECT_TRUE(WaitFor([&] {
            keys = peer.Keys();
            return !keys.empty() && keys.back() == "up 120";
        }));
        keys.resize(keys.size() >= 2 ? keys.size() - 2 : 0);
        return keys;
    }

    static constexpr const char* kPath = literal::kSmileFacePath;
};

TEST_F(Paste, SwitchesAWindowToHtmlOnlyBeforeItsFirstPaste) {
    ComposePeer note("ATH_Note", "Compose 1");
    PasteInto(note, 1);
    EXPECT_EQ(LastComposeWindow, note.Window());
    PasteInto(note, 2);
    EXPECT_EQ(note.Keys(), Concat({kAltO, kR, kCtrlV, kCtrlV}));
    // The clipboard fragment is what the window pasted, both times.
    EXPECT_EQ(note.Pastes(), (std::vector<std::string>{literal::kSmileFacePlain, literal::kSmileFacePlain}));
}

TEST_F(Paste, ReachesAWindowThatIsNotInTheForeground) {
    ComposePeer note("ATH_Note", "Compose");
    ComposePeer elsewhere("SomeOtherProgram", "busy");
    for (bool switchFirst : {true, false}) {
        SCOPED_TRACE(switchFirst ? "with the switch to HTML" : "paste only");
        LastComposeWindow = switchFirst ? nullptr : note.Window();
        ASSERT_TRUE(elsewhere.BringToFront());
        PasteInto(note, switchFirst ? 1 : 2);
    }
    EXPECT_EQ(note.Keys(), Concat({kAltO, kR, kCtrlV, kCtrlV}));
}

TEST_F(Paste, OnlyTheLastWindowIsRemembered) {
    ComposePeer a("rctrl_renwnd32", "A");
    ComposePeer b("rctrl_renwnd32", "B");
    // The top-level lookup returns the window highest in the Z order.
    auto raise = [](const ComposePeer& peer) {
        SetWindowPos(peer.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        ASSERT_EQ(FindWindowA("rctrl_renwnd32", nullptr), peer.Window());
    };
    raise(a);
    PasteInto(a, 1);
    raise(b);
    PasteInto(b, 1);
    raise(a);
    PasteInto(a, 2);
    EXPECT_EQ(a.Keys(), Concat({kAltO, kH, kCtrlV, kAltO, kH, kCtrlV}));
    EXPECT_EQ(b.Keys(), Concat({kAltO, kH, kCtrlV}));
}

TEST_F(Paste, OptionOffSendsNoSwitchAndKeepsTheRememberedWindow) {
    ComposePeer note("ATH_Note", "Compose");
    HWND remembered = GetDesktopWindow();
    LastComposeWindow = remembered;
    DoSetHtmlFlag = false;
    PasteInto(note, 1);
    EXPECT_EQ(note.Keys(), kCtrlV);
    EXPECT_EQ(LastComposeWindow, remembered);

    // Turned on again, the window pasted into before is switched now.
    DoSetHtmlFlag = true;
    PasteInto(note, 2);
    EXPECT_EQ(note.Keys(), Concat({kCtrlV, kAltO, kR, kCtrlV}));
    EXPECT_EQ(LastComposeWindow, note.Window());
}

TEST_F(Paste, ThirdClientGetsNoSwitchKeysButTheHeadedFragment) {
    ComposePeer mozilla("MozillaWindowClass", "Write: (no subject)");
    ASSERT_EQ(ComposeClientKind(), 3);
    PutHtmlOnClipboard(std::string(HtmlClipboardHeader), kPath);
    PasteInto(mozilla, 1);
    EXPECT_EQ(mozilla.Keys(), kCtrlV);
    EXPECT_EQ(LastComposeWindow, mozilla.Window());
    EXPECT_EQ(mozilla.Pastes(), std::vector<std::string>{literal::kSmileFaceHeaded});
}

TEST_F(Paste, TableOrderDecidesTheTarget) {
    ComposePeer mozilla("MozillaWindowClass", "Write");
    ComposePeer note("ATH_Note", "Compose");
    SetForegroundWindow(mozilla.Window());
    ASSERT_EQ(ComposeClientKind(), 1);
    PasteInto(note, 1);
    EXPECT_EQ(note.Keys(), Concat({kAltO, kR, kCtrlV}));
    EXPECT_EQ(KeysUpToMarker(mozilla), Keys{}) << LogOf(mozilla);
}

TEST_F(Paste, FallbackWindowOnlyWithTheExactTitle) {
    ComposePeer other("AfxFrameOrView42", "New Message - Draft");
    ASSERT_EQ(ComposeClientKind(), 0);
    SetForegroundWindow(other.Window());
    PasteIntoCompose();
    EXPECT_EQ(KeysUpToMarker(other), Keys{});
    EXPECT_EQ(LastComposeWindow, nullptr);

    ComposePeer fallback("AfxFrameOrView42", "New Message");
    ASSERT_EQ(ComposeClientKind(), 0);  // the lookup for the pick ignores it
    PasteInto(fallback, 1);
    EXPECT_EQ(fallback.Keys(), kCtrlV);
    EXPECT_EQ(LastComposeWindow, fallback.Window());
}

// ---- No compose window ----------------------------------------------------

// Watches a window's visible style from another thread while this one blocks.
class VisibilityWatch {
public:
    explicit VisibilityWatch(HWND wnd)
        : thread_([this, wnd] {
              for (;;) {
                  const bool stopping = stop_;  // one more look after the stop request
                  const bool visible = (GetWindowLongA(wnd, GWL_STYLE) & WS_VISIBLE) != 0;
                  const auto now = std::chrono::steady_clock::now();
                  if (visible && !shownAt_) shownAt_ = now;
                  if (!visible && shownAt_ && !hiddenAt_) hiddenAt_ = now;
                  if (stopping) return;
                  Sleep(5);
              }
          }) {}
    ~VisibilityWatch() { Stop(); }
    void Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
    }
    // How long the window was seen visible; -1 unless it was shown and hidden again.
    long ShownMilliseconds() const {
        if (!shownAt_ || !hiddenAt_) return -1;
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(*hiddenAt_ - *shownAt_).count());
    }

private:
    std::atomic<bool> stop_{false};
    std::optional<std::chrono::steady_clock::time_point> shownAt_, hiddenAt_;
    std::thread thread_;
};

TEST_F(Paste, WithoutComposeWindowTheNoticeShowsForASecondAndNoKeyIsSent) {
    TestApplication();
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 120);
    auto* panel = new TPanel(form.get());
    panel->SetParent(form.get());
    panel->SetCaption("No e-mail window opened");
    panel->Hide();
    form->Show();
    const HWND panelWnd = panel->Handle();
    NoticePanel = panel;
    SoundOnFlag = true;

    ComposePeer bystander("SomeOtherProgram", "busy");
    ASSERT_TRUE(bystander.BringToFront());
    {
        VisibilityWatch watch(panelWnd);
        const auto start = std::chrono::steady_clock::now();
        PasteIntoCompose();
        const auto took = std::chrono::steady_clock::now() - start;
        watch.Stop();
        EXPECT_GE(took, std::chrono::milliseconds(990));
        EXPECT_GE(watch.ShownMilliseconds(), 900);
        EXPECT_LT(watch.ShownMilliseconds(), 3000);
    }
    EXPECT_FALSE(panel->Visible());
    EXPECT_EQ(LastComposeWindow, nullptr);
    EXPECT_EQ(KeysUpToMarker(bystander), Keys{});
    // The fragment stays on the clipboard for a later paste by hand.
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("HTML Format")));
    NoticePanel = nullptr;
}

// ---- A target that goes away in the middle ---------------------------------

LRESULT CALLBACK VanishingWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) {
        DestroyWindow(wnd);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

TEST_F(Paste, TargetClosingWhileBeingBroughtToTheFrontRaisesNothing) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = VanishingWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ATH_Note";
    ASSERT_TRUE(RegisterClassA(&wc));
    HWND target = CreateWindowExA(0, "ATH_Note", "vanishing", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(target);
    ShowWindow(target, SW_SHOWNOACTIVATE);

    SoundOnFlag = true;
    AppFolder = "C:\\no such folder\\";
    EXPECT_NO_THROW(PasteIntoCompose());
    EXPECT_FALSE(IsWindow(target)) << "the window was to close as it was activated";
    MSG msg;  // the key strokes went to this thread, which has no focus window
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    UnregisterClassA("ATH_Note", wc.hInstance);
}


// ---- The sound -------------------------------------------------------------

// Stands in for the sound: records each file it is asked to play and on which
// thread, after holding the caller until the test lets it go.
struct SoundRecorder {
    static inline HANDLE release = nullptr;
    static inline std::atomic<int> calls{0};
    static inline std::atomic<bool> heldUntilReleased{false};
    static inline std::atomic<DWORD> thread{0};
    static inline std::string firstFile;

    static void Play(const char* file) {
        const bool released = WaitForSingleObject(release, 10000) == WAIT_OBJECT_0;
        if (calls.fetch_add(1) == 0) {
            firstFile = file;
            heldUntilReleased = released;
            thread = GetCurrentThreadId();
        }
    }
};

TEST_F(Paste, TheSoundStartsOnAnotherThreadAfterThePickAndOnlyWhenOn) {
    ComposePeer note("ATH_Note", "Compose");
    SoundRecorder::release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // Put back however the case ends (a failed assertion included), so
    // later cases play through the system again.
    struct RestorePlayer {
        SoundPlayer saved;
        ~RestorePlayer() {
            PickSoundPlayer = saved;
            SetEvent(SoundRecorder::release);  // lets a late call go before the event does
            CloseHandle(SoundRecorder::release);
        }
    } restore{PickSoundPlayer};
    PickSoundPlayer = SoundRecorder::Play;

    // Sound off first: had it been scheduled, it would come first.
    AppFolder = "C:\\off\\";
    PasteInto(note, 1);
    SoundOnFlag = true;
    AppFolder = "C:\\on\\";
    PasteInto(note, 2);
    // The pick is over before the sound is started: the recorder, holding its
    // caller until now, would have kept the paste from returning.
    SetEvent(SoundRecorder::release);
    EXPECT_TRUE(WaitFor([] { return SoundRecorder::calls.load() >= 1; }));
    EXPECT_EQ(SoundRecorder::firstFile, "C:\\on\\sound.wav");
    EXPECT_TRUE(SoundRecorder::heldUntilReleased.load());
    EXPECT_NE(SoundRecorder::thread.load(), GetCurrentThreadId());

}

}  // namespace
