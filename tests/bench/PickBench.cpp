#include "PickBench.h"

#include <windows.h>

#include <mmsystem.h>

#include <sstream>
#include <type_traits>

#include "BenchInput.h"
#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "ComCtrls.h"
#include "IconPageText.h"
#include "PictureView.h"
#include "ProgramUnderTest.h"
#include "TestApplication.h"
#include "main.h"
#include "mainobj.h"

using clip_test::ComposePeer;

namespace {

// The peer's key log: the stamps of its V presses, and whether the last
// key it took was the release of Ctrl (every key of a paste is in then).
struct PeerKeys {
    std::vector<double> vStamps;
    bool ctrlReleased = false;
};

PeerKeys ReadPeerKeys(const ComposePeer& peer) {
    PeerKeys keys;
    for (const std::string& line : peer.Log()) {
        std::istringstream in(line);
        std::string tag, direction, kind;
        int vk = 0;
        double stamp = -1;
        if (!(in >> tag >> direction >> kind >> vk) || tag != "key") continue;
        in >> stamp;
        if (direction == "down" && vk == 'V') keys.vStamps.push_back(stamp);
        keys.ctrlReleased = direction == "up" && vk == VK_CONTROL;
    }
    return keys;
}

// Waits (bounded) until the peer's window has lost the keyboard focus, as
// it has when the user clicks into another program.
void WaitUntilPeerLostFocus(const ComposePeer& peer) {
    const DWORD thread = GetWindowThreadProcessId(peer.Window(), nullptr);
    PollUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return !GetGUIThreadInfo(thread, &info) || info.hwndFocus != peer.Window();
        },
        2000, 5);
}

}  // namespace

std::vector<double> CtrlVStamps(const ComposePeer& peer) { return ReadPeerKeys(peer).vStamps; }

double ClickToCtrlV(const ComposePeer& peer, const std::function<bool()>& prepare) {
    if (!prepare()) return -1;
    WaitUntilPeerLostFocus(peer);
    const size_t before = CtrlVStamps(peer).size();
    const double start = NowMs();
    if (!ClickHere()) return -1;
    PeerKeys keys;
    // The peer stamps the arrival itself: this wait's pace only spares the processor.
    if (!PollUntil(
            [&] {
                keys = ReadPeerKeys(peer);
                return keys.vStamps.size() > before && keys.ctrlReleased;
            },
            10000, 20))
        return -1;
    const double arrived = keys.vStamps[before];
    return arrived < 0 ? -1 : arrived / 1000.0 - start;
}

std::vector<double> BarePasteLatencies(const ComposePeer& peer, const std::string& picturePath, int runs) {
    std::vector<double> ms;
    TempFolder folder;
    const std::string ready = folder / "bare.ready";
    const std::string exe = WinePath(std::string(PEERS_DIR_UNIX) + "/bare_paste.exe");
    std::string command = "\"" + exe + "\" --path \"" + picturePath + "\" --ready \"" + ready +
                          "\" --bounds 40,420,320,200";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return ms;
    std::string text;
    HWND bare = nullptr;
    if (WaitFor([&] { return !(text = TempFolder::ReadFile(ready)).empty(); }, 20000))
        bare = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::stoul(text)));
    RECT client{};
    if (bare) {
        GetClientRect(bare, &client);
        MapWindowPoints(bare, nullptr, reinterpret_cast<POINT*>(&client), 2);
        for (int run = 0; bare && run <= runs; ++run) {
            const double latency = ClickToCtrlV(peer, [&] {
                SetForegroundWindow(bare);
                return PollUntil([&] { return GetForegroundWindow() == bare; }, 5000, 5) && PointTo(Centre(client));
            });
            if (run == 0) continue;  // as for Tovira: the first one warms up
            if (latency >= 0) ms.push_back(latency);
            Progress("bare paste %d: click to Ctrl+V %.1f ms", run, latency);
        }
        PostMessageA(bare, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ms;
}

namespace {

ticonbox* FirstPage(TfrmMain* form) {
    TTabSheet* sheet = form->PageControl1->PageCount() > 0 ? form->PageControl1->Pages(0) : nullptr;
    for (int i = 0; sheet && i < sheet->ComponentCount(); ++i)
        if (auto* page = dynamic_cast<ticonbox*>(sheet->Components(i))) return page;
    return nullptr;
}

// The time of `work`, run after run; work that returns a time of its own
// (leaving out its preparation) gives that instead.
template <class Work>
std::vector<double> TimeRuns(int runs, Work work) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        if constexpr (std::is_same_v<decltype(work()), double>) {
            ms.push_back(work());
        } else {
            work();
            ms.push_back(NowMs() - start);
        }
    }
    return ms;
}

}  // namespace

