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
#include "clip_peer.h"

// The moments (microseconds, QueryPerformanceCounter) at which the peer
// took each Ctrl+V: the V presses of its log (started with --stamps).
std::vector<double> CtrlVStamps(const clip_test::ComposePeer& peer);

// Clicks with `click` (after `prepare`, untimed) and returns the time in ms
// from just before the click to the Ctrl+V's arrival at `peer`; negative
// when none arrived.
double ClickToCtrlV(const clip_test::ComposePeer& peer, const std::function<bool()>& prepare);

// The bare paste program's click to Ctrl+V, `runs` times after one warm-up.
std::vector<double> BarePasteLatencies(const clip_test::ComposePeer& peer, const std::string& picturePath, int runs);

void MeasurePickWork(BenchReport& report, const BenchConfig& config);
