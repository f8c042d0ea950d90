// Moments of start-up, kept where the benchmark can read them from outside:
// each step is a property of the main window holding the moment on
// QueryPerformanceCounter (milliseconds, low 32 bits), a clock every process
// of the machine shares. A step before the window has its handle is kept
// and set with the next one that finds it.
#pragma once

// The steps LoadCategories marks.
constexpr char kStepListed[] = "Tovira.Step.Listed";  // the category folders are read
constexpr char kStepTabs[] = "Tovira.Step.Tabs";      // their tabs are made
constexpr char kStepWatch[] = "Tovira.Step.Watch";    // start-up is over: the folder watch starts

void MarkStartupStep(const char* property);