// The real main window in this process, a tab of 125 pictures, the stand-in
// compose window in its own. A click is a press and a release sent to the
// view's window: the release runs the pick to its end before it returns.
void MeasurePickWork(BenchReport& report, const BenchConfig& config) {
    TestApplication();
    TempFolder app;
    app.MakeFolder("images");
    MakeCategory(app, "general", 125, DefaultLibraryPictures());
    ComposePeer peer("ATH_Note", "New Message", "--bounds 40,120,360,220");
    TfrmMain* form = Application->CreateForm<TfrmMain>(nullptr);
    form->ImagesDir = app / "images";
    form->LoadCategories();
    ticonbox* page = FirstPage(form);
    TPictureView* view = page ? page->NativeView() : nullptr;
    if (!view) {
        report.Note("pick handler: the tab shows no picture view");
        return;
    }
    form->Show();
    view->Repaint();
    if (!WaitFor([&] { return view->PictureRect(0).right > 0 && !view->Busy(); }, 20000)) {
        report.Note("pick handler: the view did not lay out its pictures");
        return;
    }
    const RECT box = view->PictureRect(0);
    const LPARAM at = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);

    // One pick as the user makes it: the window in front, the compose window
    // behind it. The time runs from the release's arrival in the view until
    // its handler returns.
    auto pick = [&]() -> double {
        if (!IsWindowVisible(form->Handle())) form->Show();
        SetForegroundWindow(form->Handle());
        WaitFor([&] { return GetForegroundWindow() == form->Handle(); }, 5000);
        WaitUntilPeerLostFocus(peer);
        const size_t before = peer.Pastes().size();
        SendMessageA(view->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        const double start = NowMs();
        SendMessageA(view->Handle(), WM_LBUTTONUP, 0, at);
        const double ms = NowMs() - start;
        return peer.WaitForPastes(before + 1) ? ms : -1;
    };
    auto picks = [&](const char* what) {
        std::vector<double> ms;
        for (int run = 0; run <= config.runs; ++run) {
            const double t = pick();
            if (run > 0 && t >= 0) ms.push_back(t);
            if (run > 0) Progress("pick handler (%s) %d: %.2f ms", what, run, t);
        }
        return ms;
    };

    // Nothing after the Ctrl+V in the handler: the sound and the hiding off.
    DoMinimizeFlag = false;
    SoundOnFlag = false;
    DoSetHtmlFlag = true;
    LastComposeWindow = nullptr;
    const std::string section = "3. pick";
    report.Add({section, "pick handler, from the release to Ctrl+V sent", "ms", picks("sound and hiding off")});
    // The handler's parts that can be called alone.
    const std::string path = ForwardSlashPath(view->File(0));
    report.Add({section, "  of which the clipboard (PutHtmlOnClipboard)", "ms",
                TimeRuns(config.runs, [&] { PutHtmlOnClipboard("", path); })});
    report.Add({section, "  of which finding the compose window (ComposeClientKind)", "ms",
                TimeRuns(config.runs, [] { ComposeClientKind(); })});
    // What the handler does after the Ctrl+V as the program ships (sound on,
    // minimise on): the sound starts, the window goes to the tray.
    report.Add({section, "after the Ctrl+V: the sound (PlaySound, asynchronous)", "ms", TimeRuns(config.runs, [] {
                    PlaySoundA((AppFolder + "sound.wav").c_str(), nullptr, SND_ASYNC);
                })});
    report.Add({section, "after the Ctrl+V: hiding to the tray (HideToTray)", "ms", TimeRuns(config.runs, [&] {
                    form->Show();
                    WaitFor([&] { return IsWindowVisible(form->Handle()) != FALSE; }, 5000);
                    const double start = NowMs();
                    HideToTray();
                    return NowMs() - start;
                })});
}
