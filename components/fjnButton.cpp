#include "fjnButton.h"

#include "DpiScale.h"
#include "LayoutReader.h"

namespace {
constexpr TColor kBlack = 0x000000, kGrey = 0x808080, kWhite = 0xFFFFFF;
}

TfjnButton::TfjnButton(TComponent* owner) : TGraphicControl(owner) {
    // The toolkit never takes a caption from the component's name; an empty
    // caption shows the name when painted instead.
    SetColor(clWindow);
    SetParentColor(true);  // the face follows the parent until a colour is set
    SetBounds(Left(), Top(), Width(), 24);
    SetBounds(Left(), Top(), 72, Height());
}

void TfjnButton::SetCaption(const std::string& caption) {
    caption_ = caption;
    PaintNow();
}

void TfjnButton::SetTransparent(bool value) {
    transparent_ = value;
    PaintNow();
}

void TfjnButton::SetPressed(bool value) {
    pressed_ = value;
    PaintNow();
}

void TfjnButton::Paint(TCanvas& canvas) {
    if (caption_.empty()) caption_ = Name();
    // The caption is drawn in the canvas's own default font, not in Font.
    TFont defaults;
    defaults.SetHeight(dpi::Scale(defaults.Height(), Dpi()));
    canvas.Font.Assign(defaults);
    const int w = Width(), h = Height();
    const SIZE text = canvas.TextExtent(caption_);
    const int x0 = (w - text.cx) / 2, y0 = (h - text.cy) / 2;

    if (transparent_) {
        canvas.Brush.Clear = true;
    } else {
        canvas.Brush.Clear = false;
        canvas.Brush.Color = Color();
    }
    canvas.FillRect(ClientRect());
    if (!pressed_) {
        canvas.Pen.Color = kBlack;
        canvas.TextOut(x0, y0, caption_);
        canvas.Brush.Clear = true;
        canvas.Rectangle(0, 0, w, h);
        canvas.Pen.Color = kGrey;
        canvas.Rectangle(1, 1, w - 1, h - 1);
        canvas.Pen.Color = kWhite;
        canvas.MoveTo(0, h);
        canvas.LineTo(0, 0);
        canvas.LineTo(w, 0);
    } else {
        canvas.Pen.Color = kWhite;
        canvas.Brush.Clear = true;
        canvas.Rectangle(0, 0, w, h);
        canvas.Pen.Color = kGrey;
        canvas.Rectangle(1, 1, w - 1, h - 1);
        canvas.Pen.Color = kBlack;
        canvas.TextOut(x0 + 2, y0 + 1, caption_);
        canvas.MoveTo(0, h);
        canvas.LineTo(0, 0);
        canvas.LineTo(w, 0);
    }
}

void TfjnButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    SetPressed(true);
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TfjnButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    SetPressed(false);
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TfjnButton::MouseEnter() {
    TGraphicControl::MouseEnter();
    OnMouseEnter(this);
}

void TfjnButton::MouseLeave() {
    TGraphicControl::MouseLeave();
    SetPressed(false);
    OnMouseLeave(this);
}

void TfjnButton::DblClick() {
    TGraphicControl::DblClick();
    OnDoubleClick(this);
}

bool TfjnButton::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "OnDoubleClick") r.Event(v, OnDoubleClick);
    else if (name == "OnMouseEnter") r.Event(v, OnMouseEnter);
    else if (name == "OnMouseLeave") r.Event(v, OnMouseLeave);
    else if (name == "Caption") SetCaption(r.Str(v));
    else if (name == "Transparent") SetTransparent(r.Bool(v));
    else if (name == "Autosize") Autosize = r.Bool(v);
    else return TGraphicControl::ReadProperty(name, v, r);
    return true;
}
