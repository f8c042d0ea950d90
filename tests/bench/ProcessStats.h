// Memory and processor time of another process, read two ways: through the
// Win32 calls a Windows tool would use, and from the Linux side (/proc of
// the Wine process that runs it, seen through drive Z:). Under Wine the
// Win32 calls on another process may be stubs; the benchmark compares the
// two and says which one it reports.
#pragma once
#include <windows.h>

#include <string>

// The Win32 view: PeakWorkingSetSize of GetProcessMemoryInfo, and kernel +
// user time of GetProcessTimes; negative when the call fails.
double PeakWorkingSetMb(HANDLE process);
double ProcessorMs(HANDLE process);

// The Unix process of this Wine prefix whose command line holds `marker`
// (a path only one of its processes has), or 0.
int UnixPidWith(const std::string& marker);

// The Linux view: VmHWM of /proc/<pid>/status, and utime + stime of
// /proc/<pid>/stat at `ticksPerSecond` (getconf CLK_TCK); negative when
// unreadable.
double UnixPeakResidentMb(int pid);
double UnixProcessorMs(int pid, int ticksPerSecond);
