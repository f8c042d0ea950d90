// Runs a program of the machine Wine runs on (xdotool, xclip, ...) from a
// Windows test program. Wine starts Unix executables through CreateProcess
// but gives back a process handle that cannot be waited on, so the command
// writes its exit status into a marker file that the test polls for.
#pragma once
#include <windows.h>

#include <string>

#include "Wait.h"

// A name for files in the Unix /tmp that no other test program uses, even one
// of another Wine prefix running at the same time (Wine process ids repeat
// from prefix to prefix): "tovira-<what>-<process id>-<counter>-<time>".
inline std::string UniqueUnixTempName(const std::string& what) {
    static int counter = 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return "tovira-" + what + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "-" +
           std::to_string(now.QuadPart);
}

// Runs `command` with /bin/sh -c; true when it ended within the time limit
// with exit status 0.
inline bool RunUnixCommand(const std::string& command, DWORD timeoutMs = 20000) {
    const std::string name = UniqueUnixTempName("unix") + ".status";
    const std::string unixMarker = "/tmp/" + name;
    const std::string windowsMarker = "Z:\\tmp\\" + name;
    DeleteFileA(windowsMarker.c_str());
    std::string script = command + "; echo $? > " + unixMarker + ".part && mv " + unixMarker + ".part " + unixMarker;
    std::string quoted;
    for (char c : script) {
        if (c == '"') quoted += '\\';
        quoted += c;
    }
    std::string commandLine = "Z:\\bin\\sh -c \"" + quoted + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    // The handles Wine gives back for a Unix program are not ours to close:
    // their values can already belong to other objects of this process (a
    // registry key, a thread), which closing them would destroy.
    std::string status;
    const bool ended = WaitFor(
        [&] {
            HANDLE h = CreateFileA(windowsMarker.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
            if (h == INVALID_HANDLE_VALUE) return false;
            char buffer[16] = {};
            DWORD got = 0;
            ReadFile(h, buffer, sizeof buffer - 1, &got, nullptr);
            CloseHandle(h);
            status.assign(buffer, got);
            return true;
        },
        timeoutMs);
    DeleteFileA(windowsMarker.c_str());
    return ended && status.rfind("0", 0) == 0 && (status.size() == 1 || status[1] == '\n');
}

// Moves the real pointer to a screen point and clicks the left button there.
inline bool ClickAtScreen(POINT p) {
    return RunUnixCommand("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) +
                          " click 1");
}

// Moves the real pointer to a screen point.
inline bool MovePointerTo(POINT p) {
    return RunUnixCommand("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y));
}
