#include "LibraryBench.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "BenchInput.h"
#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "PageOnScreen.h"
#include "ProgramUnderTest.h"

namespace {

constexpr int kTabPictures = 125;  // as the first show's tabs

// A moment the program kept in a property of its main window (milliseconds
// on QueryPerformanceCounter, low 32 bits), relative to `startMs`; negative
// when it is not there.
double StepAfter(HWND main, const char* property, double startMs) {
    HANDLE value = GetPropA(main, property);
    if (!value) return -1;
    const auto at = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(value));
    return static_cast<double>(static_cast<LONG>(at - static_cast<DWORD>(startMs)));
}

struct Starts {
    std::vector<double> listed, tabs, tray, ready, watch;
};

// Starts the program `runs` times with the library of `app`; ready is when its
// tab control answers with all `tabs` tabs.
Starts TimeStarts(const TempFolder& app, int tabs, int runs, const char* name) {
    Starts s;
    for (int run = 0; run < runs; ++run) {
        ProgramUnderTest program(app);
        const size_t iconsBefore = WineTrayIcons().size();
        const double start = NowMs();
        if (!program.Launch()) break;
        double tray = -1, ready = -1;
        PollUntil(
            [&] {
                if (tray < 0 && WineTrayIcons().size() > iconsBefore) tray = NowMs() - start;
                HWND main = program.FindMain();
                HWND tabControl = main ? ProgramUnderTest::FindChild(main, "SysTabControl32") : nullptr;
                DWORD_PTR count = 0;
                if (tabControl && SendMessageTimeoutA(tabControl, TCM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &count) &&
                    static_cast<int>(count) == tabs)
                    ready = NowMs() - start;
                return ready >= 0 && tray >= 0;
            },
            60000);
        HWND main = program.FindMain();
        // The watch starts once the queue is empty after start-up.
        PollUntil([&] { return main && GetPropA(main, "Tovira.Step.Watch"); }, 10000);
        s.ready.push_back(ready);
        s.tray.push_back(tray);
        s.listed.push_back(main ? StepAfter(main, "Tovira.Step.Listed", start) : -1);
        s.tabs.push_back(main ? StepAfter(main, "Tovira.Step.Tabs", start) : -1);
        s.watch.push_back(main ? StepAfter(main, "Tovira.Step.Watch", start) : -1);
        Progress("%s, start %d: folders listed %.0f ms, tabs %.0f ms, tray icon %.0f ms, ready %.0f ms", name,
                 run + 1, s.listed.back(), s.tabs.back(), tray, ready);
        if (main) PostMessageA(main, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(program.Process(), 20000) != WAIT_OBJECT_0) TerminateProcess(program.Process(), 1);
        PollUntil([&] { return WineTrayIcons().size() <= iconsBefore; }, 10000, 10);
    }
    return s;
}

void AddSteps(BenchReport& report, const std::string& name, const Starts& s) {
    const std::string section = "1. start-up";
    report.Add({section, name + ": step, category folders listed", "ms", s.listed});
    report.Add({section, name + ": step, tabs made (pages wait for their first show)", "ms", s.tabs});
    report.Add({section, name + ": step, tray icon", "ms", s.tray});
    report.Add({section, name + ": to ready", "ms", s.ready});
    report.Add({section, name + ": step, start-up over (queue empty, folder watch set up)", "ms", s.watch});
}

}  // namespace

void MeasureLibraryStartup(BenchReport& report, const BenchConfig& config) {
    {
        TempFolder large;
        MakeLargeLibrary(large, config.categories, config.picturesPerCategory);
        const std::string name =
            "steps: Tovira, " + std::to_string(config.categories * config.picturesPerCategory) + " pictures";
        AddSteps(report, name, TimeStarts(large, config.categories, config.runs, name.c_str()));
    }
    {
        Progress("generating a library of 20,000 pictures in 100 categories");
        TempFolder huge;
        MakeLargeLibrary(huge, 100, 200);
        AddSteps(report, "Tovira, 20000 pictures in 100 categories",
                 TimeStarts(huge, 100, config.runs, "20,000 pictures"));
    }
    {
        TempFolder many;
        MakeEmptyLibrary(many);
        for (int i = 0; i < 2000; ++i) {
            char folder[32];
            wsprintfA(folder, "images\\c%04d", i);
            many.MakeFolder(folder);
        }
        AddSteps(report, "Tovira, 2000 categories", TimeStarts(many, 2000, config.runs, "2,000 categories"));
    }
}

