#include "Buttons.h"

#include <algorithm>

#include "DpiScale.h"
#include "LayoutReader.h"
#include "ScaledBitmap.h"

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::Changed() {
    if (HandleAllocated()) InvalidateRect(handle_, nullptr, TRUE);
}

void TBitBtn::SetGlyph(TBitmap&& glyph) {
    designGlyph_ = std::move(glyph);
    if (!designGlyph_.Empty() && designGlyph_.Width() % designGlyph_.Height() == 0) {
        int count = designGlyph_.Width() / designGlyph_.Height();
        if (count >= 1 && count <= 4) numGlyphs_ = count;
    }
    ScaleGlyph();
}

void TBitBtn::ScaleGlyph() {
    if (Dpi() == dpi::kDesignDpi || designGlyph_.Empty()) {
        glyph_ = designGlyph_.Clone();
    } else {
        // Cell by cell: every state gets the same scaled width.
        const int cell = dpi::Scale(designGlyph_.Width() / numGlyphs_, Dpi());
        glyph_ = ResampledBitmap(designGlyph_, cell * numGlyphs_, dpi::Scale(designGlyph_.Height(), Dpi()), true);
    }
    Changed();
}

void TBitBtn::ChangeScale(int toDpi, int fromDpi) {
    TButton::ChangeScale(toDpi, fromDpi);
    if (spacing_ > 0) spacing_ = dpi::Scale(spacing_, toDpi, fromDpi);
    if (margin_ > 0) margin_ = dpi::Scale(margin_, toDpi, fromDpi);
    ScaleGlyph();
}

void TBitBtn::LoadGlyph(const std::string& resourceName) {
    TBitmap glyph;
    glyph.LoadFromResourceName(GetModuleHandleA(nullptr), resourceName.c_str());
    SetGlyph(std::move(glyph));
}

void TBitBtn::SetNumGlyphs(int value) {
    numGlyphs_ = std::clamp(value, 1, 4);
    ScaleGlyph();
}

void TBitBtn::SetLayout(TButtonLayout value) {
    layout_ = value;
    Changed();
}

void TBitBtn::SetSpacing(int value) {
    spacing_ = value;
    Changed();
}

void TBitBtn::SetMargin(int value) {
    margin_ = value;
    Changed();
}

LRESULT TBitBtn::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case CN_DRAWITEM:
        DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button would report a double click instead of a
        // second press; a quick second click is just another click here.
        return TButton::WndProc(WM_LBUTTONDOWN, wp, lp);
    default:
        return TButton::WndProc(msg, wp, lp);
    }
}

namespace {
bool IsInk(COLORREF c) {
    // Dark pixels carry the shape; light ones vanish in the greyed picture.
    return GetRValue(c) * 30 + GetGValue(c) * 59 + GetBValue(c) * 11 < 192 * 100;
}
}  // namespace

void TBitBtn::DrawGlyph(HDC dc, int x, int y, int index, bool greyed) const {
    const int w = glyph_.Width() / numGlyphs_;
    const int h = glyph_.Height();
    const COLORREF see = glyph_.TransparentColor();
    if (greyed) {
        // Engraved: the shape in highlight one pixel down-right, then in shadow.
        const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT), shadow = GetSysColor(COLOR_BTNSHADOW);
        for (int pass = 0; pass < 2; ++pass)
            for (int py = 0; py < h; ++py)
                for (int px = 0; px < w; ++px) {
                    COLORREF c = glyph_.Pixel(index * w + px, py);
                    if (c == see || !IsInk(c)) continue;
                    if (pass == 0) SetPixelV(dc, x + px + 1, y + py + 1, light);
                    else SetPixelV(dc, x + px, y + py, shadow);
                }
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, glyph_.Handle());
    TransparentBlt(dc, x, y, w, h, source, index * w, 0, w, h, see);
    SelectObject(source, old);
    DeleteDC(source);
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = item.itemState & ODS_SELECTED;
    const bool focused = item.itemState & ODS_FOCUS;
    const bool disabled = item.itemState & ODS_DISABLED;

    // The default (or focused) button wears a dark outer frame.
    if (Default() || focused) {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));

    SelectGuard font(dc, Font().Handle());
    // No clipping: some fonts reach below the cell height they report.
    UINT textFlags = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP;
    if (item.itemState & ODS_NOACCEL) textFlags |= DT_HIDEPREFIX;
    RECT textSize{0, 0, 0, 0};
    const std::string& caption = Caption();
    if (!caption.empty())
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &textSize, textFlags | DT_CALCRECT);

    const int glyphW = glyph_.Empty() ? 0 : glyph_.Width() / numGlyphs_;
    const int glyphH = glyph_.Empty() ? 0 : glyph_.Height();
    const RECT& whole = item.rcItem;
    TGlyphPlacement at = PlaceGlyphAndCaption(whole.right - whole.left, whole.bottom - whole.top, glyphW, glyphH,
                                              textSize.right, textSize.bottom, layout_, margin_, spacing_);
    const int shift = pressed ? 1 : 0;  // the face sinks while pressed

    if (glyphW > 0) {
        int index = 0;
        bool greyed = false;
        if (disabled) {
            if (numGlyphs_ >= 2) index = 1;
            else greyed = true;
        } else if (pressed && numGlyphs_ >= 3) {
            index = 2;
        }
        DrawGlyph(dc, whole.left + at.glyphX + shift, whole.top + at.glyphY + shift, index, greyed);
    }

    if (!caption.empty()) {
        RECT tr{whole.left + at.textX + shift, whole.top + at.textY + shift, 0, 0};
        tr.right = tr.left + textSize.right;
        tr.bottom = tr.top + textSize.bottom;
        SetBkMode(dc, TRANSPARENT);
        if (disabled) {
            RECT light = tr;
            OffsetRect(&light, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &light, textFlags);
            SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        } else {
            SetTextColor(dc, ColorToRGB(Font().Color()));
        }
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &tr, textFlags);
    }

    if (focused && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT fr = r;
        InflateRect(&fr, -3, -3);
        DrawFocusRect(dc, &fr);
    }
}

bool TBitBtn::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "Glyph") LoadGlyph(r.Str(v));
    else if (name == "NumGlyphs") SetNumGlyphs(r.Int(v));
    else if (name == "Layout")
        SetLayout(static_cast<TButtonLayout>(r.Enum(v, {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"})));
    else if (name == "Spacing") SetSpacing(r.Int(v));
    else if (name == "Margin") SetMargin(r.Int(v));
    else return TButton::ReadProperty(name, v, r);
    return true;
}
