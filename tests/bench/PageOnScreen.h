// Where a picture view's page is on the screen and whether it shows every
// picture in sight, read from the screen itself (for the first show of a tab).
#pragma once
#include <windows.h>

#include <vector>

// The part of a picture view's page that shows on the screen, and where the
// pictures in it are. Tabs of the same pictures in the same order are laid
// out alike, so what one such tab says holds for the others.
struct PageOnScreen {
    RECT visible{};                  // screen coordinates
    std::vector<RECT> boxes;         // the pictures in sight, clipped, relative to `visible`
    std::vector<POINT> background;   // points of the white page between them, relative
    POINT pictureMiddles[2]{};       // screen coordinates of the first two pictures' middles

    int Width() const { return visible.right - visible.left; }

    // The page is painted with every picture in sight: the page is white
    // where no picture is, and each picture's box holds more than one colour
    // (an undecoded picture is a white box; the tab's grey before the view
    // paints is one colour too).
    bool FullyPainted(const std::vector<DWORD>& pixels) const;
    bool FullyPaintedNow() const;

    // The quick look: the last picture in sight is painted (the view paints
    // them in order). Reading the whole page takes tens of milliseconds
    // under Wine; one picture's box, a fraction of that.
    bool LastPicturePaintedNow() const;

    // Milliseconds from `startMs` (NowMs) to the moment the last picture in
    // sight shows, when a look at the whole page at once after finds every
    // other one there too; -1 when that does not come within `timeoutMs`.
    // `looks` and `lookMs` add up the quick looks and their time.
    double TimeUntilPainted(double startMs, double timeoutMs, int& looks, double& lookMs) const;
};

// The view's client area cut to what its tab and the window let show.
RECT VisibleClient(HWND view);

// Asks the view where its pictures are (oleacc), up to the first one below
// the visible part, at most `count`; false when it does not answer.
bool LocatePictures(HWND view, int count, PageOnScreen& page);
