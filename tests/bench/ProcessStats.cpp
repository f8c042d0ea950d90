#include "ProcessStats.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "TempFolder.h"

namespace {

std::string ProcFile(int pid, const char* name) {
    return TempFolder::ReadFile("Z:\\proc\\" + std::to_string(pid) + "\\" + name);
}

double FileTimeMs(const FILETIME& t) {
    ULARGE_INTEGER v;
    v.LowPart = t.dwLowDateTime;
    v.HighPart = t.dwHighDateTime;
    return static_cast<double>(v.QuadPart) / 10000.0;  // 100 ns units
}

}  // namespace

double PeakWorkingSetMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return static_cast<double>(counters.PeakWorkingSetSize) / (1024.0 * 1024.0);
}

double ProcessorMs(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    return FileTimeMs(kernel) + FileTimeMs(user);
}

int UnixPidWith(const std::string& marker) {
    // Other Wine prefixes on the machine may run programs from folders of
    // the same name: the process must also be of this prefix.
    char prefix[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    const std::string ownPrefix = std::string("WINEPREFIX=") + prefix + '\0';
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    do {
        const int pid = std::atoi(entry.cFileName);
        if (pid <= 0) continue;
        std::string command = ProcFile(pid, "cmdline");
        for (char& c : command)
            if (c == '\0') c = ' ';
        if (command.find(marker) == std::string::npos) continue;
        if (!*prefix || ProcFile(pid, "environ").find(ownPrefix) != std::string::npos) found = pid;
    } while (!found && FindNextFileA(find, &entry));
    FindClose(find);
    return found;
}

double UnixPeakResidentMb(int pid) {
    const std::string status = ProcFile(pid, "status");
    const size_t at = status.find("VmHWM:");
    if (at == std::string::npos) return -1;
    return std::strtod(status.c_str() + at + 6, nullptr) / 1024.0;  // kB
}

double UnixProcessorMs(int pid, int ticksPerSecond) {
    const std::string stat = ProcFile(pid, "stat");
    // Fields after the command name, which is in parentheses and may hold blanks.
    const size_t close = stat.rfind(')');
    if (close == std::string::npos || ticksPerSecond <= 0) return -1;
    unsigned long long utime = 0, stime = 0;
    // state ppid pgrp session tty tpgid flags minflt cminflt majflt cmajflt utime stime
    if (std::sscanf(stat.c_str() + close + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime,
                    &stime) != 2)
        return -1;
    return 1000.0 * static_cast<double>(utime + stime) / ticksPerSecond;
}
