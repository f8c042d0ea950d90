// The library's part of ./tovira bench: start-up with libraries of 20,000
// pictures in 100 categories and of 2,000 categories, the steps of start-up
// as the program marks them (folders listed, tabs made; the pages are made
// when a tab is first shown), and the yardstick of a tab's first show: a
// bare program decoding the same 125 pictures with WIC and drawing them once.
#pragma once
#include "BenchConfig.h"
#include "BenchReport.h"

void MeasureLibraryStartup(BenchReport& report, const BenchConfig& config);
void MeasureDecodeYardstick(BenchReport& report, const BenchConfig& config);
// The targets of the figures above (after the other measurements ran).
void AddLibraryTargets(BenchReport& report, const BenchConfig& config);
