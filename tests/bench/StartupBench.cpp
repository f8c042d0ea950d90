#include "StartupBench.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

#include "BenchLibrary.h"
#include "BenchTiming.h"
#include "ProcessStats.h"
#include "ProgramUnderTest.h"

namespace {

// Milliseconds from just before CreateProcess; negative when never seen.
struct StartTimes {
    double inputIdle = -1;  // WaitForInputIdle returns
    double trayIcon = -1;   // the icon shows in the notification area
    double ready = -1;      // the icon shows and the window thread answers, all tabs built
};

// Starts a program and times it. `launch` creates the process; `answers`
// sends the program's window thread one message and is true when the answer
// says start-up is complete (it blocks until the thread takes the message,
// which it does only where it reads its queue).
StartTimes TimeStart(const std::function<HANDLE()>& launch, const std::function<bool()>& answers) {
    StartTimes t;
    const size_t iconsBefore = WineTrayIcons().size();
    const double start = NowMs();
    HANDLE process = launch();
    if (!process) return t;
    std::atomic<bool> iconShown{false}, stop{false};
    std::atomic<double> ready{-1};
    // Asked from a second thread: a blocked send must not hide the other moments.
    std::thread asker([&] {
        if (!PollUntil([&] { return stop || iconShown; }, 60000) || stop) return;
        while (!stop)
            if (answers()) {
                ready = NowMs() - start;
                return;
            }
    });
    PollUntil(
        [&] {
            const double now = NowMs() - start;
            if (t.inputIdle < 0 && WaitForInputIdle(process, 0) == 0) t.inputIdle = now;
            if (t.trayIcon < 0 && WineTrayIcons().size() > iconsBefore) {
                t.trayIcon = now;
                iconShown = true;
            }
            // Input idle may never come; it is not waited for long after the rest.
            return ready >= 0 && (t.inputIdle >= 0 || now - ready > 2000);
        },
        60000);
    stop = true;
    asker.join();
    t.ready = ready;
    return t;
}

// Ends a program by closing its window and waits until it and its tray icon are gone.
void CloseAndWait(HWND wnd, HANDLE process, size_t iconsBefore) {
    if (wnd) PostMessageA(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 20000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    PollUntil([&] { return WineTrayIcons().size() <= iconsBefore; }, 10000, 10);
}

// One kind of start (a program, a library) over the runs.
struct StartFigures {
    explicit StartFigures(std::string kind) : name(std::move(kind)) {}
    std::string name;
    std::vector<double> inputIdle, trayIcon, ready, cpuMs, peakMb, unixPeakMb, idleCpuMs;
};

// What a started program shows from outside, once it is ready: processor
// time and memory (both ways), and, when asked, the processor time it uses
// over the idle window.
void MeasureStarted(StartFigures& f, const StartTimes& t, HANDLE process, const std::string& marker,
                    const BenchConfig& config, bool idleWindow) {
    f.inputIdle.push_back(t.inputIdle);
    f.trayIcon.push_back(t.trayIcon);
    f.ready.push_back(t.ready);
    const int pid = UnixPidWith(marker);
    const double cpu = pid ? UnixProcessorMs(pid, config.ticksPerSecond) : -1;
    f.cpuMs.push_back(cpu);
    f.peakMb.push_back(PeakWorkingSetMb(process));
    f.unixPeakMb.push_back(pid ? UnixPeakResidentMb(pid) : -1);
    if (!idleWindow) return;
    PollUntil([] { return false; }, config.idleSeconds * 1000, 100);  // the idle window itself
    f.idleCpuMs.push_back(cpu < 0 ? -1 : UnixProcessorMs(pid, config.ticksPerSecond) - cpu);
}

void StartBare(StartFigures& f, const BenchConfig& config) {
    const std::string exe = WinePath(std::string(PEERS_DIR_UNIX) + "/bare_window.exe");
    PROCESS_INFORMATION pi{};
    const size_t iconsBefore = WineTrayIcons().size();
    auto window = [&] {
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, "ToviraBareWindow", nullptr))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == pi.dwProcessId) return w;
        }
        return HWND{};
    };
    const StartTimes t = TimeStart(
        [&]() -> HANDLE {
            STARTUPINFOA si{};
            si.cb = sizeof si;
            std::string command = "\"" + exe + "\"";
            return CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)
                       ? pi.hProcess
                       : nullptr;
        },
        [&] {
            HWND w = window();
            DWORD_PTR result = 0;
            if (w && SendMessageTimeoutA(w, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result)) return true;
            PollUntil([] { return false; }, 1);  // the window is not made yet
            return false;
        });
    if (pi.hProcess) {
        MeasureStarted(f, t, pi.hProcess, "bare_window.exe", config, false);
        CloseAndWait(window(), pi.hProcess, iconsBefore);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    Progress("%s: tray icon %.0f ms, ready %.0f ms", f.name.c_str(), t.trayIcon, t.ready);
}

