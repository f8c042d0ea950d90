#include "ShowBench.h"

#include <windows.h>

#include <string>
#include <vector>

#include "BenchInput.h"
#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "PickBench.h"
#include "PictureAccess.h"
#include "ProcessStats.h"
#include "ProgramUnderTest.h"
#include "ScreenShot.h"
#include "clip_peer.h"

namespace {

constexpr int kTabPictures = 125;
constexpr DWORD kWhite = 0xFFFFFF;

// The part of a picture view's page that shows on the screen, and where the
// pictures in it are. Every tab of 125 pictures lays them out alike (same
// pictures, same order), so what one tab says holds for the others.
struct PageOnScreen {
    RECT visible{};                  // screen coordinates
    std::vector<RECT> boxes;         // the pictures in sight, clipped, relative to `visible`
    std::vector<POINT> background;   // points of the white page between them, relative
    POINT firstPicture{};            // screen coordinates of the first picture's middle

    int Width() const { return visible.right - visible.left; }

    // The page is painted with every picture in sight: the page is white
    // where no picture is, and each picture's box holds more than one colour
    // (an undecoded picture is a white box; the tab's grey before the view
    // paints is one colour too).
    bool FullyPainted(const std::vector<DWORD>& pixels) const {
        const int width = Width();
        if (pixels.empty()) return false;
        for (POINT p : background)
            if (pixels[static_cast<size_t>(p.y * width + p.x)] != kWhite) return false;
        for (const RECT& box : boxes) {
            const DWORD first = pixels[static_cast<size_t>(box.top * width + box.left)];
            bool varied = false;
            for (int y = box.top; y < box.bottom && !varied; ++y)
                for (int x = box.left; x < box.right && !varied; ++x)
                    varied = pixels[static_cast<size_t>(y * width + x)] != first;
            if (!varied) return false;
        }
        return true;
    }
    bool FullyPaintedNow() const { return FullyPainted(ScreenPixels(visible)); }

    // The quick look: the last picture in sight is painted (the view paints
    // them in order). Reading the whole page takes tens of milliseconds
    // under Wine; one picture's box, a fraction of that.
    bool LastPicturePaintedNow() const {
        RECT box = boxes.back();
        OffsetRect(&box, visible.left, visible.top);
        const std::vector<DWORD> pixels = ScreenPixels(box);
        for (DWORD p : pixels)
            if (p != pixels.front()) return true;
        return false;
    }
};

// The view's client area cut to what its tab and the window let show.
RECT VisibleClient(HWND view) {
    RECT r;
    GetClientRect(view, &r);
    MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&r), 2);
    for (HWND child = view, parent; (GetWindowLongA(child, GWL_STYLE) & WS_CHILD) && (parent = GetParent(child));
         child = parent) {
        RECT p;
        GetClientRect(parent, &p);
        MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&p), 2);
        IntersectRect(&r, &r, &p);
    }
    return r;
}

// Asks the view where its pictures are (oleacc), up to the first one below
// the visible part.
bool LocatePictures(HWND view, PageOnScreen& page) {
    page.visible = VisibleClient(view);
    page.boxes.clear();
    for (long id = 1; id <= kTabPictures; ++id) {
        RECT r{};
        if (!WaitFor([&] { return PictureOnScreen(view, id, r); }, 10000)) return false;
        if (id == 1) page.firstPicture = Centre(r);
        if (r.top >= page.visible.bottom) break;
        RECT shown;
        if (!IntersectRect(&shown, &r, &page.visible)) continue;
        OffsetRect(&shown, -page.visible.left, -page.visible.top);
        page.boxes.push_back(shown);
    }
    // Down the left margin (10 pixels wide), away from the focus frame.
    page.background.clear();
    for (int y = 3; y < page.visible.bottom - page.visible.top; y += 20) page.background.push_back(POINT{3, y});
    return !page.boxes.empty();
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
            continue;
        }
        const HWND before = view;
        if (!PointTo(Centre(program.TabRect(tabs, 2 + run)))) continue;
        const double cpu = unixPid ? UnixProcessorMs(unixPid, config.ticksPerSecond) : -1;
        const double start = NowMs();
        if (!ClickHere()) continue;
        // The end: the moment the last picture in sight shows, when a look at
        // the whole page at once after finds every other one there too.
        double ms = -1;
        const bool painted = PollUntil(
            [&] {
                const double t = NowMs();
                const bool last = page.LastPicturePaintedNow();
                captureTotal += NowMs() - t;
                ++captures;
                if (last && page.FullyPaintedNow()) ms = t - start;
                return ms >= 0;
            },
            20000);
        const HWND shown = ShownView(program);
        if (!painted || !shown || shown == before) {
            Progress("first show %d: the tab's pictures did not all show", run + 1);
            continue;
        }
        shows.ms.push_back(ms);
        shows.cpuMs.push_back(cpu < 0 ? -1 : UnixProcessorMs(unixPid, config.ticksPerSecond) - cpu);
        Progress("first show of a tab of %d pictures, run %d: %.0f ms", kTabPictures, run + 1, ms);
    }
    shows.captureMs = captures ? captureTotal / captures : 0;
    return shows;
}

