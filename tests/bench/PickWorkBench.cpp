// The pick handler's own time, measured inside this process on the real
// main window (so the release's arrival in the view is known exactly).
#include <windows.h>
#include <mmsystem.h>

#include <type_traits>

#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "ComCtrls.h"
#include "IconPageText.h"
#include "PickBench.h"
#include "PictureClipboard.h"
#include "PictureView.h"
#include "ProgramUnderTest.h"
#include "TestApplication.h"
#include "CategoryTabs.h"
#include "main.h"
#include "mainobj.h"

using clip_test::ComposePeer;

namespace {

ticonbox* FirstPage(TfrmMain* form) {
    TTabSheet* sheet = form->PageControl1->PageCount() > 0 ? form->PageControl1->Pages(0) : nullptr;
    return sheet ? form->Categories->Page(sheet, true) : nullptr;  // made as showing the tab would
}

// The time of `work`, run after run; work that returns a time of its own
// (leaving out its preparation) gives that instead, or a negative one when
// it failed, which is left out.
template <class Work>
std::vector<double> TimeRuns(int runs, Work work) {
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        const double start = NowMs();
        if constexpr (std::is_same_v<decltype(work()), double>) {
            if (const double t = work(); t >= 0) ms.push_back(t);  // negative: it failed
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
    // The sound file beside the program, as in its own folder.
    const std::string data = WinePath(LIBRARY_DIR_UNIX) + "\\..\\";
    CopyFileA((data + "sound.wav").c_str(), (app / "sound.wav").c_str(), FALSE);
    AppFolder = app.Path() + "\\";
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
    // The first pick, not counted, also switches the compose window to HTML.
    auto picks = [&] {
        std::vector<double> ms;
        for (int run = 0; run <= config.runs; ++run) {
            const double t = pick();
            if (run == 0) continue;
            if (t >= 0) ms.push_back(t);
            Progress("pick handler %d: %.2f ms", run, t);
        }
        return ms;
    };

    // Nothing after the Ctrl+V in the handler: the sound and the hiding off.
    DoMinimizeFlag = false;
    SoundOnFlag = false;
    DoSetHtmlFlag = true;
    LastComposeWindow = nullptr;
    const std::string section = "3. pick";
    report.Add({section, "pick handler, from the release to Ctrl+V sent", "ms", picks()});
    // The handler's parts that can be called alone.
    const std::string path = ForwardSlashPath(view->File(0));
    report.Add({section, "  of which the clipboard (PutHtmlOnClipboard)", "ms",
                TimeRuns(config.runs, [&] { PutHtmlOnClipboard("", path); })});
    // For a program that is no mail client: the picture encoded at its first
    // pick (each picture of the default library once), then from the cache.
    std::vector<double> encoded;
    for (const std::string& picture : DefaultLibraryPictures()) {
        ForgetClipboardPictures();
        const double start = NowMs();
        try {
            EncodeClipboardPicture(picture);
            encoded.push_back(NowMs() - start);
        } catch (const std::exception& e) {
            Progress("%s not encoded: %s", picture.c_str(), e.what());
        }
    }
    report.Add({section, "  the picture encoded for another program, each picture of the default library "
                         "(EncodeClipboardPicture)", "ms", encoded});
    report.Add({section, "  the picture for another program on the clipboard, encoded before (PutPictureOnClipboard)",
                "ms", TimeRuns(config.runs, [&] { PutPictureOnClipboard(path); })});
    report.Add({section, "  of which finding the compose window (ComposeClientKind)", "ms",
                TimeRuns(config.runs, [] { ComposeClientKind(); })});
    // From the same state as a pick: this window in front, the compose window behind.
    report.Add({section, "  of which the compose window to the front, its focus waited for, Ctrl+V (PasteIntoCompose)",
                "ms", TimeRuns(config.runs, [&] {
                    SetForegroundWindow(form->Handle());
                    WaitFor([&] { return GetForegroundWindow() == form->Handle(); }, 5000);
                    WaitUntilPeerLostFocus(peer);
                    const size_t before = peer.Pastes().size();
                    const double start = NowMs();
                    PasteIntoCompose();
                    const double ms = NowMs() - start;
                    return peer.WaitForPastes(before + 1) ? ms : -1.0;
                })});
    report.Add({section, "    of which the keys alone, the compose window in front (SendKeyCombo)", "ms",
                TimeRuns(config.runs, [&] {
                    const size_t before = peer.Pastes().size();
                    const double start = NowMs();
                    SendKeyCombo(VK_CONTROL, 'V');
                    const double ms = NowMs() - start;
                    return peer.WaitForPastes(before + 1) ? ms : -1.0;
                })});
    // What follows the Ctrl+V as the program ships (sound on, minimise on): the
    // sound starts (on a thread of its own, kPickSoundDelayMs later), the
    // window goes to the tray.
    report.Add({section, "after the Ctrl+V: starting the sound (PlaySound, asynchronous, 50 ms later elsewhere)", "ms", TimeRuns(config.runs, [] {
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
