// TXPMenu: measuring and painting menu items in the flat two-tone style.
#include <algorithm>

#include "Dpi.h"
#include "Forms.h"
#include "ImgList.h"
#include "Picture.h"
#include "ScaledBitmap.h"
#include "ToolBars.h"
#include "XPMenu.h"
#include "XPMenuLogic.h"

namespace {

using xpmenu::Rect;

Rect ToRect(const RECT& r) { return Rect{r.left, r.top, r.right, r.bottom}; }
RECT ToRECT(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

template <typename Points>
std::vector<POINT> ToPOINTs(const Points& points) {
    std::vector<POINT> out;
    for (const xpmenu::Point& p : points) out.push_back(POINT{p.x, p.y});
    return out;
}

TColor AsColor(COLORREF c) { return static_cast<TColor>(c & 0xFFFFFF); }
COLORREF Resolved(TColor c) { return ColorToRGB(c); }

constexpr TColor kWhite = 0xFFFFFF, kSilver = 0xC0C0C0, kBlack = 0;
// Passed to the image list as both colours: the drawing is masked, so neither is used.
constexpr COLORREF kUnusedColour = 0x1FFFFFFF;

bool IsNTFamily() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
#pragma GCC diagnostic pop
}

// The resolution the menus are drawn at: their form's (96 dpi without one).
int MenuDpi(const TForm* form) { return form ? form->Dpi() : dpi::kDesignDpi; }

// The system's menu font at the form's resolution (the ANSI call gives it
// at one resolution only: 96 dpi under Wine).
void FitMenuFont(TFont& font, const TForm* form) {
    const int wanted = MenuDpi(form);
    if (wanted == dpi::kDesignDpi && SystemDpi() == dpi::kDesignDpi) return;
    const int height = NonClientMetricsForDpi(wanted).lfMenuFont.lfHeight;
    if (height != 0) font.SetHeight(height);
}

// Fills each rectangle in the brush colour.
template <size_t N>
void FillAll(TCanvas& canvas, const std::array<Rect, N>& rects) {
    for (const Rect& r : rects) canvas.FillRect(ToRECT(r));
}

// Text drawn like DrawTextExA with no extra parameters, in the canvas font.
void DrawTextIn(TCanvas& canvas, const std::string& text, RECT rect, UINT format) {
    canvas.TextRect(rect, text, format);
}

}  // namespace

// ------------------------------------------------------------------ colours

void TXPMenu::LoadMenuFont(TFont& font) { ::LoadMenuFont(font); }

TColor TXPMenu::DarkenColor(TColor color, int amount) { return AsColor(xpmenu::Darken(Resolved(color), amount)); }

TColor TXPMenu::LightenColor(TCanvas& canvas, TColor color, int percent) {
    COLORREF lighter = xpmenu::Lighten(Resolved(color), percent);
    COLORREF nearest = GetNearestColor(canvas.Handle(), lighter);
    return AsColor(nearest == CLR_INVALID ? lighter : nearest);
}

TColor TXPMenu::GrayColor(TColor color, int amount) { return AsColor(xpmenu::Gray(Resolved(color), amount)); }

TColor TXPMenu::ContrastTextColor(TCanvas& canvas, TColor background) {
    if (xpmenu::KeepsFontColourOn(Resolved(background))) return font_.Color();
    return LightenColor(canvas, background, 90);
}

int TXPMenu::BitsPerPixel(TCanvas& canvas) const { return GetDeviceCaps(canvas.Handle(), BITSPIXEL); }

