#include "PageOnScreen.h"

#include "BenchInput.h"
#include "BenchTiming.h"
#include "PictureAccess.h"
#include "ScreenShot.h"
#include "Wait.h"

namespace {
constexpr DWORD kWhite = 0xFFFFFF;
}  // namespace

bool PageOnScreen::FullyPainted(const std::vector<DWORD>& pixels) const {
    const int width = Width();
    if (pixels.empty()) return false;
    for (POINT p : background)
        if (pixels[static_cast<size_t>(p.y * width + p.x)] != kWhite) return false;
    for (const RECT& box : boxes) {
        const DWORD first = pixels[static_cast<size_t>(box.top * width + box.left)];
        bool varied = false;
        for (int y = box.top; y < box.bottom && !varied; ++y)
            for (int x = box.left; x < box.right && !varied; ++x)
                varied = pixels[static_cast<size_t>(y * width + x)] != first;
        if (!varied) return false;
    }
    return true;
}

bool PageOnScreen::FullyPaintedNow() const { return FullyPainted(ScreenPixels(visible)); }

bool PageOnScreen::LastPicturePaintedNow() const {
    RECT box = boxes.back();
    OffsetRect(&box, visible.left, visible.top);
    const std::vector<DWORD> pixels = ScreenPixels(box);
    for (DWORD p : pixels)
        if (p != pixels.front()) return true;
    return false;
}

double PageOnScreen::TimeUntilPainted(double startMs, double timeoutMs, int& looks, double& lookMs) const {
    double ms = -1;
    PollUntil(
        [&] {
            const double t = NowMs();
            const bool last = LastPicturePaintedNow();
            lookMs += NowMs() - t;
            ++looks;
            if (last && FullyPaintedNow()) ms = t - startMs;
            return ms >= 0;
        },
        timeoutMs);
    return ms;
}

RECT VisibleClient(HWND view) {
    RECT r;
    GetClientRect(view, &r);
    MapWindowPoints(view, nullptr, reinterpret_cast<POINT*>(&r), 2);
    for (HWND child = view, parent; (GetWindowLongA(child, GWL_STYLE) & WS_CHILD) && (parent = GetParent(child));
         child = parent) {
        RECT p;
        GetClientRect(parent, &p);
        MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&p), 2);
        IntersectRect(&r, &r, &p);
    }
    return r;
}

bool LocatePictures(HWND view, int count, PageOnScreen& page) {
    page.visible = VisibleClient(view);
    page.boxes.clear();
    for (long id = 1; id <= count; ++id) {
        RECT r{};
        if (!WaitFor([&] { return PictureOnScreen(view, id, r); }, 10000)) return false;
        if (id <= 2) page.pictureMiddles[id - 1] = Centre(r);
        if (r.top >= page.visible.bottom) break;
        RECT shown;
        if (!IntersectRect(&shown, &r, &page.visible)) continue;
        OffsetRect(&shown, -page.visible.left, -page.visible.top);
        page.boxes.push_back(shown);
    }
    // Down the left margin (10 pixels wide), away from the focus frame.
    page.background.clear();
    for (int y = 3; y < page.visible.bottom - page.visible.top; y += 20) page.background.push_back(POINT{3, y});
    return !page.boxes.empty();
}
