// Clock, polling and medians for the benchmark driver.
#pragma once
#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

// Milliseconds on QueryPerformanceCounter, a clock every process of the
// machine shares (under Wine: the system's monotonic clock).
inline double NowMs() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / frequency;
}

// Checks `done` every `paceMs` (answering messages sent to this thread
// meanwhile) until it holds or `timeoutMs` passes; true when it held. The
// pace bounds how late a moment can be seen, so timed waits use a short one.
inline bool PollUntil(const std::function<bool()>& done, double timeoutMs, DWORD paceMs = 1) {
    const double start = NowMs();
    for (;;) {
        if (done()) return true;
        if (NowMs() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, paceMs, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

// The median of the runs; the mean of the middle two for an even count.
inline double Median(std::vector<double> runs) {
    if (runs.empty()) return 0;
    std::sort(runs.begin(), runs.end());
    const size_t n = runs.size();
    return n % 2 ? runs[n / 2] : (runs[n / 2 - 1] + runs[n / 2]) / 2;
}