void TXPMenu::PrepareColors(TCanvas& canvas) {
    highColor_ = BitsPerPixel(canvas) >= 16;
    PreparedColors& c = colors_;
    c.menu = Color;
    c.iconColumn = IconBackColor;
    c.selectionBorder = SelectBorderColor;
    c.selectedText = SelectFontColor;
    c.bar = menuBarColor_;
    c.disabledText = DisabledColor;
    c.checkBorder = CheckedColor;
    c.separatorLine = SeparatorColor;
    if (highColor_) {
        c.selection = LightenColor(canvas, SelectColor, 68);
        c.checkFill = LightenColor(canvas, SelectColor, 80);
        c.hotCheckFill = LightenColor(canvas, SelectColor, 50);
        c.flatOuter = DarkenColor(clBtnFace, 90);
        c.flatEdge = DarkenColor(clBtnFace, 76);
    } else {
        c.selection = SelectColor;
        c.checkFill = kWhite;
        c.hotCheckFill = kSilver;
        c.flatOuter = c.flatEdge = clBtnShadow;
    }
    if (!useSystemColors_) return;
    LoadMenuFont(font_);
    FitMenuFont(font_, ownerForm_);
    c.selectedText = font_.Color();
    c.selectionBorder = clHighlight;
    c.bar = clBtnFace;
    c.checkBorder = clHighlight;
    if (highColor_) {
        c.menu = LightenColor(canvas, clBtnFace, 86);
        c.iconColumn = LightenColor(canvas, clBtnFace, 16);
        c.selection = LightenColor(canvas, clHighlight, 68);
        c.disabledText = LightenColor(canvas, clBtnShadow, 10);
        c.separatorLine = LightenColor(canvas, clBtnShadow, 25);
        c.checkFill = LightenColor(canvas, clHighlight, 80);
        c.hotCheckFill = LightenColor(canvas, clHighlight, 50);
    } else {
        c.menu = kWhite;
        c.iconColumn = clBtnFace;
        c.selection = kWhite;
        c.disabledText = clBtnShadow;
        c.separatorLine = clBtnShadow;
        c.checkFill = kWhite;
        c.hotCheckFill = kWhite;
    }
}

// ---------------------------------------------------------------- measuring

bool TXPMenu::IsBarItem(TMenuItem* item) const {
    TMenu* menu = item->GetParentMenu();
    return dynamic_cast<TMainMenu*>(menu) && item->Parent() == menu->Items();
}

namespace {
// Whether the item sits on the owner form's menu bar, told by the name of
// its parent component.
bool OnFormMenuBar(TForm* form, TMenuItem* item) {
    if (!form || !form->Menu()) return false;
    TComponent* parent = item->ParentComponent();
    return parent && parent->Name() == form->Menu()->Name();
}
}  // namespace

std::pair<int, int> TXPMenu::ItemImageSize(TMenuItem* item) const {
    const bool barItem = OnFormMenuBar(ownerForm_, item);
    TMenu* menu = item->GetParentMenu();
    TMenuItem* parent = item->Parent();
    TImageList* subImages = parent ? parent->SubMenuImages() : nullptr;
    TImageList* list = subImages ? subImages : (menu ? menu->Images() : nullptr);
    bool hasImage = false;
    if (barItem) {
        TImageList* barImages = ownerForm_->Menu()->Images();
        hasImage = barImages && item->ImageIndex() != -1;
        if (!list) list = barImages;
    }
    if ((menu && menu->Images()) || subImages) hasImage = item->ImageIndex() != -1;

    int w = 0, h = 0;
    if (hasImage && list) {
        w = list->Width();
        h = list->Height();
    } else if (item->Bitmap().Width() > 0) {
        w = item->Bitmap().Width();
        h = item->Bitmap().Height();
    }
    // Images (16 x 16 at 96 dpi) are drawn at the form's scale.
    const int d = MenuDpi(ownerForm_);
    w = dpi::Scale(w, d);
    h = dpi::Scale(h, d);
    if (!barItem) w = std::max(w, dpi::Scale(IconWidth, d));
    return {w, h};
}

void TXPMenu::MeasureMenuItem(TMenuItem* item, TCanvas& canvas, int& width, int& height) {
    const bool separator = item->Caption() == "-";
    const std::string s = xpmenu::MeasuredText(item->Caption(), item->ShortCutText());
    if (useSystemColors_) FitMenuFont(font_, ownerForm_);  // measured before the first painting
    canvas.Font.Assign(font_);
    const bool hasAmpersand = s.find('&') != std::string::npos;
    const int ampersand = hasAmpersand ? canvas.TextWidth("&") : 0;
    auto [iw, ih] = ItemImageSize(item);
    const bool barOnNT = OnFormMenuBar(ownerForm_, item) && IsNTFamily();
    width = std::max(width, xpmenu::ItemWidth(canvas.TextWidth(s), hasAmpersand, ampersand, iw, barOnNT));
    if (separator) {
        height = dpi::Scale(xpmenu::kSeparatorHeight, MenuDpi(ownerForm_));
        return;
    }
    height = std::max(height, xpmenu::ItemHeight(canvas.TextHeight(s), ih));
}