// Where the bare program drew its pictures (its properties), as the
// first show's page: the boxes in sight, the white margin on the left.
bool LocateBarePictures(HWND wnd, long count, PageOnScreen& page) {
    page.visible = VisibleClient(wnd);
    page.boxes.clear();
    const int height = page.visible.bottom - page.visible.top, width = page.Width();
    for (long i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        const auto at = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(wnd, ("Bare.Box." + n).c_str())));
        const auto end = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(GetPropA(wnd, ("Bare.BoxEnd." + n).c_str())));
        RECT box{LOWORD(at), HIWORD(at), LOWORD(end), HIWORD(end)};
        if (IsRectEmpty(&box) || box.top >= height) continue;
        box.right = std::min<LONG>(box.right, width);
        box.bottom = std::min<LONG>(box.bottom, height);
        page.boxes.push_back(box);
    }
    page.background.clear();
    for (int y = 1; y < height; y += 20) page.background.push_back(POINT{1, y});
    return !page.boxes.empty();
}

void MeasureDecodeYardstick(BenchReport& report, const BenchConfig& config) {
    TempFolder app;
    MakeEmptyLibrary(app);
    MakeCategory(app, "general", kTabPictures, DefaultLibraryPictures());
    const std::string exe = WinePath(std::string(PEERS_DIR_UNIX) + "/bare_decode.exe");
    // About the size and place of the program's page.
    const RECT area{200, 200, 200 + 420, 200 + 317};
    std::string command = "\"" + exe + "\" \"" + (app / "images\\general") + "\" " + std::to_string(area.left) +
                          " " + std::to_string(area.top) + " " + std::to_string(area.right - area.left) + " " +
                          std::to_string(area.bottom - area.top);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        report.Note("first show yardstick: bare_decode.exe did not start");
        return;
    }
    HWND wnd = nullptr;
    PollUntil([&] { return (wnd = FindWindowA("ToviraBareDecode", nullptr)) && IsWindowVisible(wnd); }, 20000);
    std::vector<double> ms, ownClock;
    long pictures = 0;
    PageOnScreen page;
    int looks = 0;
    double lookMs = 0;
    for (int run = 0; wnd && run < config.runs + 1; ++run) {
        const HANDLE before = GetPropA(wnd, "Bare.Drawn");
        SetForegroundWindow(wnd);
        // White again, and seen to be white: nothing of the last run passes for this one's.
        DWORD_PTR answer = 0;
        if (run > 0 && (!SendMessageTimeoutA(wnd, WM_APP + 1, 0, 0, SMTO_NORMAL, 10000, &answer) ||
                        !WaitFor([&] { return !page.FullyPaintedNow(); }, 10000)))
            break;
        if (!PointTo(POINT{area.left + 1, area.top + 1 + run})) break;
        const double start = NowMs();
        if (!ClickHere()) break;
        // The first click warms the codecs and the file cache, and tells
        // where the pictures are; the others are timed on the screen.
        const double took = run > 0 ? page.TimeUntilPainted(start, 20000, looks, lookMs) : -1;
        if (!PollUntil([&] { return GetPropA(wnd, "Bare.Drawn") != before; }, 20000)) break;
        pictures = static_cast<long>(reinterpret_cast<UINT_PTR>(GetPropA(wnd, "Bare.Pictures")));
        const double own = StepAfter(wnd, "Bare.Drawn", start);
        Progress("first show yardstick, run %d: %.0f ms on the screen, %.0f ms by its own clock (%ld pictures)", run,
                 took, own, pictures);
        if (run == 0 && !LocateBarePictures(wnd, pictures, page)) {
            report.Note("first show yardstick: the bare program's pictures could not be located");
            break;
        }
        if (run == 0) continue;
        if (took < 0) {
            Progress("first show yardstick, run %d: the pictures did not all show", run);
            continue;
        }
        ms.push_back(took);
        ownClock.push_back(own);
    }
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    report.Add({"2. first show of a tab",
                "yardstick: a bare program decoding the same " + std::to_string(pictures) +
                    " pictures with WIC and drawing them once",
                "ms", ms});
    report.Add({"2. first show of a tab", "  the same, by its own clock (drawn, no screen read)", "ms", ownClock});
}

void AddLibraryTargets(BenchReport& report, const BenchConfig&) {
    report.AddRatioTarget("start-up to ready: 20,000 pictures in 100 categories / empty library",
                          "Tovira, 20000 pictures in 100 categories: to ready", "Tovira, empty library: to ready",
                          1.3);
    report.AddBelowTarget("start-up to ready: 2,000 categories", "Tovira, 2000 categories: to ready", 3000, "ms");
    const std::string show = report.LabelStartingWith("first show of a tab of");
    const std::string yardstick = report.LabelStartingWith("yardstick: a bare program decoding");
    report.AddRatioTarget("first show of a tab of 125 pictures / yardstick (bare WIC decode and draw)", show,
                          yardstick, 1.3);
}
