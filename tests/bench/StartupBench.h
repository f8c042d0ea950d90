// Start-up of a bare tray program and of Tovira with an empty and a large
// library; the memory the program takes and its processor time while it
// sits in the tray.
#pragma once
#include "BenchConfig.h"
#include "BenchReport.h"

void MeasureStartup(BenchReport& report, const BenchConfig& config);
