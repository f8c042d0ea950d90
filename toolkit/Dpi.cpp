#include "Dpi.h"

#include <cstring>
#include <map>
#include <mutex>

#include "Handles.h"

namespace {
// The calls of newer systems, looked up once; null where user32 lacks them.
template <class F>
F User32Function(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), name)));
}
using GetDpiForSystemFn = UINT(WINAPI*)();
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);

int ScreenLogPixels() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi::Sanitize(dpi);
}

// LOGFONTW of the per-dpi call to the LOGFONTA of the ANSI structure.
void CopyFont(const LOGFONTW& from, LOGFONTA& to) {
    static_assert(offsetof(LOGFONTA, lfFaceName) == offsetof(LOGFONTW, lfFaceName));
    std::memcpy(&to, &from, offsetof(LOGFONTA, lfFaceName));
    WideCharToMultiByte(CP_ACP, 0, from.lfFaceName, -1, to.lfFaceName, LF_FACESIZE, nullptr, nullptr);
}
}  // namespace

int SystemDpi() {
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFn>("GetDpiForSystem");
    return getDpiForSystem ? dpi::Sanitize(static_cast<int>(getDpiForSystem())) : ScreenLogPixels();
}

int WindowDpi(HWND wnd) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (wnd && getDpiForWindow) {
        if (const UINT value = getDpiForWindow(wnd)) return static_cast<int>(value);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFn>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi));
    return dpi::Scale(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, bool menu, DWORD exStyle, int dpi) {
    static const auto forDpi = User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&rect, style, menu, exStyle, static_cast<UINT>(dpi)))
        AdjustWindowRectEx(&rect, style, menu, exStyle);
}

NONCLIENTMETRICSA NonClientMetricsForDpi(int dpi) {
    // The size of the structure before Vista's iPaddedBorderWidth: accepted
    // by every system.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
    static const auto forDpi = User32Function<SystemParametersInfoForDpiFn>("SystemParametersInfoForDpi");
    NONCLIENTMETRICSW wide{};
    wide.cbSize = sizeof wide;
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof wide, &wide, 0, static_cast<UINT>(dpi))) {
        metrics.iBorderWidth = wide.iBorderWidth;
        metrics.iScrollWidth = wide.iScrollWidth;
        metrics.iScrollHeight = wide.iScrollHeight;
        metrics.iCaptionWidth = wide.iCaptionWidth;
        metrics.iCaptionHeight = wide.iCaptionHeight;
        CopyFont(wide.lfCaptionFont, metrics.lfCaptionFont);
        metrics.iSmCaptionWidth = wide.iSmCaptionWidth;
        metrics.iSmCaptionHeight = wide.iSmCaptionHeight;
        CopyFont(wide.lfSmCaptionFont, metrics.lfSmCaptionFont);
        metrics.iMenuWidth = wide.iMenuWidth;
        metrics.iMenuHeight = wide.iMenuHeight;
        CopyFont(wide.lfMenuFont, metrics.lfMenuFont);
        CopyFont(wide.lfStatusFont, metrics.lfStatusFont);
        CopyFont(wide.lfMessageFont, metrics.lfMessageFont);
        return metrics;
    }
    // Older systems: the metrics at the system resolution, fonts scaled.
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    const int system = SystemDpi();
    for (LOGFONTA* font : {&metrics.lfCaptionFont, &metrics.lfSmCaptionFont, &metrics.lfMenuFont,
                           &metrics.lfStatusFont, &metrics.lfMessageFont})
        font->lfHeight = dpi::Scale(font->lfHeight, dpi, system);
    metrics.iMenuHeight = dpi::Scale(metrics.iMenuHeight, dpi, system);
    return metrics;
}

HICON ProgramIcon(bool small, int dpi) {
    const int size = SystemMetricForDpi(small ? SM_CXSMICON : SM_CXICON, dpi);
    static std::mutex lock;
    static std::map<int, HICON> loaded;  // by size; never freed (a few, for the whole run)
    std::lock_guard<std::mutex> guard(lock);
    HICON& icon = loaded[size];
    if (!icon)
        icon = static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), "MAINICON", IMAGE_ICON, size, size, 0));
    return icon;
}
