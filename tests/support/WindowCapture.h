// A copy of what a window shows, read back from its device context.
#pragma once
#include <windows.h>

#include <algorithm>

#include "Picture.h"

// A copy of what a window shows now, taken from its own device context.
class Capture {
public:
    explicit Capture(HWND wnd) {
        RECT r;
        GetClientRect(wnd, &r);
        width = r.right;
        height = r.bottom;
        picture.SetSize(width, height, RGB(1, 2, 3));
        HDC source = GetDC(wnd);
        HDC target = CreateCompatibleDC(source);
        HGDIOBJ old = SelectObject(target, picture.Handle());
        BitBlt(target, 0, 0, width, height, source, 0, 0, SRCCOPY);
        SelectObject(target, old);
        DeleteDC(target);
        ReleaseDC(wnd, source);
    }
    COLORREF At(int x, int y) const { return picture.Pixel(x, y); }
    int Count(COLORREF c, RECT area) const {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += At(x, y) == c;
        return n;
    }
    int Count(COLORREF c) const { return Count(c, RECT{0, 0, width, height}); }
    // The bounding box of the pixels of colour c (empty when none).
    RECT Extent(COLORREF c) const {
        RECT box{width, height, -1, -1};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) == c) {
                    box.left = std::min<LONG>(box.left, x);
                    box.top = std::min<LONG>(box.top, y);
                    box.right = std::max<LONG>(box.right, x + 1);
                    box.bottom = std::max<LONG>(box.bottom, y + 1);
                }
        return box;
    }
    TBitmap picture;
    int width = 0, height = 0;
};
