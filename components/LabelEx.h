// TLabelEx: a label that behaves like a hyperlink. Under the pointer its
// text takes ActiveColor; when the pointer leaves, the text goes back to the
// colour the label had when its layout was loaded.
#pragma once
#include "StdCtrls.h"

class TLabelEx : public TLabel {
public:
    explicit TLabelEx(TComponent* owner);
    const char* ClassName() const override { return "TLabelEx"; }

    // Text colour while the pointer is over the label; always stored.
    TColor ActiveColor = clBlue;
    TNotifyEvent OnMouseEnter;  // after the colour changed
    TNotifyEvent OnMouseLeave;  // after the colour was restored

    // The colour restored on leaving: black until a layout finished loading.
    TColor NormalColor() const { return normalColor_; }

    void MouseEnter() override;
    void MouseLeave() override;
    bool ReadProperty(const std::string& name, const layout::Value& value, TLayoutReader& reader) override;

protected:
    void Loaded() override;

private:
    TColor normalColor_ = clBlack;
};
