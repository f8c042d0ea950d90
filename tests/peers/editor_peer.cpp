// A stand-in editor: a program that is no mail client (a browser, an office
// or chat program) and takes pictures from the clipboard.
//
//   editor_peer --log FILE [--ready FILE] [--class NAME] [--title TITLE]
//               [--pixel X,Y] [--bounds X,Y,W,H] [--lifetime SECONDS] [--stamps]
//
// Opens a visible top-level window (class "ToviraTestEditor" unless --class
// says otherwise, which is none of the compose-window classes) and appends
// one line per event to FILE, flushed at once:
//   key <down|up> <sys|plain> <vk> [stamp]   every WM_(SYS)KEYDOWN / UP, as
//                                  compose_peer logs them (--stamps: the
//                                  arrival, QueryPerformanceCounter in us)
//   activate on|off, focus on|off
// and on Ctrl+V, what the clipboard holds:
//   formats NAME NAME ...          every format on it, in its order
//                                  (CF_DIB, CF_DIBV5, CF_BITMAP, CF_TEXT ...
//                                  by their names, registered ones by theirs)
//   png W H AARRGGBB               the "PNG" format decoded (WIC): its size
//                                  and the pixel at --pixel (default 0,0)
//   dibv5 W H BITS COMPRESSION AARRGGBB   CF_DIBV5 read by hand: size, bits
//   dib W H BITS COMPRESSION AARRGGBB     per pixel, compression, the pixel
//   png|dibv5|dib none             that format is missing
//   png|dibv5|dib bad              present but not readable
//   html none | html SIZE          "HTML Format" absent / its size
//   paste done                     after the lines above
// The window shows the last pasted picture, so a screenshot tells the story.
// Ends on WM_CLOSE or after --lifetime (default 120) seconds.
#include <windows.h>
#include <wincodec.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "peer_common.h"

