#include "ScaledBitmap.h"

#include "DpiScale.h"
#include "PixelScale.h"

namespace {
BITMAPINFO TopDown32(int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}
}  // namespace

TBitmap ResampledBitmap(const TBitmap& source, int width, int height, bool keyed) {
    TBitmap result;
    if (source.Empty() || width <= 0 || height <= 0) return result;
    if (width == source.Width() && height == source.Height()) return source.Clone();
    const int w = source.Width(), h = source.Height();
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    BITMAPINFO info = TopDown32(w, h);
    GdiFlush();
    HDC screen = GetDC(nullptr);
    const int read = GetDIBits(screen, source.Handle(), 0, static_cast<UINT>(h), pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (read != h) return result;
    // GetDIBits gives BGR with an undefined fourth byte: opaque.
    for (uint32_t& p : pixels) p |= 0xFF000000u;
    // COLORREF 0x00BBGGRR to the pixel order 0x00RRGGBB.
    const COLORREF see = source.TransparentColor();
    const uint32_t key = (static_cast<uint32_t>(GetRValue(see)) << 16) | (GetGValue(see) << 8) | GetBValue(see);
    const dpi::Filter filter = dpi::FilterFor(w, h, width, height);
    std::vector<uint32_t> scaled = keyed && filter == dpi::Filter::HighQuality
                                       ? dpi::AlphaToKey(dpi::Resample(dpi::KeyToAlpha(pixels, key), w, h, width,
                                                                       height, filter),
                                                         key)
                                       : dpi::Resample(pixels, w, h, width, height, filter);
    if (scaled.empty()) return result;
    result.SetSize(width, height);
    BITMAPINFO out = TopDown32(width, height);
    SetDIBits(nullptr, result.Handle(), 0, static_cast<UINT>(height), scaled.data(), &out, DIB_RGB_COLORS);
    result.Transparent = source.Transparent;
    return result;
}

TBitmap BitmapForDpi(const TBitmap& source, int toDpi, int fromDpi, bool keyed) {
    if (source.Empty() || toDpi == fromDpi) return source.Clone();
    return ResampledBitmap(source, dpi::Scale(source.Width(), toDpi, fromDpi),
                           dpi::Scale(source.Height(), toDpi, fromDpi), keyed);
}