// ----------------------------------------------------------------- painting

void TXPMenu::DrawMenuItem(TMenuItem* item, TCanvas& canvas, RECT given, bool selected) {
    PrepareColors(canvas);
    const PreparedColors& c = colors_;
    const bool separator = item->Caption() == "-";
    const bool barItem = IsBarItem(item);
    TMenu* menu = item->GetParentMenu();
    const bool rightToLeft = menu && menu->IsRightToLeft();
    canvas.Font.Assign(font_);
    const std::string text = " " + item->Caption();

    // The picture: the item's own bitmap, replaced by a list image.
    TBitmap picture;
    const bool hasBitmap = item->Bitmap().Width() > 0;
    if (hasBitmap) picture = item->Bitmap().Clone();
    TMenuItem* parent = item->Parent();
    TImageList* subImages = parent ? parent->SubMenuImages() : nullptr;
    TImageList* list = subImages ? subImages : (menu ? menu->Images() : nullptr);
    const bool hasImage = list && item->ImageIndex() != -1;
    if (hasImage) {
        COLORREF key = subImages ? Resolved(canvas.Brush.Color) : canvas.Pixel(2, 2);
        picture.SetSize(list->Width(), list->Height(), key);
        picture.Transparent = false;
        ImageList_DrawEx(list->Handle(), item->ImageIndex(), picture.Canvas().Handle(), 0, 0, 0, 0, kUnusedColour,
                         kUnusedColour, ILD_TRANSPARENT);
    }
    const bool hasPicture = hasImage || hasBitmap;
    const int d = MenuDpi(ownerForm_);
    if (hasPicture && d != dpi::kDesignDpi) {
        const bool transparent = picture.Transparent;
        picture = BitmapForDpi(picture, d, dpi::kDesignDpi, true);
        picture.Transparent = transparent;
    }
    const int pictureWidth = picture.Empty() ? 0 : picture.Width();

    const xpmenu::ItemGeometry g =
        xpmenu::LayOutItem(ToRect(given), dpi::Scale(IconWidth, d), hasPicture, pictureWidth, barItem, rightToLeft, d);
    const RECT r = ToRECT(g.item);
    const RECT iconColumn = ToRECT(g.iconColumn);

    // Background.
    canvas.Brush.Clear = false;
    if (barItem) {
        canvas.Brush.Color = c.bar;
        canvas.Pen.Color = c.bar;
        canvas.FillRect(r);
    } else if (highColor_ && Gradient) {
        RECT wider = r;
        wider.right += 2;
        FillGradient(canvas, wider, rightToLeft);
    } else {
        canvas.Brush.Color = c.menu;
        canvas.FillRect(r);
        canvas.Brush.Color = c.iconColumn;
        canvas.FillRect(iconColumn);
    }

    // Selection.
    if (selected && DrawSelect) {
        canvas.Brush.Clear = false;
        if (barItem) {
            DrawBarSelection(item, canvas, rightToLeft, menuBarColor_, r);
        } else if (item->Enabled()) {
            const Rect bar = xpmenu::SelectionBar(g.item, FlatMenu, d);
            canvas.Brush.Color = c.selection;
            canvas.FillRect(ToRECT(bar));
            canvas.Brush.Color = c.selectionBorder;  // the frame: lines as wide as the DPI's pixel
            FillAll(canvas, xpmenu::FrameEdges(bar, xpmenu::LineWidth(d)));
            canvas.Brush.Color = c.selection;
            canvas.Brush.Clear = true;
            canvas.Pen.Color = c.selectionBorder;
        }
    }

    DrawCheckMark(item, selected, ToRECT(g.check), canvas, hasPicture, item->Enabled());
    DrawItemIcon(item, canvas, &picture, iconColumn, selected, false, item->Enabled(), item->Checked(), barItem,
                 rightToLeft);

    if (separator) {
        xpmenu::Segment line = xpmenu::SeparatorLine(g.text, rightToLeft, d);
        canvas.Pen.Color = c.separatorLine;
        canvas.MoveTo(line.from.x, line.from.y);
        canvas.LineTo(line.to.x, line.to.y);
    } else {
        const UINT format = rightToLeft ? DT_RIGHT | DT_RTLREADING : 0;
        DrawItemText(item, text, item->ShortCutText(), canvas, ToRECT(xpmenu::CaptionRect(g.text, rightToLeft, d)), selected, item->Enabled(), item->Default(),
                     barItem, rightToLeft, font_, format);
    }
    picture.Clear();

    if (FlatMenu && !barItem) {
        HWND window = WindowFromDC(canvas.Handle());
        HWND own = ownerForm_ && ownerForm_->HandleAllocated() ? ownerForm_->Handle() : nullptr;
        if (window && window != own) DrawFlatFrame(window, rightToLeft);
    }
    HookAround(item);
}

