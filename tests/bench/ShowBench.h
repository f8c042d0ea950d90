// Tovira shown and used, in one program instance: the first show of tabs of
// 125 pictures, then picks into a stand-in compose window (against a bare
// program that only pastes), then processor time back in the tray.
#pragma once
#include "BenchConfig.h"
#include "BenchReport.h"

void MeasureShownProgram(BenchReport& report, const BenchConfig& config, bool withPicks);

// Click to Ctrl+V once more with "Sound Off", in a program instance of its
// own: what the sound, started 50 ms after the Ctrl+V, still costs the paste.
void MeasureSilentPicks(BenchReport& report, const BenchConfig& config);
