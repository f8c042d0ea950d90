// TPictureView: painting through one back buffer.
#include "PictureView.h"

#include <algorithm>

#include "PictureViewInternal.h"
#include "PixelScale.h"

using namespace picture_view;

// ============================================================== painting

void TPictureView::PaintWindow(HDC dc) {
    RECT clip;
    if (GetClipBox(dc, &clip) == NULLREGION || IsRectEmpty(&clip)) return;
    const int width = clip.right - clip.left, height = clip.bottom - clip.top;
    // One back buffer for this paint only: nothing flickers, and no GDI
    // object outlives the paint.
    HDC target = dc;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP buffer = memory ? CreateCompatibleBitmap(dc, width, height) : nullptr;
    HGDIOBJ oldBitmap = nullptr;
    if (buffer) {
        oldBitmap = SelectObject(memory, buffer);
        SetViewportOrgEx(memory, -clip.left, -clip.top, nullptr);
        target = memory;
    }
    SetDCBrushColor(target, kBackground);
    FillRect(target, &clip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));

    const flow::Range range = layout_.RowsBetween(clip.top + scrollPos_, clip.bottom + scrollPos_);
    for (int i = range.first; i < range.last; ++i) {
        RECT box = ToClient(layout_.Box(i));
        if (Intersects(box, clip)) DrawPicture(target, i, box);
    }
    if (Pickable(hot_) && hot_ < layout_.Count()) {
        RECT frame = PictureRect(hot_);
        InflateRect(&frame, 1, 1);
        SetDCBrushColor(target, GetSysColor(COLOR_HIGHLIGHT));
        FrameRect(target, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    DrawFocusFrame(target);

    if (buffer) {
        BitBlt(dc, clip.left, clip.top, width, height, memory, clip.left, clip.top, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteObject(buffer);
    }
    if (memory) DeleteDC(memory);
}

void TPictureView::DrawPicture(HDC dc, int index, const RECT& box) {
    if (Info(index).state == State::Broken) {
        DrawPlaceholder(dc, box);
        return;
    }
    const PixelBuffer* pixels = PixelCache::Shared().Use(this, index);
    if (!pixels) return;  // still on its way: white until decoded
    const int frame = std::clamp(FrameOf(index), 0, pixels->frames - 1);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels->width;
    info.bmiHeader.biHeight = -pixels->height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const int width = box.right - box.left, height = box.bottom - box.top;
    const dpi::Filter filter = dpi::FilterFor(pixels->width, pixels->height, width, height);
    if (filter == dpi::Filter::HighQuality) {
        // Between whole factors: averaged, not uneven blocks.
        const auto* first = pixels->Frame(frame);
        const std::vector<uint32_t> source(first, first + static_cast<size_t>(pixels->width) * pixels->height);
        const std::vector<uint32_t> scaled = dpi::Resample(source, pixels->width, pixels->height, width, height, filter);
        if (scaled.empty()) return;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        StretchDIBits(dc, box.left, box.top, width, height, 0, 0, width, height, scaled.data(), &info, DIB_RGB_COLORS,
                      SRCCOPY);
        return;
    }
    // The picture's own size (96 dpi), or whole blocks at 2x, 3x ...
    if (filter == dpi::Filter::NearestNeighbour) SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, box.left, box.top, filter == dpi::Filter::None ? pixels->width : width,
                  filter == dpi::Filter::None ? pixels->height : height, 0, 0, pixels->width, pixels->height,
                  pixels->Frame(frame), &info, DIB_RGB_COLORS, SRCCOPY);
}

// The platform's dotted focus rectangle around the focused picture, while
// the view has the focus.
void TPictureView::DrawFocusFrame(HDC dc) {
    if (!Focused() || !Pickable(focus_) || focus_ >= layout_.Count()) return;
    RECT frame = PictureRect(focus_);
    const int outset = FocusOutsetAt(Dpi());
    InflateRect(&frame, outset, outset);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, kBackground);
    DrawFocusRect(dc, &frame);
}

// A grey frame with a red cross near its top-left corner: drawn into the
// picture's box (24 x 24 for a file that could not be read at all).
void TPictureView::DrawPlaceholder(HDC dc, const RECT& box) {
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
    SetDCBrushColor(dc, kPlaceholderFrame);
    FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, kPlaceholderCross);
    // Designed at 96 dpi: 7 pixels in, 10 long, two thick.
    const int x = box.left + dpi::Scale(7, Dpi()), y = box.top + dpi::Scale(7, Dpi());
    const int cross = dpi::Scale(10, Dpi()), thickness = dpi::Scale(2, Dpi());
    for (int d = 0; d < thickness; ++d) {
        MoveToEx(dc, x + d, y, nullptr);
        LineTo(dc, x + d + cross, y + cross);
        MoveToEx(dc, x + d + cross - 1, y, nullptr);
        LineTo(dc, x + d - 1, y + cross);
    }
    RestoreDC(dc, saved);
}
