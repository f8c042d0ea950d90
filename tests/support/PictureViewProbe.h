// A tab of many pictures in the native picture view, in this process: the
// probes that the test of its behaviour and the benchmark's figures share.
#pragma once
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "MessageWindow.h"
#include "PictureView.h"
#include "TempFolder.h"

namespace view_probe {


inline double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Wine's GetGuiResources always answers 0; there, a GDI handle's low word
// indexes the handle table and GetObjectType accepts it alone.
inline int GdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    int count = 0;
    for (ULONG_PTR i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
    return count;
}

// Committed memory of the process (Wine leaves PrivateUsage at 0).
inline double CommittedMegabytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

// How late a message from outside is handled while the view works from the
// message loop: another thread posts one every 20 milliseconds to a probe
// window of this thread, which keeps the worst delay.
class LatencyProbe {
public:
    LatencyProbe() {
        wnd_ = MakeMessageWindow("PictureViewLatencyProbe", Proc, this);
        poster_ = std::thread([this] {
            while (!stop_) {
                if (!pending_.exchange(true)) {
                    posted_ = NowMs();
                    PostMessageA(wnd_, WM_APP, 0, 0);
                }
                Sleep(20);  // the probe's pace, not a synchronisation
            }
        });
    }
    ~LatencyProbe() {
        stop_ = true;
        poster_.join();
        DestroyWindow(wnd_);
    }
    double WorstMs() const { return worst_; }
    int Samples() const { return samples_; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<LatencyProbe*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (msg != WM_APP || !self) return DefWindowProcA(wnd, msg, wp, lp);
        self->worst_ = std::max(self->worst_, NowMs() - self->posted_.load());
        ++self->samples_;
        self->pending_ = false;
        return 0;
    }
    HWND wnd_ = nullptr;
    std::thread poster_;
    std::atomic<bool> stop_{false}, pending_{false};
    std::atomic<double> posted_{0};
    double worst_ = 0;
    int samples_ = 0;
};

// Every picture of the default library, category by category.
inline std::vector<std::string> LibraryPictures() {
    std::vector<std::string> files;
    std::string library = std::string("Z:") + LIBRARY_DIR_UNIX + "/";
    for (char& c : library)
        if (c == '/') c = '\\';
    WIN32_FIND_DATAA category;
    HANDLE categories = FindFirstFileA((library + "*").c_str(), &category);
    if (categories == INVALID_HANDLE_VALUE) return files;
    do {
        if (category.cFileName[0] == '.' || !(category.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
        const std::string dir = library + category.cFileName + "\\";
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(dir + found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    } while (FindNextFileA(categories, &category));
    FindClose(categories);
    return files;
}

// Every picture that reaches into the view is placed and decoded (or broken).
inline bool ScreenComplete(TPictureView& view) {
    const RECT client = view.ClientRect();
    const int measured = view.MeasuredCount();
    if (measured == 0 || (measured < view.Count() && view.PictureRect(measured - 1).top < client.bottom)) return false;
    for (int i = 0; i < view.MeasuredCount(); ++i) {
        RECT r = view.PictureRect(i), common;
        if (IntersectRect(&common, &r, &client) && !view.IsBroken(i) && !view.IsDecoded(i)) return false;
    }
    return true;
}

// Handles one message at a time until `done` holds, so the moment is caught
// between two messages rather than when the queue runs dry.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return true;
}

// `count` copies of the default library's pictures in `folder`, named
// p0000.<ext> and on; their paths, or none when the library is missing.
inline std::vector<std::string> ManyPictures(const TempFolder& folder, int count) {
    const std::vector<std::string> library = LibraryPictures();
    std::vector<std::string> files;
    if (library.empty()) return files;
    for (int i = 0; i < count; ++i) {
        const std::string& source = library[static_cast<size_t>(i) % library.size()];
        char name[32];
        std::snprintf(name, sizeof name, "p%04d", i);
        const std::string target = folder / (name + source.substr(source.rfind('.')));
        if (!CopyFileA(source.c_str(), target.c_str(), FALSE)) return {};
        files.push_back(target);
    }
    return files;
}

}  // namespace view_probe
