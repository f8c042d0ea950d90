// The yardstick of a tab's first show (./tovira bench): a bare program that,
// on a click into its window, decodes the pictures of one folder with WIC on
// its window thread and draws them once, flowing left to right with a gap
// of four pixels, as the page does. When the paint has drawn them all it
// keeps the moment (QueryPerformanceCounter, milliseconds, low 32 bits) in
// its window's property "Bare.Drawn", the count in "Bare.Pictures", and
// where each picture lies in its client area in "Bare.Box.<i>" (left and
// top, low and high word) and "Bare.BoxEnd.<i>" (right and bottom), so the
// bench can watch the screen for them as it does for a tab's first show.
// The message WM_APP + 1 (sent) forgets the pictures and paints the window
// white before it returns.
//
//   bare_decode.exe FOLDER X Y WIDTH HEIGHT
#include <windows.h>
#include <wincodec.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width = 0, height = 0;
    std::vector<BYTE> pixels;  // 32 bpp, top-down
};

std::string folder;
std::vector<Picture> pictures;
bool drawPending = false;

DWORD NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<DWORD>(static_cast<unsigned long long>(now.QuadPart) * 1000ull /
                              static_cast<unsigned long long>(frequency.QuadPart));
}

bool Decode(IWICImagingFactory* factory, const std::string& path, Picture& out) {
    std::wstring wide(path.begin(), path.end());
    IWICBitmapDecoder* decoder = nullptr;
    if (FAILED(factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)))
        return false;
    bool ok = false;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICFormatConverter* converter = nullptr;
    UINT w = 0, h = 0;
    if (SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
        SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                        WICBitmapPaletteTypeCustom)) &&
        SUCCEEDED(converter->GetSize(&w, &h))) {
        out.width = static_cast<int>(w);
        out.height = static_cast<int>(h);
        out.pixels.resize(static_cast<size_t>(w) * h * 4);
        ok = SUCCEEDED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(out.pixels.size()), out.pixels.data()));
    }
    if (converter) converter->Release();
    if (frame) frame->Release();
    decoder->Release();
    return ok;
}

void DecodeAll() {
    pictures.clear();
    IWICImagingFactory* factory = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
        return;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            Picture p;
            if (Decode(factory, folder + "\\" + data.cFileName, p)) pictures.push_back(std::move(p));
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    factory->Release();
}

void Paint(HWND wnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT client;
    GetClientRect(wnd, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    int x = 4, y = 4, rowHeight = 0;
    for (const Picture& p : pictures) {
        if (x + p.width > client.right && x > 4) {
            x = 4;
            y += rowHeight + 4;
            rowHeight = 0;
        }
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = p.width;
        info.bmiHeader.biHeight = -p.height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        StretchDIBits(dc, x, y, p.width, p.height, 0, 0, p.width, p.height, p.pixels.data(), &info, DIB_RGB_COLORS,
                      SRCCOPY);
        if (drawPending) {
            const std::string n = std::to_string(&p - pictures.data());
            SetPropA(wnd, ("Bare.Box." + n).c_str(), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(MAKELONG(x, y))));
            SetPropA(wnd, ("Bare.BoxEnd." + n).c_str(),
                     reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(MAKELONG(x + p.width, y + p.height))));
        }
        x += p.width + 4;
        if (p.height > rowHeight) rowHeight = p.height;
    }
    GdiFlush();
    EndPaint(wnd, &ps);
    if (drawPending) {
        drawPending = false;
        SetPropA(wnd, "Bare.Pictures", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(pictures.size())));
        SetPropA(wnd, "Bare.Drawn", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(NowMs())));
    }
}

LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_LBUTTONDOWN:
        DecodeAll();
        drawPending = true;
        InvalidateRect(wnd, nullptr, FALSE);
        UpdateWindow(wnd);
        return 0;
    case WM_PAINT:
        Paint(wnd);
        return 0;
    case WM_APP + 1:
        pictures.clear();
        InvalidateRect(wnd, nullptr, FALSE);
        UpdateWindow(wnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (__argc < 6) return 2;
    folder = __argv[1];
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.lpszClassName = "ToviraBareDecode";
    RegisterClassExA(&wc);
    HWND wnd = CreateWindowExA(0, wc.lpszClassName, "Bare decode", WS_POPUP | WS_VISIBLE, std::atoi(__argv[2]),
                               std::atoi(__argv[3]), std::atoi(__argv[4]), std::atoi(__argv[5]), nullptr, nullptr,
                               instance, nullptr);
    if (!wnd) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    CoUninitialize();
    return 0;
}
