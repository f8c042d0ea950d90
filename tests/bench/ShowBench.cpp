#include "ShowBench.h"

#include <windows.h>

#include <string>
#include <vector>

#include "BenchInput.h"
#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "PageOnScreen.h"
#include "PickBench.h"
#include "PictureAccess.h"
#include "ProcessStats.h"
#include "ProgramUnderTest.h"
#include "ScreenShot.h"
#include "clip_peer.h"

namespace {

constexpr int kTabPictures = 125;

// Saves the whole screen in the temporary folder when a step fails, and
// says where: what was on the screen tells why.
void SaveFailureScreen(const char* name, const ProgramUnderTest& program, HWND tabs) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + name;
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SaveScreenPng(screen, path);
    const LRESULT selected = tabs ? SendMessageA(tabs, TCM_GETCURSEL, 0, 0) : -1;
    Progress("  the screen is in %s; the selected tab is %ld, the window %s", path.c_str(), static_cast<long>(selected),
             IsWindowVisible(program.Main()) ? "shown" : "hidden");
}

HWND ShownView(const ProgramUnderTest& program) {
    return ProgramUnderTest::FindVisibleChild(program.Main(), "Tovira.TPictureView");
}

// Clicks tab `index` (untimed) and waits until its view shows.
bool ShowTab(const ProgramUnderTest& program, HWND tabs, int index, HWND& view) {
    const HWND before = ShownView(program);
    if (!PointTo(Centre(program.TabRect(tabs, index))) || !ClickHere()) return false;
    return WaitFor([&] { return (view = ShownView(program)) && view != before; }, 10000);
}

struct FirstShows {
    std::vector<double> ms;
    std::vector<double> cpuMs;  // the program's processor time over the same span (/proc)
    double captureMs = 0;  // how long one quick look at the screen took, on average
};

// From the click on each fresh tab until its view shows all pictures in sight.
FirstShows MeasureFirstShows(const ProgramUnderTest& program, HWND tabs, const PageOnScreen& page,
                             const BenchConfig& config, int unixPid) {
    const int runs = config.runs;
    FirstShows shows;
    int captures = 0;
    double captureTotal = 0;
    for (int run = 0; run < runs; ++run) {
        // Between two measured tabs, the tab of one picture: what it shows can
        // never pass for a fully painted page of 125.
        HWND view = nullptr;
        if (!ShowTab(program, tabs, 1, view) || !WaitFor([&] { return !page.FullyPaintedNow(); }, 10000)) {
            Progress("first show %d: the tab of one picture did not show", run + 1);
            SaveFailureScreen("bench-first-show-one.png", program, tabs);
            continue;
        }
        const HWND before = view;
        if (!PointTo(Centre(program.TabRect(tabs, 2 + run)))) continue;
        const double cpu = unixPid ? UnixProcessorMs(unixPid, config.ticksPerSecond) : -1;
        const double start = NowMs();
        if (!ClickHere()) continue;
        const double ms = page.TimeUntilPainted(start, 20000, captures, captureTotal);
        const bool painted = ms >= 0;
        const HWND shown = ShownView(program);
        if (!painted || !shown || shown == before) {
            Progress("first show %d: the tab's pictures did not all show", run + 1);
            SaveFailureScreen("bench-first-show-full.png", program, tabs);
            continue;
        }
        shows.ms.push_back(ms);
        shows.cpuMs.push_back(cpu < 0 ? -1 : UnixProcessorMs(unixPid, config.ticksPerSecond) - cpu);
        Progress("first show of a tab of %d pictures, run %d: %.0f ms", kTabPictures, run + 1, ms);
    }
    shows.captureMs = captures ? captureTotal / captures : 0;
    return shows;
}

// "Minimize to tray", and back once the window thread is done with it.
bool MinimizeToTray(const ProgramUnderTest& program) {
    HWND button = ProgramUnderTest::FindChild(program.Main(), "Button", "Minimize to tray");
    if (!button) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    DWORD_PTR answer = 0;
    return PollUntil([&] { return !IsWindowVisible(program.Main()); }, 10000, 10) &&
           SendMessageTimeoutA(program.Main(), WM_NULL, 0, 0, SMTO_NORMAL, 20000, &answer) != 0;
}

// Two spots on one picture, far enough apart not to make a double click.
void TwoSpots(const RECT& picture, POINT spots[2]) {
    const POINT middle = Centre(picture);
    spots[0] = POINT{middle.x - 6, middle.y};
    spots[1] = POINT{middle.x + 6, middle.y};
}

void NoteLostClicks(BenchReport& report, int toviraLost, int bareLost, int clicks, const char* where) {
    if (!toviraLost && !bareLost) return;
    char note[240];
    std::snprintf(note, sizeof note,
                  "pick, %s: clicks after which no Ctrl+V reached the compose window within 10 s (not counted): "
                  "Tovira %d, bare paste program %d, of %d each",
                  where, toviraLost, bareLost, clicks);
    report.Note(note);
}

}  // namespace

