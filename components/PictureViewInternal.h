// Constants and small helpers shared by the files of TPictureView
// (PictureView*.cpp); not part of its interface.
#pragma once
#include <windows.h>

#include <string>

#include "DpiScale.h"

namespace picture_view {

// The view's one timer: background work and animation frames.
constexpr UINT_PTR kTimer = 1;
// Posted to pick a picture from outside the message that asked for it.
constexpr UINT kPickMessage = WM_APP + 0x71;
// Posted by the decode worker when pictures of this view are decoded.
constexpr UINT kDecodedMessage = WM_APP + 0x72;
// Letters typed within this time make one name to look for.
constexpr DWORD kTypingMs = 1000;
// The focus frame lies this far outside the picture's box (the hover frame
// one pixel); the gaps between pictures leave room for both.
constexpr int kFocusOutset = 2;
// Before a paint, what the visible area needs may hold it up this long. The
// rest is done from the message loop in slices with a pause after each, so
// input and painting go first and a loop that pumps until the queue is empty
// (ProcessMessages) still finds it empty now and then.
constexpr DWORD kPaintBudgetMs = 50;
constexpr DWORD kSliceBudgetMs = 20;
constexpr UINT kSlicePauseMs = 10;
// One scroll line (arrow, one wheel line), about a line of the page's text.
constexpr int kLineStep = 20;
// Those lengths at the view's resolution (designed at 96 dpi).
inline int FocusOutsetAt(int viewDpi) { return dpi::Scale(kFocusOutset, viewDpi); }
inline int LineStepAt(int viewDpi) { return dpi::Scale(kLineStep, viewDpi); }

constexpr COLORREF kBackground = RGB(255, 255, 255);
constexpr COLORREF kPlaceholderFrame = RGB(160, 160, 160);
constexpr COLORREF kPlaceholderCross = RGB(210, 0, 0);

inline std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

inline bool Intersects(const RECT& a, const RECT& b) {
    RECT r;
    return IntersectRect(&r, &a, &b) != FALSE;
}

}  // namespace picture_view
