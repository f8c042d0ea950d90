// What one benchmark session is asked to do.
#pragma once
#include <string>

struct BenchConfig {
    int runs = 5;               // runs per figure; each figure is their median
    int ticksPerSecond = 100;   // the Linux clock tick of /proc/<pid>/stat (getconf CLK_TCK)
    double idleSeconds = 10;    // the window for processor time while in the tray
    int categories = 40;        // the large library
    int picturesPerCategory = 125;
};

// One line of progress on stderr, so a long run shows where it is.
void Progress(const char* format, ...);
