// Where a picture of the program's picture view is on the screen, asked as
// assistive technology asks: through oleacc, from this process.
#pragma once
#include <windows.h>
#include <oleacc.h>

// Picture `id` (from 1) of the view `view`, in screen coordinates; false when
// the view does not answer or the picture has no place yet.
inline bool PictureOnScreen(HWND view, long id, RECT& out) {
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(view, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&acc))))
        return false;
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    long l = 0, t = 0, w = 0, h = 0;
    const bool ok = acc->accLocation(&l, &t, &w, &h, child) == S_OK && w > 0;
    acc->Release();
    out = RECT{l, t, l + w, t + h};
    return ok;
}
