// The pick's latency: click to Ctrl+V at the stand-in compose window, for
// Tovira (in a running instance) and for a bare program that only pastes;
// and the pick handler's own time, measured inside this process on the
// real main window.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "BenchConfig.h"
#include "BenchReport.h"
#include "ProgramUnderTest.h"
#include "TempFolder.h"
#include "clip_peer.h"

// The moments (microseconds, QueryPerformanceCounter) at which the peer
// took each Ctrl+V: the V presses of its log (started with --stamps).
std::vector<double> CtrlVStamps(const clip_test::ComposePeer& peer);

// Runs `prepare` (untimed: the window to the front, the pointer on the
// spot), clicks there and returns the time in ms from just before the click
// to the Ctrl+V's arrival at `peer`; negative when none came within 10 s.
double ClickToCtrlV(const clip_test::ComposePeer& peer, const std::function<bool()>& prepare);

// The bare paste program (tests/peers/bare_paste.cpp), running while the
// object lives, pasting the fragment of `picturePath`.
class BarePaste {
public:
    // `extraArgs`: more of its arguments (e.g. --picture --class NAME).
    explicit BarePaste(const std::string& picturePath, const std::string& extraArgs = "");
    ~BarePaste();
    BarePaste(const BarePaste&) = delete;
    BarePaste& operator=(const BarePaste&) = delete;
    bool Running() const { return window_ != nullptr; }
    // Brings its window to the front and puts the pointer on one of two
    // spots, the other one each run (two clicks on one spot in quick
    // succession would be a double click).
    bool Prepare(int run);

private:
    TempFolder folder_;
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
};

struct PickLatencies {
    std::vector<double> tovira, bare;
    int toviraLost = 0, bareLost = 0;
};

// Click to Ctrl+V, Tovira and the bare paste program in turn, so that a
// change in the machine's load falls on both alike. Tovira's window stays up
// after a pick ("Minimize when click a smiley" is off in this session; what
// the pick does after the Ctrl+V, hiding included, is timed in-process) and
// is brought to the front before each click as the bare program's is; the
// clicks go to `spots[0]` and `spots[1]` in turn (two clicks on one spot in
// quick succession make a double click, which picks once). The first click
// of each is not counted: Tovira then also switches the window to HTML.
// A peer that is no compose window (the stand-in editor): the picture goes
// to the window that was in front before Tovira's, so `beforeTovira` brings
// the peer to the front (untimed) before Tovira's window each run; the bare
// program pastes `barePicture` with `bareArgs`.
struct OtherProgramTarget {
    std::function<bool()> beforeTovira;
    std::string barePicture, bareArgs;
};
PickLatencies MeasurePickLatencies(const ProgramUnderTest& program, const clip_test::ComposePeer& peer,
                                   const POINT spots[2], const BenchConfig& config,
                                   const OtherProgramTarget* other = nullptr);

// Waits (bounded) until the peer's window has lost the keyboard focus, as it
// has when the user clicks into another program.
void WaitUntilPeerLostFocus(const clip_test::ComposePeer& peer);

// The pick handler's own time and its parts, in this process (PickWorkBench.cpp).
void MeasurePickWork(BenchReport& report, const BenchConfig& config);

// Click to Ctrl+V into the stand-in editor (PNG + bitmap), Tovira and the
// bare paste program doing the same (ShowBench.cpp).
void MeasureEditorPicks(BenchReport& report, const BenchConfig& config);
