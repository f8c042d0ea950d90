// Measures (does not time-assert) a tab of a thousand pictures in the native
// picture view: time to the first paint, to a complete first screen and to a
// fully measured page; the longest stall of the message loop meanwhile; files
// opened; memory; GDI objects. The numbers are printed for the record; only
// the functional outcome and the GDI bound are checked.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Forms.h"
#include "PictureView.h"
#include "TempFolder.h"
#include "TestApplication.h"
#include "Wait.h"

namespace {

double NowMs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Wine's GetGuiResources always answers 0; there, a GDI handle's low word
// indexes the handle table and GetObjectType accepts it alone.
int GdiObjects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<int>(n);
    int count = 0;
    for (ULONG_PTR i = 1; i < 0x10000; ++i)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i))) ++count;
    return count;
}

// Committed memory of the process (Wine leaves PrivateUsage at 0).
double CommittedMegabytes() {
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
        WNDCLASSA wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "PictureViewLatencyProbe";
        RegisterClassA(&wc);
        wnd_ = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(wnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
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

std::vector<std::string> LibraryPictures() {
    std::vector<std::string> files;
    std::string library = std::string("Z:") + TEST_DATA_DIR + "/../../data/images/";
    for (char& c : library)
        if (c == '/') c = '\\';
    for (const char* category : {"general", "additional", "animals", "food"}) {
        const std::string dir = library + category + "\\";
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((dir + "*.*").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) continue;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(dir + found.cFileName);
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    return files;
}

// Every picture that reaches into the view is placed and decoded (or broken).
bool ScreenComplete(TPictureView& view) {
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
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 60000) {
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

TEST(PictureViewBenchmark, ATabOfAThousandPictures) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    TestApplication();
    const std::vector<std::string> library = LibraryPictures();
    ASSERT_FALSE(library.empty());
    TempFolder folder;
    std::vector<std::string> files;
    constexpr int kPictures = 1000;
    for (int i = 0; i < kPictures; ++i) {
        const std::string& source = library[static_cast<size_t>(i) % library.size()];
        char name[32];
        std::snprintf(name, sizeof name, "p%04d", i);
        const std::string target = folder / (name + source.substr(source.rfind('.')));
        ASSERT_TRUE(CopyFileA(source.c_str(), target.c_str(), FALSE));
        files.push_back(target);
    }

    auto* form = new TForm(nullptr);
    form->SetBounds(20, 20, 680, 420);
    form->Show();
    Application->ProcessMessages();
    const int gdiBefore = GdiObjects();
    const double memoryBefore = CommittedMegabytes();
    const long opensBefore = PictureDecoder::OpenCount();

    // As a tab's page: the view of a sheet 645 wide, shown for the first time.
    auto* view = new TPictureView(form);
    view->SetBounds(5, 5, 635, 317);
    double start = NowMs();
    view->SetFiles(files);
    const double setFilesMs = NowMs() - start;
    start = NowMs();
    view->SetParent(form);
    const int gdiWindow = GdiObjects();  // the view's window and its tooltip, unpainted
    UpdateWindow(view->Handle());
    const double firstPaintMs = NowMs() - start;
    const int measuredAtFirstPaint = view->MeasuredCount();

    LatencyProbe probe;
    ASSERT_TRUE(PumpUntil([&] { return ScreenComplete(*view); }));
    const double screenMs = NowMs() - start;
    ASSERT_TRUE(PumpUntil([&] { return view->MeasuredCount() == kPictures && !view->Busy(); }));
    const double allMs = NowMs() - start;
    const double latencyMs = probe.WorstMs();
    const int samples = probe.Samples();
    const long opens = PictureDecoder::OpenCount() - opensBefore;
    const size_t cacheBytes = PixelCache::Shared().Bytes();
    const int gdiSettled = GdiObjects();
    const double memorySettled = CommittedMegabytes();

    start = NowMs();
    view->SetScrollPos(view->PageHeight());
    ASSERT_TRUE(PumpUntil([&] { return ScreenComplete(*view); }));
    const double bottomMs = NowMs() - start;
    const int gdiScrolled = GdiObjects();

    int broken = 0;
    for (int i = 0; i < kPictures; ++i) broken += view->IsBroken(i);
    EXPECT_EQ(0, broken);
    // No GDI object per picture: the pixels live in plain memory and each
    // paint's back buffer goes with the paint. What appears once (the window's
    // DC, its tooltip, the scroll bar's drawing) does not grow with scrolling.
    EXPECT_LE(gdiSettled - gdiBefore, 24);
    EXPECT_EQ(gdiSettled, gdiScrolled);

    std::printf("picture view, %d pictures, view 635 x 317, page %d px high\n", kPictures, view->PageHeight());
    std::printf("  SetFiles                 %8.1f ms\n", setFilesMs);
    std::printf("  first paint              %8.1f ms (%d pictures measured by then)\n", firstPaintMs,
                measuredAtFirstPaint);
    std::printf("  first screen complete    %8.1f ms\n", screenMs);
    std::printf("  whole page measured      %8.1f ms\n", allMs);
    std::printf("  worst message delay      %8.1f ms (%d messages posted from another thread meanwhile)\n",
                latencyMs, samples);
    std::printf("  scroll to end, decoded   %8.1f ms\n", bottomMs);
    std::printf("  files opened             %8ld\n", opens);
    std::printf("  pixels kept              %8.1f KB\n", static_cast<double>(cacheBytes) / 1024.0);
    std::printf("  committed memory         %8.1f MB -> %.1f MB\n", memoryBefore, memorySettled);
    std::printf("  GDI objects              %8d -> %d (window, tip) -> %d (settled) -> %d (scrolled)\n", gdiBefore,
                gdiWindow, gdiSettled, gdiScrolled);
    RecordProperty("first_paint_ms", static_cast<int>(firstPaintMs));
    RecordProperty("whole_page_ms", static_cast<int>(allMs));
    RecordProperty("gdi_objects_added", gdiSettled - gdiBefore);

    delete form;
    CoUninitialize();
}

// What one picture costs through the codecs, by format: opening (which is
// all that measuring needs) and decoding after the open.
TEST(PictureViewBenchmark, CostOfOnePictureByFormat) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        PictureDecoder decoder;
        PictureFile file;
        for (const std::string& path : LibraryPictures()) {
            constexpr int kRounds = 40;
            double openMs = 0, decodeMs = 0;
            for (int i = 0; i < kRounds; ++i) {
                double t = NowMs();
                ASSERT_TRUE(decoder.Open(path, file)) << path;
                openMs += NowMs() - t;
                PixelBuffer pixels;
                t = NowMs();
                ASSERT_TRUE(file.Decode(pixels)) << path;
                decodeMs += NowMs() - t;
            }
            std::printf("  %-14s %2d x %2d   open %5.2f ms   decode %5.2f ms\n",
                        path.substr(path.rfind('\\') + 1).c_str(), file.Width(), file.Height(), openMs / kRounds,
                        decodeMs / kRounds);
        }
    }
    CoUninitialize();
}

}  // namespace