void MeasureSilentPicks(BenchReport& report, const BenchConfig& config) {
    TempFolder app;
    app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\nSound On=0\r\n");
    app.MakeFolder("images");
    MakeCategory(app, "one", 1, DefaultLibraryPictures());
    clip_test::ComposePeer peer("ATH_Note", "New Message", "--stamps --bounds 40,120,360,220");
    ProgramUnderTest program(app);
    const size_t iconsBefore = WineTrayIcons().size();
    HWND view = nullptr;
    RECT picture{};
    if (!program.Start() || !WaitFor([&] { return WineTrayIcons().size() > iconsBefore; }) || !program.Reveal() ||
        !WaitFor([&] { return (view = ShownView(program)) && PictureOnScreen(view, 1, picture); }, 10000)) {
        report.Note("pick, sound off: the program's picture did not show");
        return;
    }
    POINT spots[2];
    TwoSpots(picture, spots);
    const PickLatencies silent = MeasurePickLatencies(program, peer, spots, config);
    report.Add({"3. pick", "Tovira, sound off: click to Ctrl+V, on a tab of one still picture", "ms", silent.tovira});
    report.Add({"3. pick", "bare paste program: click to Ctrl+V, beside it (Tovira's sound off)", "ms", silent.bare});
    NoteLostClicks(report, silent.toviraLost, silent.bareLost, 2 * config.runs, "sound off");
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    program.WaitForExit();
}

