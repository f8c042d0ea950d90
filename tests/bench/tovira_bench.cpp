// ./tovira bench: measures the program from outside (and its pick handler
// from inside) and prints a table; with --out FILE also writes it as
// Markdown. Not a test: it asserts nothing, it reports.
//
//   tovira_bench [--runs N] [--clk-tck TICKS] [--idle SECONDS]
//                [--only startup|library|show|pick|hotkey|editor|view|work] [--out FILE]
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "BenchConfig.h"
#include "BenchReport.h"
#include "BenchTiming.h"
#include "HotkeyBench.h"
#include "LibraryBench.h"
#include "PickBench.h"
#include "PictureViewBench.h"
#include "ShowBench.h"
#include "StartupBench.h"
#include "WineTray.h"

void Progress(const char* format, ...) {
    static const double start = NowMs();
    std::fprintf(stderr, "bench [%5.1fs] ", (NowMs() - start) / 1000);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

namespace {

void AddTargets(BenchReport& report, const BenchConfig& config) {
    const std::string large = "Tovira, " + std::to_string(config.categories * config.picturesPerCategory) + " pictures";
    report.AddRatioTarget("start-up to ready: large / empty library", large + ": to ready",
                          "Tovira, empty library: to ready", 1.2);
    report.AddRatioTarget("start-up to ready: empty library / bare program", "Tovira, empty library: to ready",
                          "bare window program: to ready", 1.5);
    report.AddRatioTarget("start-up to tray icon: large / empty library", large + ": to tray icon",
                          "Tovira, empty library: to tray icon", 1.5);
    report.AddRatioTarget("start-up to tray icon: empty library / bare program", "Tovira, empty library: to tray icon",
                          "bare window program: to tray icon", 3);
    report.AddRatioTarget("click to Ctrl+V, tab of 125 pictures: Tovira / bare paste program",
                          "Tovira: click to Ctrl+V, on a tab of 125 pictures, animations moving",
                          "bare paste program: click to Ctrl+V, beside the full tab", 1.2);
    report.AddRatioTarget("click to Ctrl+V, tab of one still picture: Tovira / bare paste program",
                          "Tovira: click to Ctrl+V, on a tab of one still picture",
                          "bare paste program: click to Ctrl+V, beside the tab of one picture", 1.2);
    report.AddRatioTarget("click to Ctrl+V, one still picture, sound off: Tovira / bare paste program",
                          "Tovira, sound off: click to Ctrl+V, on a tab of one still picture",
                          "bare paste program: click to Ctrl+V, beside it (Tovira's sound off)", 1.2);
    report.AddRatioTarget("click to Ctrl+V into the stand-in editor (PNG + bitmap): Tovira / bare paste program",
                          "Tovira, sound off: click to Ctrl+V into the stand-in editor (PNG + bitmap)",
                          "bare paste program: click to Ctrl+V into the stand-in editor (PNG + bitmap)", 1.2);
    report.AddBelowTarget("own work for another program: a default-library picture encoded (PNG + CF_DIBV5)",
                          "  the picture encoded for another program, each picture of the default library "
                          "(EncodeClipboardPicture)", 10, "ms");
    report.AddBelowTarget("own work in a pick: click in the view to Ctrl+V sent",
                          "pick handler, from the release to Ctrl+V sent", 10, "ms");
    report.AddRatioTarget("peak working set: large / empty library", large + ": peak working set",
                          "Tovira, empty library: peak working set", 1.5);
    AddLibraryTargets(report, config);
}

}  // namespace

int main(int argc, char** argv) {
    BenchConfig config;
    std::string only, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--runs") config.runs = std::atoi(value.c_str());
        else if (arg == "--clk-tck") config.ticksPerSecond = std::atoi(value.c_str());
        else if (arg == "--idle") config.idleSeconds = std::atof(value.c_str());
        else if (arg == "--only") only = value;
        else if (arg == "--out") out = value;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // oleacc, for where the view's pictures are
    BenchReport report;
    {
        // Wine shows its tray window with the first icon and hides it with the
        // last, about two seconds each: one icon of our own keeps it up.
        WineTrayKeeper keeper;
        keeper.SetUp();
        if (only.empty() || only == "startup") MeasureStartup(report, config);
        if (only.empty() || only == "startup" || only == "library") MeasureLibraryStartup(report, config);
        if (only.empty() || only == "show" || only == "pick") MeasureShownProgram(report, config, only != "show");
        if (only.empty() || only == "show") MeasureDecodeYardstick(report, config);
        if (only.empty() || only == "pick") MeasureSilentPicks(report, config);
        if (only.empty() || only == "hotkey") MeasureHotkeyShows(report, config);
        if (only.empty() || only == "pick" || only == "editor") MeasureEditorPicks(report, config);
        keeper.TearDown();
    }
    if (only.empty() || only == "view") MeasurePictureView(report, config);
    // Last: it turns this process into the program itself.
    if (only.empty() || only == "work") MeasurePickWork(report, config);

    AddTargets(report, config);
    report.Print();
    if (!out.empty()) {
        if (FILE* f = std::fopen(out.c_str(), "wb")) {
            std::fputs(report.Markdown().c_str(), f);
            std::fclose(f);
        }
    }
    std::fflush(stdout);
    // The program's globals (application, forms) are not torn down one by one.
    ExitProcess(0);
}