// Tovira's clicks on the first picture of the shown tab; each pick hides
// the window, which the pointer over the tray icon brings back.
std::vector<double> ToviraLatencies(const ProgramUnderTest& program, const clip_test::ComposePeer& peer,
                                    const PageOnScreen& page, int runs) {
    std::vector<double> ms;
    for (int run = 0; run <= runs; ++run) {
        const double latency = ClickToCtrlV(peer, [&] {
            return program.Reveal() &&
                   PollUntil([&] { return GetForegroundWindow() == program.Main(); }, 5000, 5) &&
                   PointTo(page.firstPicture);
        });
        PollUntil([&] { return !IsWindowVisible(program.Main()); }, 5000, 10);
        if (run == 0) continue;  // the first pick also switches the window to HTML
        if (latency >= 0) ms.push_back(latency);
        Progress("Tovira pick %d: click to Ctrl+V %.1f ms", run, latency);
    }
    return ms;
}

}  // namespace

void MeasureShownProgram(BenchReport& report, const BenchConfig& config, bool withPicks) {
    // Tab 0 tells where the pictures are; tab 1 holds one picture; tabs 2...
    // are shown for the first time, one per run.
    TempFolder app;
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
    HWND view = ShownView(program);
    if (!tabs || !view || !LocatePictures(view, page)) {
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

    const std::vector<double> tovira = ToviraLatencies(program, peer, page, config.runs);
    // The bare program pastes the fragment of the same picture.
    const std::vector<std::string> pastes = peer.Pastes();
    std::string picture = pastes.empty() ? std::string() : pastes.back();
    const size_t from = picture.find("file:///"), to = picture.find("\">");
    picture = from == std::string::npos || to == std::string::npos ? "C:/p000.gif" : picture.substr(from + 8, to - from - 8);
    const std::vector<double> bare = BarePasteLatencies(peer, picture, config.runs);
    const std::string section = "3. pick";
    report.Add({section, "Tovira: click to Ctrl+V at the compose window", "ms", tovira});
    report.Add({section, "bare paste program: click to Ctrl+V at the compose window", "ms", bare});

    // Back in the tray after being used: animated pictures were on screen.
    const double before = unixPid ? UnixProcessorMs(unixPid, config.ticksPerSecond) : -1;
    PollUntil([] { return false; }, config.idleSeconds * 1000, 100);  // the idle window itself
    char window[96];
    std::snprintf(window, sizeof window, "Tovira: over %.0f s after shows and picks (/proc)", config.idleSeconds);
    report.Add({"5. processor time in the tray", window, "ms",
                {before < 0 ? -1 : UnixProcessorMs(unixPid, config.ticksPerSecond) - before}});
    const std::string used = "Tovira after showing " + std::to_string(2 + config.runs) + " tabs and picking: ";
    report.Add({"4. memory", used + "peak working set", "MB", {PeakWorkingSetMb(program.Process())}});
    report.Add({"4. memory", used + "VmHWM (/proc)", "MB", {unixPid ? UnixPeakResidentMb(unixPid) : -1}});
    program.FindMain();
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    program.WaitForExit();
}