void MeasureEditorPicks(BenchReport& report, const BenchConfig& config) {
    TempFolder app;
    app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\nSound On=0\r\n");
    app.MakeFolder("images");
    MakeCategory(app, "one", 1, DefaultLibraryPictures());
    WIN32_FIND_DATAA found{};
    HANDLE find = FindFirstFileA((app / "images\\one\\p000.*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        report.Note("pick into the editor: no picture made");
        return;
    }
    FindClose(find);
    const std::string picture = app / ("images\\one\\" + std::string(found.cFileName));
    clip_test::ComposePeer editor("ToviraTestEditor", "Editor", "--stamps --bounds 40,120,360,220",
                                  "editor_peer.exe");
    ProgramUnderTest program(app);
    const size_t iconsBefore = WineTrayIcons().size();
    HWND view = nullptr;
    RECT box{};
    if (!program.Start() || !WaitFor([&] { return WineTrayIcons().size() > iconsBefore; }) ||
        !editor.BringToFront() || !program.Reveal() ||
        !WaitFor([&] { return (view = ShownView(program)) && PictureOnScreen(view, 1, box); }, 10000)) {
        report.Note("pick into the editor: the program's picture did not show");
        return;
    }
    POINT spots[2];
    TwoSpots(box, spots);
    OtherProgramTarget other{[&] { return editor.BringToFront(); }, picture,
                             "--picture --class ToviraTestEditor"};
    const PickLatencies picks = MeasurePickLatencies(program, editor, spots, config, &other);
    report.Add({"3. pick", "Tovira, sound off: click to Ctrl+V into the stand-in editor (PNG + bitmap)", "ms",
                picks.tovira});
    report.Add({"3. pick", "bare paste program: click to Ctrl+V into the stand-in editor (PNG + bitmap)", "ms",
                picks.bare});
    NoteLostClicks(report, picks.toviraLost, picks.bareLost, 2 * config.runs, "into the stand-in editor");
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    program.WaitForExit();
}

void MeasureShownProgram(BenchReport& report, const BenchConfig& config, bool withPicks) {
    // Tab 0 tells where the pictures are; tab 1 holds one picture; tabs 2...
    // are shown for the first time, one per run.
    TempFolder app;
    app.WriteFile("Tovira.ini", "[Options]\r\nDoMinimize=0\r\n");
    app.MakeFolder("images");
    const std::vector<std::string> sources = DefaultLibraryPictures();
    MakeCategory(app, "a-layout", kTabPictures, sources);
    MakeCategory(app, "b-one", 1, sources);
    for (int run = 0; run < config.runs; ++run)
        MakeCategory(app, "c-show" + std::to_string(run + 1), kTabPictures, sources);

    // The compose window first, so that it does not take the focus later.
    clip_test::ComposePeer peer("ATH_Note", "New Message", "--stamps --bounds 40,120,360,220");
    ProgramUnderTest program(app);
    const size_t iconsBefore = WineTrayIcons().size();
    if (!program.Start() || !WaitFor([&] { return WineTrayIcons().size() > iconsBefore; }) || !program.Reveal()) {
        report.Note("first show: the program did not start or its window did not show");
        return;
    }
    HWND tabs = ProgramUnderTest::FindChild(program.Main(), "SysTabControl32");
    PageOnScreen page;
    // The first tab's page is made when the window first shows.
    HWND view = nullptr;
    WaitFor([&] { return (view = ShownView(program)) != nullptr; }, 10000);
    if (!tabs || !view || !LocatePictures(view, kTabPictures, page)) {
        report.Note("first show: the pictures of the first tab could not be located");
        return;
    }
    if (!WaitFor([&] { return page.FullyPaintedNow(); }, 20000)) {
        SaveScreenPng(page.visible, "first-show-check.png");
        report.Note("first show: the first tab never passed for fully painted (first-show-check.png)");
        return;
    }
    Progress("the page shows %zu pictures in %ld x %ld pixels", page.boxes.size(),
             page.visible.right - page.visible.left, page.visible.bottom - page.visible.top);

    const int unixPid = UnixPidWith(app.Path());
    const FirstShows shows = MeasureFirstShows(program, tabs, page, config, unixPid);
    char label[96];
    std::snprintf(label, sizeof label, "first show of a tab of %d pictures (%zu in sight)", kTabPictures,
                  page.boxes.size());
    report.Add({"2. first show of a tab", label, "ms", shows.ms});
    report.Add({"2. first show of a tab", "  the program's processor time meanwhile (/proc)", "ms", shows.cpuMs});
    char note[160];
    std::snprintf(note, sizeof note,
                  "first show: the last picture's box was read from the screen every %.1f ms on average while "
                  "waiting",
                  shows.captureMs + 1);
    report.Note(note);
    if (!withPicks) return;

    // While shown, with the pictures of a full tab moving: what the
    // animations cost.
    const double shownBefore = unixPid ? UnixProcessorMs(unixPid, config.ticksPerSecond) : -1;
    PollUntil([] { return false; }, config.idleSeconds * 1000, 100);  // the window itself
    char shownLabel[96];
    std::snprintf(shownLabel, sizeof shownLabel, "Tovira: shown, %.0f s, %zu pictures in sight (/proc)",
                  config.idleSeconds, page.boxes.size());
    report.Add({"5. processor time", shownLabel, "ms",
                {shownBefore < 0 ? -1 : UnixProcessorMs(unixPid, config.ticksPerSecond) - shownBefore}});

    // Click to Ctrl+V, first on the full tab (its animated pictures moving),
    // then on the tab of one still picture.
    const std::string section = "3. pick";
    const PickLatencies full = MeasurePickLatencies(program, peer, page.pictureMiddles, config);
    report.Add({section, "Tovira: click to Ctrl+V, on a tab of " + std::to_string(kTabPictures) +
                             " pictures, animations moving", "ms", full.tovira});
    report.Add({section, "bare paste program: click to Ctrl+V, beside the full tab", "ms", full.bare});
    NoteLostClicks(report, full.toviraLost, full.bareLost, 2 * config.runs, "tab of 125 pictures");
    HWND one = nullptr;
    RECT onePicture{};
    if (ShowTab(program, tabs, 1, one) && WaitFor([&] { return PictureOnScreen(one, 1, onePicture); }, 10000)) {
        POINT spots[2];
        TwoSpots(onePicture, spots);
        const PickLatencies still = MeasurePickLatencies(program, peer, spots, config);
        report.Add({section, "Tovira: click to Ctrl+V, on a tab of one still picture", "ms", still.tovira});
        report.Add({section, "bare paste program: click to Ctrl+V, beside the tab of one picture", "ms", still.bare});
        NoteLostClicks(report, still.toviraLost, still.bareLost, 2 * config.runs, "tab of one picture");
    } else {
        report.Note("pick: the tab of one picture did not show");
        SaveFailureScreen("bench-pick-one.png", program, tabs);
    }

    // Back in the tray after being used: animated pictures were on screen.
    if (!MinimizeToTray(program)) {
        report.Note("processor time in the tray after use: the window did not go to the tray");
        return;
    }
    const double before = unixPid ? UnixProcessorMs(unixPid, config.ticksPerSecond) : -1;
    PollUntil([] { return false; }, config.idleSeconds * 1000, 100);  // the idle window itself
    char window[96];
    std::snprintf(window, sizeof window, "Tovira: in the tray, %.0f s after shows and picks (/proc)",
                  config.idleSeconds);
    report.Add({"5. processor time", window, "ms",
                {before < 0 ? -1 : UnixProcessorMs(unixPid, config.ticksPerSecond) - before}});
    const std::string used = "Tovira after showing " + std::to_string(2 + config.runs) + " tabs and picking: ";
    report.Add({"4. memory", used + "peak working set", "MB", {PeakWorkingSetMb(program.Process())}});
    report.Add({"4. memory", used + "VmHWM (/proc)", "MB", {unixPid ? UnixPeakResidentMb(unixPid) : -1}});
    program.FindMain();
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    program.WaitForExit();
}