void TXPMenu::DrawCheckMark(TMenuItem* item, bool selected, RECT box, TCanvas& canvas, bool hasPicture,
                            bool enabled) {
    if (!item->Checked()) return;
    const PreparedColors& c = colors_;
    const TColor fill = selected ? c.hotCheckFill : c.checkFill;
    const TColor border = item->RadioItem() || hasPicture ? c.selectionBorder : c.checkBorder;
    canvas.Pen.Color = enabled ? border : c.disabledText;
    if (enabled) canvas.Brush.Color = fill;  // disabled: the brush colour in place
    canvas.Brush.Clear = false;
    const int d = MenuDpi(ownerForm_);
    const int line = xpmenu::LineWidth(d);
    if (item->RadioItem()) {
        canvas.Pen.Width = line;
        const int corner = xpmenu::RadioFrameCorner(d);
        if (hasPicture) canvas.RoundRect(box.left, box.top, box.right, box.bottom, corner, corner);
        else canvas.Ellipse(box.left, box.top, box.right, box.bottom);
        canvas.Pen.Width = 1;
        return;
    }
    // The box: filled, then its frame inside it (a one-pixel pen's Rectangle at 96 dpi).
    canvas.FillRect(box);
    const TColor fillColour = canvas.Brush.Color;
    canvas.Brush.Color = canvas.Pen.Color;
    FillAll(canvas, xpmenu::FrameEdges(ToRect(box), line));
    canvas.Brush.Color = fillColour;
    if (hasPicture) return;  // a frame behind the image
    canvas.Pen.Color = enabled ? kBlack : c.disabledText;
    canvas.Pen.Width = line;
    for (const xpmenu::Segment& s : xpmenu::CheckStrokes(ToRect(box), d)) {
        canvas.MoveTo(s.from.x, s.from.y);
        canvas.LineTo(s.to.x, s.to.y);
    }
    canvas.Pen.Width = 1;
}

void TXPMenu::DrawItemIcon(TObject* sender, TCanvas& canvas, TBitmap* picture, RECT iconColumn, bool hot,
                           bool pressed, bool enabled, bool checked, bool barItem, bool rightToLeft) {
    if (!picture || picture->Empty() || picture->Width() == 0) return;
    const bool menuItem = dynamic_cast<TMenuItem*>(sender) != nullptr;
    const bool lifted = hot && !barItem && enabled && !checked && !pressed;
    const int d = MenuDpi(ownerForm_);
    const xpmenu::Point at = xpmenu::ImagePosition(ToRect(iconColumn), dpi::Scale(IconWidth, d), picture->Width(),
                                                   menuItem, barItem, rightToLeft, lifted, d);
    if (!hot && enabled && !checked && highColor_) DimBitmap(*picture, DimLevel);
    if (!enabled) {
        GrayBitmap(*picture, GrayLevel);
        DimBitmap(*picture, 40);
    }
    if (hot && enabled && !checked) {
        TColor base = colors_.selection;
        if (dynamic_cast<TToolButton*>(sender) && highColor_ && !useSystemColors_)
            base = LightenColor(canvas, SelectColor, 68);
        const int offset = xpmenu::IconShadowOffset(d);
        DrawIconShadow(*picture, canvas, at.x + offset, at.y + offset, DarkenColor(base, 50));
    }
    picture->Transparent = true;
    canvas.Draw(at.x, at.y, *picture);
}