// Ready: the tab control answers with all the library's tabs, so the window
// thread has finished building them and reads its queue.
void StartTovira(StartFigures& f, const BenchConfig& config, const TempFolder& app, int tabs, bool idleWindow) {
    ProgramUnderTest program(app);
    const size_t iconsBefore = WineTrayIcons().size();
    const StartTimes t = TimeStart([&]() -> HANDLE { return program.Launch() ? program.Process() : nullptr; },
                                   [&] {
                                       HWND main = program.FindMain();
                                       HWND tabControl =
                                           main ? ProgramUnderTest::FindChild(main, "SysTabControl32") : nullptr;
                                       DWORD_PTR count = 0;
                                       if (tabControl && SendMessageTimeoutA(tabControl, TCM_GETITEMCOUNT, 0, 0,
                                                                             SMTO_NORMAL, 1000, &count))
                                           return static_cast<int>(count) == tabs;
                                       PollUntil([] { return false; }, 1);  // the window is not made yet
                                       return false;
                                   });
    if (program.Process()) {
        MeasureStarted(f, t, program.Process(), app.Path(), config, idleWindow);
        CloseAndWait(program.FindMain(), program.Process(), iconsBefore);
    }
    Progress("%s: input idle %.0f ms, tray icon %.0f ms, ready %.0f ms", f.name.c_str(), t.inputIdle, t.trayIcon,
             t.ready);
}

// Under Wine, GetProcessMemoryInfo and GetProcessTimes on another process
// may not say what they say on Windows: each is checked against /proc once.
void CheckWin32Counters(BenchReport& report, const BenchConfig& config, const TempFolder& app) {
    ProgramUnderTest program(app);
    if (!program.Start()) return;
    const int pid = UnixPidWith(app.Path());
    const double peak = PeakWorkingSetMb(program.Process()), hwm = pid ? UnixPeakResidentMb(pid) : -1;
    const double theirs = ProcessorMs(program.Process()), ours = ProcessorMs(GetCurrentProcess());
    const double unix = pid ? UnixProcessorMs(pid, config.ticksPerSecond) : -1;
    char note[512];
    std::snprintf(note, sizeof note,
                  "Checked once: GetProcessMemoryInfo on the program gives a peak working set of %.1f MB, /proc "
                  "VmHWM of its Wine process %.1f MB (%s). GetProcessTimes on the program gives %.0f ms, on this "
                  "driver itself %.0f ms, /proc utime+stime of the program %.0f ms: %s",
                  peak, hwm, std::fabs(peak - hwm) < 0.5 ? "the same: Wine reads VmHWM" : "they differ", theirs, ours,
                  unix,
                  std::fabs(theirs - ours) < 50 ? "under Wine it answers with the caller's own times, so processor "
                                                  "times here come from /proc."
                                                : "processor times here come from /proc.");
    report.Note(note);
    CloseAndWait(program.FindMain(), program.Process(), WineTrayIcons().size() - 1);
}

void AddStartFigures(BenchReport& report, const StartFigures& f) {
    const std::string section = "1. start-up";
    report.Add({section, f.name + ": to input idle", "ms", f.inputIdle});
    report.Add({section, f.name + ": to tray icon", "ms", f.trayIcon});
    report.Add({section, f.name + ": to ready", "ms", f.ready});
    report.Add({section, f.name + ": processor time by then (/proc)", "ms", f.cpuMs});
}

}  // namespace

void MeasureStartup(BenchReport& report, const BenchConfig& config) {
    TempFolder empty, standard, large;
    MakeEmptyLibrary(empty);
    const int standardTabs = MakeDefaultLibrary(standard);
    Progress("generating the large library: %d categories of %d pictures", config.categories,
             config.picturesPerCategory);
    MakeLargeLibrary(large, config.categories, config.picturesPerCategory);

    // One start first, not counted: Wine's and the disk's caches warm up.
    CheckWin32Counters(report, config, empty);

    StartFigures bare("bare window program"), emptyStarts("Tovira, empty library"),
        standardStarts("Tovira, default library (" + std::to_string(standardTabs) + " categories)"),
        largeStarts("Tovira, " + std::to_string(config.categories * config.picturesPerCategory) + " pictures");
    // Round after round, one start of each kind: a change in the machine's
    // load falls on all kinds alike.
    for (int run = 0; run < config.runs; ++run) {
        Progress("start-up round %d of %d", run + 1, config.runs);
        StartBare(bare, config);
        StartTovira(emptyStarts, config, empty, 0, false);
        StartTovira(standardStarts, config, standard, standardTabs, false);
        StartTovira(largeStarts, config, large, config.categories, true);
    }

    for (const StartFigures* f : {&bare, &emptyStarts, &standardStarts, &largeStarts}) AddStartFigures(report, *f);
    const std::string memory = "4. memory";
    for (const StartFigures* f : {&bare, &emptyStarts, &standardStarts, &largeStarts}) {
        report.Add({memory, f->name + ": peak working set", "MB", f->peakMb});
        report.Add({memory, f->name + ": VmHWM (/proc)", "MB", f->unixPeakMb});
    }
    char window[64];
    std::snprintf(window, sizeof window, ": in the tray, %.0f s right after start (/proc)", config.idleSeconds);
    report.Add({"5. processor time", largeStarts.name + window, "ms", largeStarts.idleCpuMs});
}
