// Laying controls out for another resolution than the one they were
// designed at (see DpiScale for the rounding).
#include "Controls.h"
#include "DpiScale.h"

#include <vector>

void TControl::ChangeScale(int toDpi, int fromDpi) {
    dpi_ = toDpi;
    if (toDpi == fromDpi) return;
    if (ScalesBounds()) {
        const dpi::Box box = dpi::ScaleBox({left_, top_, width_, height_}, toDpi, fromDpi);
        SetBounds(box.left, box.top, box.width, box.height);
    }
    // A font that follows the parent's is scaled with the parent's.
    if (!parentFont_) font_.SetHeight(dpi::Scale(font_.Height(), toDpi, fromDpi));
}

void TWinControl::ChangeScale(int toDpi, int fromDpi) {
    // Aligned children are placed once, after all of them are scaled.
    const bool wasAligning = aligning_;
    aligning_ = true;
    try {
        TControl::ChangeScale(toDpi, fromDpi);
        for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(toDpi, c->Dpi());
    } catch (...) {
        aligning_ = wasAligning;
        throw;
    }
    aligning_ = wasAligning;
    AlignControls();
}