void TXPMenu::DrawItemText(TObject*, const std::string& text, const std::string& shortCutText, TCanvas& canvas,
                           RECT textRect, bool selected, bool enabled, bool isDefault, bool barItem, bool,
                           TFont& font, UINT format) {
    const PreparedColors& c = colors_;
    TColor colour = font.Color();
    canvas.Font.Assign(font);
    if (selected) colour = c.selectedText;
    if (!enabled) colour = c.disabledText;
    if (barItem && selected && useSystemColors_) colour = ContrastTextColor(canvas, c.iconColumn);

    canvas.Font.SetColor(colour);
    RECT tr = textRect;
    tr.top += (tr.bottom - tr.top - canvas.TextHeight("W")) / 2;
    SetBkMode(canvas.Handle(), TRANSPARENT);

    const int d = MenuDpi(ownerForm_);
    if (isDefault && enabled) {
        // Four offset passes in darkened background colours: a bold look.
        for (const xpmenu::TextPass& pass : xpmenu::DefaultTextPasses(ToRect(tr), d)) {
            COLORREF under = canvas.Pixel(pass.rect.left, pass.rect.top);
            canvas.Font.SetColor(DarkenColor(AsColor(under), pass.darken));
            DrawTextIn(canvas, text, ToRECT(pass.rect), format);
        }
        canvas.Font.SetColor(colour);
    }
    DrawTextIn(canvas, text, tr, format);

    // The short-cut: right-aligned a gap in (left-aligned right to left).
    canvas.Font.SetColor(highColor_ ? DarkenColor(colour, -40) : colour);
    const bool rightToLeft = (format & DT_RTLREADING) != 0;
    DrawTextIn(canvas, shortCutText + " ", ToRECT(xpmenu::ShortCutRect(ToRect(tr), rightToLeft, d)),
               rightToLeft ? 0 : DT_RIGHT);
}

void TXPMenu::DrawBarSelection(TObject* sender, TCanvas& canvas, bool rightToLeft, TColor given, RECT r) {
    const PreparedColors& c = colors_;
    canvas.Brush.Clear = false;
    canvas.Brush.Color = c.selection;
    canvas.FillRect(r);
    canvas.Pen.Color = c.selectionBorder;
    const int d = MenuDpi(ownerForm_);
    const bool shadowed = !rightToLeft && highColor_ && dynamic_cast<TMenuItem*>(sender);
    const xpmenu::BarOutline outline = xpmenu::BarSelectionOutline(ToRect(r), shadowed, d);
    const std::vector<POINT> frame = ToPOINTs(outline.frame);
    if (shadowed) {
        canvas.Polyline(frame.data(), 4);
        for (const xpmenu::ShadowFill& f : xpmenu::BarShadowFills(ToRect(r), d)) {
            TColor shade = DarkenColor(c.bar, f.darken);
            canvas.Pen.Color = shade;
            canvas.Brush.Color = shade;
            canvas.FillRect(ToRECT(f.rect));
        }
        for (const xpmenu::ShadowLine& line : xpmenu::BarShadowLines(ToRect(r), d)) {
            canvas.Pen.Color = line.darkened ? DarkenColor(c.bar, line.darken) : c.bar;
            const std::vector<POINT> points = ToPOINTs(line.points);
            canvas.Polyline(points.data(), static_cast<int>(points.size()));
        }
        return;
    }
    const TColor darker = DarkenColor(given, 70);
    canvas.Pen.Color = c.selectionBorder;
    canvas.Brush.Color = darker;
    canvas.Polyline(frame.data(), 4);
    canvas.Pen.Color = darker;
    canvas.FillRect(ToRECT(outline.edge));
    canvas.Brush.Color = given;
    canvas.FillRect(ToRECT(outline.corner));
}

