// Small pieces the peer programs share: the ready file the tests wait for,
// and a clock every process of the machine reads alike.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

namespace peer {

// Writes the window handle (decimal) to `path` under another name and
// renames it, so a reader never sees half of it.
inline void WriteReadyFile(const std::string& path, HWND wnd) {
    if (path.empty()) return;
    const std::string temp = path + ".tmp";
    if (FILE* f = std::fopen(temp.c_str(), "w")) {
        std::fprintf(f, "%lu\n", static_cast<unsigned long>(reinterpret_cast<UINT_PTR>(wnd)));
        std::fclose(f);
        MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

// QueryPerformanceCounter in microseconds.
inline double NowMicroseconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1e6 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace peer