namespace {

constexpr UINT_PTR kLifetimeTimer = 1;

struct Options {
    std::string className = "ToviraTestEditor";
    std::string title = "Editor";
    std::string log, ready;
    POINT pixel{0, 0};
    RECT bounds{100, 100, 360, 260};  // left, top, width, height
    unsigned lifetimeSeconds = 120;
    bool stamps = false;
};
Options options;
FILE* logFile = nullptr;

// The picture last pasted, top-down 32-bit BGRA, for painting.
std::vector<BYTE> shownPixels;
int shownWidth = 0, shownHeight = 0;
std::string shownText = "Nothing pasted yet";

void LogLine(const std::string& line) {
    if (!logFile) return;
    std::fputs(line.c_str(), logFile);
    std::fputc('\n', logFile);
    std::fflush(logFile);
}

std::string Hex32(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

std::string FormatName(UINT format) {
    switch (format) {
        case CF_TEXT: return "CF_TEXT";
        case CF_BITMAP: return "CF_BITMAP";
        case CF_DIB: return "CF_DIB";
        case CF_DIBV5: return "CF_DIBV5";
        case CF_UNICODETEXT: return "CF_UNICODETEXT";
        case CF_OEMTEXT: return "CF_OEMTEXT";
        case CF_LOCALE: return "CF_LOCALE";
        case CF_PALETTE: return "CF_PALETTE";
        case CF_HDROP: return "CF_HDROP";
    }
    char name[256];
    if (GetClipboardFormatNameA(format, name, sizeof name) > 0) return name;
    return "#" + std::to_string(format);
}

// Copies a clipboard entry's bytes; empty when absent or unreadable.
std::vector<BYTE> ClipboardBytes(UINT format, bool& present) {
    std::vector<BYTE> bytes;
    HANDLE data = GetClipboardData(format);
    present = data != nullptr;
    if (!data) return bytes;
    const SIZE_T size = GlobalSize(data);
    if (const auto* p = static_cast<const BYTE*>(GlobalLock(data))) {
        bytes.assign(p, p + size);
        GlobalUnlock(data);
    }
    return bytes;
}

// One pixel of a packed DIB (BITMAPINFOHEADER or a later header, 32 bits,
// BI_RGB or BI_BITFIELDS) as AARRGGBB, y counted from the top.
std::string ReadDib(const std::vector<BYTE>& bytes, const char* tag, bool keepForShow) {
    if (bytes.size() < sizeof(BITMAPINFOHEADER)) return std::string(tag) + " bad";
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof header);
    const int width = header.biWidth, height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    std::string line = std::string(tag) + " " + std::to_string(width) + " " + std::to_string(height) + " " +
                       std::to_string(header.biBitCount) + " " + std::to_string(header.biCompression);
    if (header.biBitCount != 32 || width <= 0 || height <= 0) return line + " unread";
    size_t offset = header.biSize;
    // A plain info header with bit fields has its three masks after it.
    if (header.biSize == sizeof(BITMAPINFOHEADER) && header.biCompression == BI_BITFIELDS) offset += 12;
    const size_t stride = static_cast<size_t>(width) * 4;
    if (bytes.size() < offset + stride * static_cast<size_t>(height)) return line + " short";
    auto rowOf = [&](int y) { return header.biHeight > 0 ? height - 1 - y : y; };
    if (options.pixel.x >= width || options.pixel.y >= height) return line + " outside";
    DWORD pixel;
    std::memcpy(&pixel, bytes.data() + offset + stride * static_cast<size_t>(rowOf(options.pixel.y)) + 4 * options.pixel.x,
                4);
    if (keepForShow) {
        shownWidth = width;
        shownHeight = height;
        shownPixels.resize(stride * static_cast<size_t>(height));
        for (int y = 0; y < height; ++y)
            std::memcpy(shownPixels.data() + stride * static_cast<size_t>(y),
                        bytes.data() + offset + stride * static_cast<size_t>(rowOf(y)), stride);
    }
    return line + " " + Hex32(pixel);
}

std::string ReadPng(const std::vector<BYTE>& bytes) {
    std::string line = "png bad";
    IWICImagingFactory* factory = nullptr;
    IStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* converted = nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (memory) {
        if (void* p = GlobalLock(memory)) {
            std::memcpy(p, bytes.data(), bytes.size());
            GlobalUnlock(memory);
        }
    }
    if (memory && SUCCEEDED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
        memory = nullptr;  // the stream owns it
        UINT width = 0, height = 0;
        if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       reinterpret_cast<void**>(&factory))) &&
            SUCCEEDED(factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) &&
            SUCCEEDED(decoder->GetFrame(0, &frame)) &&
            SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &converted)) &&
            SUCCEEDED(converted->GetSize(&width, &height))) {
            line = "png " + std::to_string(width) + " " + std::to_string(height);
            const WICRect one{options.pixel.x, options.pixel.y, 1, 1};
            DWORD pixel = 0;
            if (options.pixel.x < static_cast<int>(width) && options.pixel.y < static_cast<int>(height) &&
                SUCCEEDED(converted->CopyPixels(&one, 4, 4, reinterpret_cast<BYTE*>(&pixel))))
                line += " " + Hex32(pixel);
            else
                line += " outside";
        }
    }
    if (memory) GlobalFree(memory);
    if (converted) converted->Release();
    if (frame) frame->Release();
    if (decoder) decoder->Release();
    if (stream) stream->Release();
    if (factory) factory->Release();
    return line;
}

void LogClipboard(HWND wnd) {
    if (!OpenClipboard(wnd)) {
        LogLine("clipboard locked");
        return;
    }
    std::string formats = "formats";
    for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
        formats += " " + FormatName(format);
    LogLine(formats);
    bool present = false;
    std::vector<BYTE> png = ClipboardBytes(RegisterClipboardFormatA("PNG"), present);
    LogLine(present ? ReadPng(png) : "png none");
    std::vector<BYTE> dibv5 = ClipboardBytes(CF_DIBV5, present);
    LogLine(present ? ReadDib(dibv5, "dibv5", true) : "dibv5 none");
    std::vector<BYTE> dib = ClipboardBytes(CF_DIB, present);
    LogLine(present ? ReadDib(dib, "dib", false) : "dib none");
    std::vector<BYTE> html = ClipboardBytes(RegisterClipboardFormatA("HTML Format"), present);
    LogLine(present ? "html " + std::to_string(html.size()) : "html none");
    CloseClipboard();
    LogLine("paste done");
    shownText = formats;
    InvalidateRect(wnd, nullptr, TRUE);
}

