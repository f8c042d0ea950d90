// The global hotkey pressed over a stand-in editor until Tovira's window is
// shown, in front, with its pictures taking the keyboard.
#pragma once
#include "BenchConfig.h"
#include "BenchReport.h"

void MeasureHotkeyShows(BenchReport& report, const BenchConfig& config);
