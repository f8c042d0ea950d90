#include "LabelEx.h"

#include "LayoutReader.h"

TLabelEx::TLabelEx(TComponent* owner) : TLabel(owner) { ActiveColor = clBlue; }

void TLabelEx::Loaded() {
    TLabel::Loaded();
    normalColor_ = Font().Color();
}

void TLabelEx::MouseEnter() {
    TLabel::MouseEnter();
    Font().SetColor(ActiveColor);
    OnMouseEnter(this);
}

void TLabelEx::MouseLeave() {
    TLabel::MouseLeave();
    Font().SetColor(normalColor_);
    OnMouseLeave(this);
}

bool TLabelEx::ReadProperty(const std::string& name, const layout::Value& v, TLayoutReader& r) {
    if (name == "ActiveColor") ActiveColor = r.Color(v);
    else if (name == "OnMouseEnter") r.Event(v, OnMouseEnter);
    else if (name == "OnMouseLeave") r.Event(v, OnMouseLeave);
    else return TLabel::ReadProperty(name, v, r);
    return true;
}