void LogKey(UINT msg, WPARAM vk, double arrivedUs) {
    const bool down = msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN;
    const bool sys = msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP;
    std::string line = std::string("key ") + (down ? "down " : "up ") + (sys ? "sys " : "plain ") +
                       std::to_string(static_cast<unsigned>(vk));
    if (options.stamps) {
        char stamp[32];
        std::snprintf(stamp, sizeof stamp, " %.1f", arrivedUs);
        line += stamp;
    }
    LogLine(line);
}

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    InflateRect(&r, -8, -8);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, shownText.c_str(), -1, &r, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    if (!shownPixels.empty()) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = shownWidth;
        info.bmiHeader.biHeight = -shownHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, r.left, r.top + 40, shownWidth, shownHeight, 0, 0, shownWidth, shownHeight,
                      shownPixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(wnd, &ps);
}

LRESULT CALLBACK EditorWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    const double arrivedUs = options.stamps ? peer::NowMicroseconds() : 0;
    switch (msg) {
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYDOWN:
        case WM_SYSKEYUP:
            LogKey(msg, wp, arrivedUs);
            if (msg == WM_KEYDOWN && wp == 'V' && GetKeyState(VK_CONTROL) < 0) LogClipboard(wnd);
            return 0;
        case WM_ACTIVATE:
            LogLine(LOWORD(wp) == WA_INACTIVE ? "activate off" : "activate on");
            break;
        case WM_SETFOCUS:
            LogLine("focus on");
            return 0;
        case WM_KILLFOCUS:
            LogLine("focus off");
            return 0;
        case WM_PAINT:
            Paint(wnd);
            return 0;
        case WM_SYSCHAR:
            return 0;
        case WM_SYSCOMMAND:
            if ((wp & 0xFFF0) == SC_KEYMENU) return 0;
            break;
        case WM_TIMER:
            if (wp == kLifetimeTimer) DestroyWindow(wnd);
            return 0;
        case WM_CLOSE:
            DestroyWindow(wnd);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void ParseArgs() {
    for (int i = 1; i < __argc; ++i) {
        const std::string arg = __argv[i];
        if (arg == "--stamps") {
            options.stamps = true;
            continue;
        }
        if (i + 1 >= __argc) break;
        const char* value = __argv[++i];
        if (arg == "--class") options.className = value;
        else if (arg == "--title") options.title = value;
        else if (arg == "--log") options.log = value;
        else if (arg == "--ready") options.ready = value;
        else if (arg == "--pixel") std::sscanf(value, "%ld,%ld", &options.pixel.x, &options.pixel.y);
        else if (arg == "--bounds")
            std::sscanf(value, "%ld,%ld,%ld,%ld", &options.bounds.left, &options.bounds.top, &options.bounds.right,
                        &options.bounds.bottom);
        else if (arg == "--lifetime") options.lifetimeSeconds = static_cast<unsigned>(std::strtoul(value, nullptr, 10));
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    ParseArgs();
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    if (!options.log.empty()) logFile = std::fopen(options.log.c_str(), "a");
    WNDCLASSA wc{};
    wc.lpfnWndProc = EditorWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = options.className.c_str();
    if (!RegisterClassA(&wc)) return 1;
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, options.title.c_str(), WS_OVERLAPPEDWINDOW, options.bounds.left,
                               options.bounds.top, options.bounds.right, options.bounds.bottom, nullptr, nullptr,
                               instance, nullptr);
    if (!wnd) return 1;
    ShowWindow(wnd, SW_SHOW);
    UpdateWindow(wnd);
    SetTimer(wnd, kLifetimeTimer, options.lifetimeSeconds * 1000, nullptr);
    peer::WriteReadyFile(options.ready, wnd);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (logFile) std::fclose(logFile);
    CoUninitialize();
    return 0;
}
