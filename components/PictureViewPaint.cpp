// TPictureView: painting through one back buffer.
#include "PictureView.h"

#include <algorithm>

#include "PictureViewInternal.h"

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
    StretchDIBits(dc, box.left, box.top, pixels->width, pixels->height, 0, 0, pixels->width, pixels->height,
                  pixels->Frame(frame), &info, DIB_RGB_COLORS, SRCCOPY);
}

// The platform's dotted focus rectangle around the focused picture, while
// the view has the focus.
void TPictureView::DrawFocusFrame(HDC dc) {
    if (!Focused() || !Pickable(focus_) || focus_ >= layout_.Count()) return;
    RECT frame = PictureRect(focus_);
    InflateRect(&frame, kFocusOutset, kFocusOutset);
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
    const int x = box.left + 7, y = box.top + 7;
    constexpr int kCross = 10;
    for (int d = 0; d < 2; ++d) {  // two pixels thick
        MoveToEx(dc, x + d, y, nullptr);
        LineTo(dc, x + d + kCross, y + kCross);
        MoveToEx(dc, x + d + kCross - 1, y, nullptr);
        LineTo(dc, x + d - 1, y + kCross);
    }
    RestoreDC(dc, saved);
}