void TXPMenu::FillGradient(TCanvas& canvas, RECT r, bool rightToLeft) {
    std::vector<int> steps =
        xpmenu::GradientSteps(r.left, r.right, dpi::Scale(IconWidth, MenuDpi(ownerForm_)), rightToLeft);
    canvas.Brush.Clear = false;
    for (int x = r.left; x <= r.right; ++x) {
        canvas.Brush.Color = LightenColor(canvas, colors_.iconColumn, steps[static_cast<size_t>(x - r.left)]);
        canvas.FillRect(RECT{x, r.top, x + 1, r.bottom});
    }
}

void TXPMenu::DrawFlatFrame(HWND window, bool rightToLeft) {
    // Over the pop-up's 3-D frame, on the screen: an outer line, the item
    // colours over the inner edge with the icon column carried through, the
    // right and bottom edges, and the two outer corners.
    RECT w{};
    if (!GetWindowRect(window, &w)) return;
    HWND desktop = GetDesktopWindow();
    HDC dc = GetWindowDC(desktop);
    if (!dc) return;
    TCanvas canvas(dc);
    const PreparedColors& c = colors_;
    // The pop-up's own frame: how far its client area lies inside it.
    POINT client{0, 0};
    const int border = ClientToScreen(window, &client) ? static_cast<int>(client.x - w.left) : 0;
    const int d = MenuDpi(ownerForm_);
    const xpmenu::FlatFrame f = xpmenu::LayOutFlatFrame(ToRect(w), dpi::Scale(IconWidth, d), rightToLeft,
                                                        xpmenu::FlatFrameLine(d, border));
    canvas.Brush.Clear = false;
    canvas.Brush.Color = c.flatOuter;
    FillAll(canvas, f.outer);
    canvas.Brush.Color = c.menu;
    FillAll(canvas, f.inner);
    canvas.Brush.Color = c.iconColumn;
    FillAll(canvas, f.iconStrips);
    canvas.Brush.Color = c.flatEdge;
    FillAll(canvas, f.edges);
    canvas.Brush.Color = clBtnFace;
    FillAll(canvas, f.corners);
    canvas.SetHandle(nullptr);
    ReleaseDC(desktop, dc);
}

// ------------------------------------------------------- picture transforms

void TXPMenu::GrayBitmap(TBitmap& picture, int amount) {
    TCanvas& canvas = picture.Canvas();
    bool cached = false;
    COLORREF from = 0, to = 0;  // the last source colour and its grey
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            COLORREF pixel = canvas.Pixel(x, y);
            if (!cached || pixel != from) {
                from = pixel;
                to = Resolved(GrayColor(AsColor(pixel), amount));
                cached = true;
            }
            canvas.SetPixel(x, y, to);
        }
}

void TXPMenu::DimBitmap(TBitmap& picture, int percent) {
    percent = std::min(percent, 100);
    TCanvas& canvas = picture.Canvas();
    bool cached = false;
    COLORREF from = 0, to = 0;
    for (int y = 0; y < picture.Height(); ++y)
        for (int x = 0; x < picture.Width(); ++x) {
            COLORREF pixel = canvas.Pixel(x, y);
            if (!cached || pixel != from) {
                from = pixel;
                to = Resolved(LightenColor(canvas, AsColor(pixel), percent));
                cached = true;
            }
            canvas.SetPixel(x, y, to);
        }
}

void TXPMenu::DrawIconShadow(TBitmap& picture, TCanvas& canvas, int x, int y, TColor color) {
    const COLORREF key = picture.Pixel(0, picture.Height() - 1);
    const COLORREF shadow = Resolved(color);
    for (int j = 0; j < picture.Height(); ++j)
        for (int i = 0; i < picture.Width(); ++i)
            if (picture.Pixel(i, j) != key) canvas.SetPixel(x + i, y + j, shadow);
}
