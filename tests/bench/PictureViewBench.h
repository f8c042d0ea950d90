// The native picture view in this process: a tab of a thousand pictures
// (first paint, first screen, whole page, message delays, files, memory,
// GDI objects) and what one picture costs through the codecs by format.
#pragma once
#include "BenchConfig.h"
#include "BenchReport.h"

void MeasurePictureView(BenchReport& report, const BenchConfig& config);
